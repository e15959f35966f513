// The program's "%w.pf": a double rounded half up to 17 significant digits,
// then that decimal rounded half up to p decimals. glibc's printf rounds the
// exact binary value instead and prints 2.625 as 2.62.
#pragma once

#include <cstddef>

// Largest text format_fixed writes for any double and precision <= 20.
inline constexpr std::size_t fixed_decimal_capacity = 360;

// Writes the value right-aligned in at least `width` columns; returns the
// length. `out` must hold max(width, fixed_decimal_capacity) bytes.
std::size_t format_fixed(char* out, double value, int width, int precision);
