// pi(v) for every v up to a bound, read in constant time: the sieve's bits
// up to the bound, with the count of primes before each 64-bit word.
#pragma once

#include <cstddef>
#include <cstdint>

#include "number/number.hpp"
#include "sieve/wheel.hpp"

// The largest bound the table takes.
inline constexpr Number prime_count_table_max = 1u << 22;

// Word w holds the wheel bits of the 240 numbers from 240w on, and
// before[w] counts the primes below 240w. 210 KiB.
struct PrimeCountTable {
    static constexpr std::size_t max_words = prime_count_table_max / (8 * wheel_span) + 1;
    std::uint64_t words[max_words];
    std::uint32_t before[max_words];
};

// Sieves [1, limit] (limit <= prime_count_table_max) into the table.
void prime_count_table_build(PrimeCountTable& table, Number limit);

// The number of primes up to v, for v up to the build's limit.
std::uint32_t prime_count_table_pi(const PrimeCountTable& table, Number v);
