// Prime factorization by trial division.
#pragma once

#include <cstddef>

#include "number/number.hpp"

// A Number has at most 31 prime factors (2^31); one spare entry.
inline constexpr std::size_t max_factors = 32;

struct Factors {
    Number entries[max_factors];
    std::size_t count;
};

// The prime factors of n in non-decreasing order; none for 0 and 1.
Factors factorize(Number n);
