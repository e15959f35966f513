// Feeds a fuzzer's bytes to the program as standard input, output discarded.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>

#include "console/channel.hpp"
#include "console/line_input.hpp"

class FuzzConsole {
public:
    // The bytes go through a pipe, as typed input would; the fuzzer's inputs
    // (at most 4096 bytes) fit in its buffer.
    FuzzConsole(const std::uint8_t* data, std::size_t size) {
        static const int sink = open("/dev/null", O_WRONLY);
        int ends[2];
        if (pipe(ends) != 0) __builtin_trap();
        if (size > 0 && write(ends[1], data, size) != static_cast<ssize_t>(size)) __builtin_trap();
        close(ends[1]);
        in_ = ends[0];
        attach_input(in_);
        attach_console(sink, sink, false);
    }
    ~FuzzConsole() {
        flush_console();
        attach_input(0);
        close(in_);
    }
    FuzzConsole(const FuzzConsole&) = delete;
    FuzzConsole& operator=(const FuzzConsole&) = delete;

private:
    int in_;
};
