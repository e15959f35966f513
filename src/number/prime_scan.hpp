// The primes of a range, in increasing order: the engine of the range modes.
// Yields exactly the numbers for which is_composite gives 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "number/number.hpp"

struct PrimeScan {
    std::uint64_t next;  // first number not yet examined
    std::uint64_t last;  // hi, inclusive
};

void prime_scan_start(PrimeScan& scan, Number lo, Number hi);

// Fills `out` with up to `capacity` further primes; 0 when none are left.
std::size_t prime_scan_next(PrimeScan& scan, Number* out, std::size_t capacity);

// How many primes lie in [lo, hi].
std::uint32_t count_primes(Number lo, Number hi);
