// printf-style formatting of a catalogue message straight into a channel.
// Knows the conversions the catalogue uses: %d, %ld, %u, %s and %w.pf.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "console/channel.hpp"
#include "console/messages.hpp"

// One argument; the conversion that takes it reads the field of its kind.
struct FormatArg {
    std::int64_t integer = 0;
    double floating = 0.0;
    const char* text = nullptr;

    FormatArg(int v) : integer(v) {}
    FormatArg(long v) : integer(v) {}
    FormatArg(unsigned v) : integer(v) {}
    FormatArg(unsigned long v) : integer(static_cast<std::int64_t>(v)) {}
    FormatArg(double v) : floating(v) {}
    FormatArg(const char* v) : text(v) {}
};

// Writes the message with its arguments; a conversion without a matching
// argument writes nothing. Does not end the message.
void write_formatted(Channel& channel, const Message& message,
                     std::initializer_list<FormatArg> args);
