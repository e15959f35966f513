// Output channels: buffered byte streams that write each LF as CR LF.
#include "console/channel.hpp"

#include <cstring>

#include "console/stream_io.hpp"

namespace {

Channel screen;
Channel error;
bool console_ready = false;

void ensure_console() {
    if (console_ready) return;
    console_ready = true;
    attach_channel(screen, 1);
    screen.flush_each_message = is_console(1);
    attach_channel(error, 2);
    error.flush_each_message = true;
    error.flush_first = &screen;
}

void write_out(Channel& channel, std::size_t size) {
    if (channel.fd >= 0 && !channel.failed && !write_all(channel.fd, channel.buffer, size))
        channel.failed = true;
    channel.position += size;
}

// Makes room by writing the buffer up to its last block boundary in the
// file; the tail, less than a block, moves to the front.
void drain(Channel& channel) {
    const std::size_t tail = (channel.position + channel.used) % channel_block;
    if (channel.used <= tail || channel.flush_each_message) {
        channel_flush(channel);
        return;
    }
    const std::size_t head = channel.used - tail;
    write_out(channel, head);
    std::memmove(channel.buffer, channel.buffer + head, tail);
    channel.used = tail;
}

void append_raw(Channel& channel, const char* bytes, std::size_t size) {
    while (size > 0) {
        if (channel.used == sizeof channel.buffer) drain(channel);
        std::size_t room = sizeof channel.buffer - channel.used;
        std::size_t part = size < room ? size : room;
        std::memcpy(channel.buffer + channel.used, bytes, part);
        channel.used += part;
        bytes += part;
        size -= part;
    }
}

}  // namespace

Channel& screen_channel() {
    ensure_console();
    return screen;
}

Channel& error_channel() {
    ensure_console();
    return error;
}

void attach_console(int out, int err, bool out_is_console) {
    ensure_console();
    flush_console();
    attach_channel(screen, out);
    screen.flush_each_message = out_is_console;
    attach_channel(error, err);
}

void attach_channel(Channel& channel, int fd) {
    channel.fd = fd;
    channel.used = 0;
    channel.failed = false;
    channel.position = fd >= 0 ? stream_position(fd) : 0;
}

void channel_write(Channel& channel, const char* bytes, std::size_t size) {
    if (channel.flush_first != nullptr) channel_flush(*channel.flush_first);
    while (size > 0) {
        const void* found = std::memchr(bytes, '\n', size);
        if (found == nullptr) {
            append_raw(channel, bytes, size);
            return;
        }
        std::size_t line = static_cast<std::size_t>(static_cast<const char*>(found) - bytes);
        append_raw(channel, bytes, line);
        append_raw(channel, line_end.data(), line_end.size());
        bytes += line + 1;
        size -= line + 1;
    }
}

void channel_write_raw(Channel& channel, const char* bytes, std::size_t size) {
    append_raw(channel, bytes, size);
}

char* channel_space(Channel& channel, std::size_t size) {
    if (sizeof channel.buffer - channel.used < size) drain(channel);
    return channel.buffer + channel.used;
}

void channel_end_message(Channel& channel) {
    if (channel.flush_each_message) channel_flush(channel);
}

void channel_pace(Channel& channel) {
    constexpr std::int64_t a_thirtieth_second = 1'000'000'000 / 30;
    if (channel.flush_each_message && monotonic_nanoseconds() - channel.last_flush >= a_thirtieth_second)
        channel_flush(channel);
}

void channel_flush(Channel& channel) {
    if (channel.flush_each_message) channel.last_flush = monotonic_nanoseconds();
    if (channel.used == 0) return;
    write_out(channel, channel.used);
    channel.used = 0;
}

void flush_console() {
    channel_flush(screen_channel());
    channel_flush(error_channel());
}
