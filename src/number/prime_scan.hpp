// The primes of a range, in increasing order: the engine of the range modes.
// Yields exactly the numbers for which is_composite gives 0, by a segmented
// sieve of Eratosthenes over odd numbers, one bit each.
#pragma once

#include <cstddef>
#include <cstdint>

#include "number/number.hpp"

// One segment: 2^18 odd numbers in 32 KiB, the size of a level-1 data cache.
inline constexpr std::size_t segment_words = 4096;
inline constexpr std::uint64_t segment_odds = segment_words * 64;

// Room for the sieving primes above 13, crossed off one multiple at a time;
// the smaller ones come from a copied pattern.
inline constexpr std::size_t max_crossing_primes = 6541;

struct PrimeScan {
    std::uint64_t hi;            // the end of the range, inclusive
    std::uint64_t segment_low;   // odd number of bit 0 of the current segment
    std::size_t used_words;      // words of the segment that lie in the range
    std::size_t word;            // next word of the segment to extract
    std::uint64_t bits;          // primes of word - 1 not yet given out
    bool two_pending;            // 2 lies in the range and is not yet given
    bool segment_ready;          // the segment at segment_low has been sieved
    std::size_t crossing_count;  // sieving primes in use, up to sqrt(hi)
    std::uint64_t sieve[segment_words];  // bit j: segment_low + 2j is prime
    // Bit index, relative to the current segment, of the next odd multiple
    // of each sieving prime still to be crossed off.
    std::uint32_t next_multiple[max_crossing_primes];
};

void prime_scan_start(PrimeScan& scan, Number lo, Number hi);

// Fills `out` with up to `capacity` further primes; 0 when none are left.
std::size_t prime_scan_next(PrimeScan& scan, Number* out, std::size_t capacity);

// How many primes lie in [lo, hi], by sieving.
std::uint32_t sieve_count_primes(Number lo, Number hi);

// How many primes lie in [lo, hi]: by prime counting for wide ranges.
std::uint32_t count_primes(Number lo, Number hi);
