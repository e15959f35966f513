// The program's "%w.pf": a double rounded half up to 17 significant digits,
// then that decimal rounded half up to p decimals.
#include "console/fixed_decimal.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int significant = 17;

// A decimal d0.d1d2...d16 x 10^exponent, one digit (0-9) per entry.
struct Decimal {
    unsigned char digits[significant];
    int exponent;
};

// The exact decimal expansion of a positive finite double, cut on its 18th
// significant digit and rounded half up. printf's %e is exact when asked for
// enough digits (a double has at most 767 significant ones).
Decimal round_to_significant(double value) {
    char exact[800];
    std::snprintf(exact, sizeof exact, "%.*e", 770, value);
    unsigned char all[significant + 1];
    all[0] = static_cast<unsigned char>(exact[0] - '0');
    for (int i = 1; i <= significant; ++i) all[i] = static_cast<unsigned char>(exact[i + 1] - '0');
    Decimal result{};
    result.exponent = std::atoi(std::strchr(exact, 'e') + 1);
    std::memcpy(result.digits, all, significant);
    if (all[significant] >= 5) {
        int i = significant - 1;
        while (i >= 0 && result.digits[i] == 9) result.digits[i--] = 0;
        if (i >= 0) {
            ++result.digits[i];
        } else {
            result.digits[0] = 1;
            ++result.exponent;
        }
    }
    return result;
}

// The digit of the rounded decimal at the place 10^place.
int digit_at(const Decimal& d, int place) {
    int index = d.exponent - place;
    return index >= 0 && index < significant ? d.digits[index] : 0;
}

// Digits of |value| with `precision` decimals, most significant first.
std::size_t fixed_digits(char* out, double value, int precision) {
    const Decimal d = round_to_significant(value);
    const int top = d.exponent > 0 ? d.exponent : 0;
    // Places top .. -precision, plus one leading slot for a carry.
    char places[fixed_decimal_capacity];
    int count = 0;
    places[count++] = 0;
    for (int place = top; place >= -precision; --place)
        places[count++] = static_cast<char>(digit_at(d, place));
    if (digit_at(d, -precision - 1) >= 5) {
        int i = count - 1;
        while (places[i] == 9) places[i--] = 0;
        ++places[i];
    }
    const int first = places[0] != 0 ? 0 : 1;
    const int integer_end = count - precision;
    std::size_t length = 0;
    for (int i = first; i < count; ++i) {
        if (i == integer_end) out[length++] = '.';
        out[length++] = static_cast<char>('0' + places[i]);
    }
    return length;
}

}  // namespace

std::size_t format_fixed(char* out, double value, int width, int precision) {
    char text[fixed_decimal_capacity];
    std::size_t length = 0;
    if (std::signbit(value)) text[length++] = '-';
    const double magnitude = std::fabs(value);
    if (std::isnan(value)) {
        std::memcpy(text + length, "nan", 3);
        length += 3;
    } else if (std::isinf(value)) {
        std::memcpy(text + length, "inf", 3);
        length += 3;
    } else if (magnitude == 0.0) {
        text[length++] = '0';
        if (precision > 0) text[length++] = '.';
        for (int i = 0; i < precision; ++i) text[length++] = '0';
    } else {
        length += fixed_digits(text + length, magnitude, precision);
    }
    std::size_t pad = width > 0 && static_cast<std::size_t>(width) > length
                          ? static_cast<std::size_t>(width) - length
                          : 0;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, text, length);
    return pad + length;
}
