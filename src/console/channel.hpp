// Output channels: buffered byte streams that write each LF as CR LF.
// On a console the screen is flushed after every message; elsewhere output is
// buffered, and the screen is always flushed before anything goes to standard
// error and before any read, so a 2>&1 capture keeps the order of writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// What every LF of a message becomes: the program's line end, on every
// platform. Text that is written raw ends its lines with it already.
inline constexpr std::string_view line_end = "\r\n";

// Buffers hand the system large blocks that end on 4 KiB boundaries of the
// file, which a file system writes fastest; the tail waits for the next one.
inline constexpr std::size_t channel_buffer_size = std::size_t{1} << 18;
inline constexpr std::size_t channel_block = 4096;

struct Channel {
    int fd = -1;                       // -1: the output is dropped
    Channel* flush_first = nullptr;    // flushed before this channel is written
    bool flush_each_message = false;   // true for a console
    bool failed = false;               // a write or the close went wrong
    std::size_t used = 0;
    std::uint64_t position = 0;        // file offset of buffer[0]
    std::int64_t last_flush = 0;       // steady clock, in nanoseconds
    char buffer[channel_buffer_size];
};

// Standard output and standard error, ready on first use.
Channel& screen_channel();
Channel& error_channel();

// Points the two console channels at other descriptors (tests and fuzzing).
void attach_console(int out, int err, bool out_is_console);

// Points a channel at a descriptor, its buffer empty; the descriptor's
// current offset keeps block writes aligned.
void attach_channel(Channel& channel, int fd);

// Appends bytes, each LF written as CR LF.
void channel_write(Channel& channel, const char* bytes, std::size_t size);

// Appends bytes as they are, for text already in CR LF (the list writer's).
void channel_write_raw(Channel& channel, const char* bytes, std::size_t size);

// Room for at least `size` raw bytes (no LF translation; at most
// channel_space_most), for the hot list writer; it fills them and then calls
// channel_commit with its end.
inline constexpr std::size_t channel_space_most = std::size_t{64} << 10;
static_assert(channel_space_most + channel_block <= channel_buffer_size, "a drained buffer has the room");
char* channel_space(Channel& channel, std::size_t size);
inline void channel_commit(Channel& channel, char* end) {
    channel.used = static_cast<std::size_t>(end - channel.buffer);
}

// Ends one message: flushes when the channel is a console.
void channel_end_message(Channel& channel);

// Ends a piece of a long listing: a console is flushed when about 1/30 s has
// passed since its last flush, so that it shows the list as it grows without
// being handed every line on its own.
void channel_pace(Channel& channel);

void channel_flush(Channel& channel);

// Flushes standard output and standard error, in that order.
void flush_console();
