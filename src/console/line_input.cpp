// Line input from standard input: one typed line per read.
#include "console/line_input.hpp"

#include "console/channel.hpp"
#include "console/stream_io.hpp"
#include "number/to_integer.hpp"

namespace {

// Bytes read from the input descriptor and not yet taken by a line.
struct InputBuffer {
    int fd = 0;
    bool ended = false;  // the end of input (or an error) was met: read no more
    std::size_t next = 0, filled = 0;
    char bytes[4096];
};

InputBuffer input;

// The next byte of input, or -1 once the input has ended.
int next_byte() {
    if (input.next == input.filled) {
        if (input.ended) return -1;
        const long n = read_some(input.fd, input.bytes, sizeof input.bytes, input.ended);
        if (n <= 0) {
            input.ended = true;
            return -1;
        }
        input.next = 0;
        input.filled = static_cast<std::size_t>(n);
    }
    return static_cast<unsigned char>(input.bytes[input.next++]);
}

// Puts back the byte just taken, so that the next read sees it again.
void put_back() { --input.next; }

}  // namespace

void attach_input(int fd) {
    input.fd = fd;
    input.ended = false;
    input.next = input.filled = 0;
}

std::size_t read_line(char (&buffer)[line_buffer_size]) {
    flush_console();
    std::size_t length = 0;
    auto keep = [&](int byte) {
        if (length < line_buffer_size - 1) buffer[length++] = static_cast<char>(byte);
    };
    int c = next_byte();
    if (c < 0) throw InputEnded{};
    while (c >= 0 && c != '\n') {
        if (c == '\r') {
            const int after = next_byte();
            if (after == '\n') break;
            keep(c);
            if (after >= 0) put_back();
        } else {
            keep(c);
        }
        c = next_byte();
    }
    buffer[length] = '\0';
    return length;
}

int read_integer() {
    char line[line_buffer_size];
    read_line(line);
    return to_integer(line);
}
