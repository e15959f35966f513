// Text to integer, as the classic atoi reads it: wrapping, never saturating.
#include "number/to_integer.hpp"

#include <cstdint>

#include "number/text_scan.hpp"

int to_integer(const char* text) {
    const char* p = skip_white_space(text);
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    // Unsigned arithmetic wraps modulo 2^32 where signed would overflow.
    std::uint32_t value = 0;
    for (; is_digit(*p); ++p) value = value * 10u + static_cast<std::uint32_t>(*p - '0');
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}
