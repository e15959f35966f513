// printf-style formatting of a catalogue message straight into a channel.
#include "console/format.hpp"

#include <charconv>
#include <cstring>

#include "console/fixed_decimal.hpp"

namespace {

struct Conversion {
    int width = 0;
    int precision = -1;
    char kind = 0;
};

// Reads "[width][.precision][l]x" after a '%'; returns the byte after it.
const char* parse_conversion(const char* p, const char* end, Conversion& c) {
    while (p < end && *p >= '0' && *p <= '9') c.width = c.width * 10 + (*p++ - '0');
    if (p < end && *p == '.') {
        c.precision = 0;
        ++p;
        while (p < end && *p >= '0' && *p <= '9') c.precision = c.precision * 10 + (*p++ - '0');
    }
    while (p < end && *p == 'l') ++p;
    if (p < end) c.kind = *p++;
    return p;
}

void write_padded(Channel& channel, const char* text, std::size_t size, int width) {
    for (std::size_t n = size; n < static_cast<std::size_t>(width > 0 ? width : 0); ++n)
        channel_write(channel, " ", 1);
    channel_write(channel, text, size);
}

void write_conversion(Channel& channel, const Conversion& c, const FormatArg& arg) {
    char text[fixed_decimal_capacity + 64];
    switch (c.kind) {
        case 'd':
        case 'u': {
            // %d takes the low 32 bits as signed, %u as unsigned, like printf.
            const auto bits = static_cast<std::uint32_t>(arg.integer);
            char* end = c.kind == 'u'
                            ? std::to_chars(text, text + sizeof text, bits).ptr
                            : std::to_chars(text, text + sizeof text,
                                            static_cast<std::int32_t>(bits)).ptr;
            write_padded(channel, text, static_cast<std::size_t>(end - text), c.width);
            break;
        }
        case 'f': {
            const int precision = c.precision < 0 ? 6 : (c.precision > 20 ? 20 : c.precision);
            const int width = c.width > 64 ? 64 : c.width;
            write_padded(channel, text, format_fixed(text, arg.floating, width, precision), 0);
            break;
        }
        case 's':
            if (arg.text != nullptr) write_padded(channel, arg.text, std::strlen(arg.text), c.width);
            break;
        default:
            break;
    }
}

}  // namespace

void write_formatted(Channel& channel, const Message& message,
                     std::initializer_list<FormatArg> args) {
    const char* p = message.text;
    const char* const end = message.text + message.size;
    const FormatArg* next_arg = args.begin();
    while (p < end) {
        const char* percent = static_cast<const char*>(std::memchr(p, '%', end - p));
        if (percent == nullptr) percent = end;
        channel_write(channel, p, static_cast<std::size_t>(percent - p));
        if (percent == end) break;
        if (percent + 1 < end && percent[1] == '%') {
            channel_write(channel, "%", 1);
            p = percent + 2;
            continue;
        }
        Conversion conversion;
        p = parse_conversion(percent + 1, end, conversion);
        if (next_arg != args.end()) write_conversion(channel, conversion, *next_arg++);
    }
}
