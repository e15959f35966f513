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
    screen.fd = 1;
    screen.flush_each_message = is_console(1);
    error.fd = 2;
    error.flush_each_message = true;
    error.flush_first = &screen;
}

void append_raw(Channel& channel, const char* bytes, std::size_t size) {
    while (size > 0) {
        if (channel.used == sizeof channel.buffer) channel_flush(channel);
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
    screen.fd = out;
    screen.flush_each_message = out_is_console;
    error.fd = err;
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
        append_raw(channel, "\r\n", 2);
        bytes += line + 1;
        size -= line + 1;
    }
}

char* channel_space(Channel& channel, std::size_t size) {
    if (sizeof channel.buffer - channel.used < size) channel_flush(channel);
    return channel.buffer + channel.used;
}

void channel_end_message(Channel& channel) {
    if (channel.flush_each_message) channel_flush(channel);
}

void channel_flush(Channel& channel) {
    if (channel.used == 0) return;
    if (channel.fd >= 0 && !channel.failed && !write_all(channel.fd, channel.buffer, channel.used))
        channel.failed = true;
    channel.used = 0;
}

void flush_console() {
    channel_flush(screen_channel());
    channel_flush(error_channel());
}
