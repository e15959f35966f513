// The number of primes in a range, without listing them: by sieving a
// narrow range, by prime counting at both ends of a wide one.
#pragma once

#include <cstdint>

#include "number/number.hpp"

// How many primes lie in [lo, hi], by sieving.
std::uint32_t sieve_count_primes(Number lo, Number hi);

// How many primes lie in [lo, hi], the faster way for its width.
std::uint32_t count_primes(Number lo, Number hi);
