// Character classes shared by the two text-to-number conversions.
#pragma once

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Space and the control characters tab to carriage return.
inline bool is_white_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline const char* skip_white_space(const char* p) {
    while (is_white_space(*p)) ++p;
    return p;
}

inline const char* skip_digits(const char* p) {
    while (is_digit(*p)) ++p;
    return p;
}
