// printf-style formatting of a catalogue message straight into a channel.
// Knows the conversions the catalogue uses: %d, %ld, %u, %s and %w.pf.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "console/channel.hpp"
#include "console/messages.hpp"

struct FormatArg {
    enum class Kind { integer, floating, text };
    Kind kind;
    std::int64_t integer = 0;
    double floating = 0.0;
    const char* text = nullptr;

    FormatArg(int v) : kind(Kind::integer), integer(v) {}
    FormatArg(long v) : kind(Kind::integer), integer(v) {}
    FormatArg(unsigned v) : kind(Kind::integer), integer(v) {}
    FormatArg(unsigned long v) : kind(Kind::integer), integer(static_cast<std::int64_t>(v)) {}
    FormatArg(double v) : kind(Kind::floating), floating(v) {}
    FormatArg(const char* v) : kind(Kind::text), text(v) {}
};

// Writes the message with its arguments; a conversion without a matching
// argument writes nothing. Does not end the message.
void write_formatted(Channel& channel, const Message& message,
                     std::initializer_list<FormatArg> args);
