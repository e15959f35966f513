// Feeds a fuzzer's bytes to the program as standard input, output discarded.
#pragma once

#include <cstdint>
#include <cstdio>

#include "console/channel.hpp"
#include "console/line_input.hpp"

class FuzzConsole {
public:
    FuzzConsole(const std::uint8_t* data, std::size_t size) {
        static std::FILE* sink = std::fopen("/dev/null", "w");
        // fmemopen refuses an empty buffer; an empty file behaves the same.
        in_ = size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "r")
                       : std::fopen("/dev/null", "r");
        attach_input(in_);
        attach_console(sink, sink, false);
    }
    ~FuzzConsole() {
        flush_console();
        attach_input(nullptr);
        std::fclose(in_);
    }
    FuzzConsole(const FuzzConsole&) = delete;
    FuzzConsole& operator=(const FuzzConsole&) = delete;

private:
    std::FILE* in_;
};
