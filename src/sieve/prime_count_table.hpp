// pi(v) for every v up to a bound, read in constant time: the sieve's bits
// up to the bound, with the count of primes before each 64-bit word.
#pragma once

#include <cstdint>

#include "number/number.hpp"

// The largest bound the table takes.
inline constexpr Number prime_count_table_max = 1u << 22;

// Sieves [1, limit] (limit <= prime_count_table_max) and counts, replacing
// any earlier table.
void prime_count_table_build(Number limit);

// The number of primes up to v, for v up to the last build's limit.
std::uint32_t prime_count_table_pi(Number v);
