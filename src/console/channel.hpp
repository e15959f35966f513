// Output channels: buffered byte streams that write each LF as CR LF.
// On a console the screen is flushed after every message; elsewhere output is
// buffered, and the screen is always flushed before anything goes to standard
// error and before any read, so a 2>&1 capture keeps the order of writing.
#pragma once

#include <cstddef>

struct Channel {
    int fd = -1;                       // -1: the output is dropped
    Channel* flush_first = nullptr;    // flushed before this channel is written
    bool flush_each_message = false;   // true for a console
    bool failed = false;               // a write or the close went wrong
    std::size_t used = 0;
    char buffer[1 << 16];
};

// Standard output and standard error, ready on first use.
Channel& screen_channel();
Channel& error_channel();

// Points the two console channels at other descriptors (tests and fuzzing).
void attach_console(int out, int err, bool out_is_console);

// Appends bytes, each LF written as CR LF.
void channel_write(Channel& channel, const char* bytes, std::size_t size);

// Room for at least `size` raw bytes (no LF translation), for the hot list
// writer; it fills them and then calls channel_commit with its end.
char* channel_space(Channel& channel, std::size_t size);
inline void channel_commit(Channel& channel, char* end) {
    channel.used = static_cast<std::size_t>(end - channel.buffer);
}

// Ends one message: flushes when the channel is a console.
void channel_end_message(Channel& channel);

void channel_flush(Channel& channel);

// Flushes standard output and standard error, in that order.
void flush_console();
