// Line input from standard input: one typed line per read.
#include "console/line_input.hpp"

#include "console/channel.hpp"
#include "number/to_integer.hpp"

namespace {

std::FILE* input = nullptr;

std::FILE* input_stream() { return input != nullptr ? input : stdin; }

}  // namespace

void attach_input(std::FILE* in) { input = in; }

std::size_t read_line(char (&buffer)[line_buffer_size]) {
    flush_console();
    std::FILE* in = input_stream();
    std::size_t length = 0;
    auto keep = [&](int byte) {
        if (length < line_buffer_size - 1) buffer[length++] = static_cast<char>(byte);
    };
    int c = std::getc(in);
    if (c == EOF) throw InputEnded{};
    while (c != EOF && c != '\n') {
        if (c == '\r') {
            const int next = std::getc(in);
            if (next == '\n') break;
            keep(c);
            c = next;
            continue;
        }
        keep(c);
        c = std::getc(in);
    }
    buffer[length] = '\0';
    return length;
}

int read_integer() {
    char line[line_buffer_size];
    read_line(line);
    return to_integer(line);
}
