// Text to double, as the classic atof reads it: decimal only, with a d or e
// exponent; words such as inf or nan and hexadecimal forms give 0.0.
#include "number/to_floating.hpp"

#include <cstdlib>
#include <cstring>
#include <string>

#include "number/text_scan.hpp"

namespace {

// Where the accepted number ends, or nullptr when the text holds none.
// Sets exponent to the exponent letter when one is part of the number.
const char* scan_decimal(const char* p, const char*& exponent) {
    exponent = nullptr;
    if (*p == '+' || *p == '-') ++p;
    const char* digits = p;
    p = skip_digits(p);
    bool any_digit = p != digits;
    if (*p == '.') {
        const char* fraction = p + 1;
        p = skip_digits(fraction);
        any_digit = any_digit || p != fraction;
    }
    if (!any_digit) return nullptr;
    if (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        // An exponent letter without digits is not part of the number.
        if (is_digit(*q)) {
            exponent = p;
            p = skip_digits(q);
        }
    }
    return p;
}

// strtod on a copy whose d exponent is spelled e; strtod alone stops at d.
double convert_with_d_exponent(const char* start, const char* end, const char* exponent) {
    const std::size_t length = static_cast<std::size_t>(end - start);
    char local[320];
    std::string heap;  // only for absurdly long mantissas
    char* copy = local;
    if (length >= sizeof local) {
        heap.assign(length + 1, '\0');
        copy = heap.data();
    }
    std::memcpy(copy, start, length);
    copy[length] = '\0';
    copy[exponent - start] = 'e';
    return std::strtod(copy, nullptr);
}

}  // namespace

double to_floating(const char* text) {
    const char* start = skip_white_space(text);
    const char* exponent = nullptr;
    const char* end = scan_decimal(start, exponent);
    if (end == nullptr) return 0.0;
    const char* after_sign = start + (*start == '+' || *start == '-');
    // strtod would read "0x10" as hexadecimal; this conversion stops at the x.
    if (after_sign[0] == '0' && (after_sign[1] == 'x' || after_sign[1] == 'X'))
        return *start == '-' ? -0.0 : 0.0;
    if (exponent != nullptr && (*exponent == 'd' || *exponent == 'D'))
        return convert_with_d_exponent(start, end, exponent);
    // What scan_decimal accepted is exactly what strtod reads in the C locale.
    return std::strtod(start, nullptr);
}
