// src/sieve: the segmented sieve of Eratosthenes on the wheel of 30, which
// gives the primes of a range as bits, and prime counting (pi(x), the count
// of a range) built on it; what the range modes use. It may use number.
//
// The primes of a range, in increasing order: the engine of the range modes.
// Marks exactly the numbers for which is_composite gives 0, by a segmented
// sieve of Eratosthenes on the wheel of 30 (a byte for every 30 numbers),
// and hands its bytes or words on as they are.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sieve/crossing_off.hpp"
#include "sieve/sieving_primes.hpp"
#include "sieve/wheel.hpp"
#include "number/number.hpp"

// One segment: 128 KiB of wheel bytes, 3932160 numbers, in the level-2
// cache; the small sieving primes work through it in level-1-sized blocks.
// Measured against 64, 256 and 512 KiB: fewer segments mean fewer visits of
// every sieving prime, larger ones spill out of the level-2 cache.
inline constexpr std::size_t segment_bytes = 128 * 1024;
inline constexpr std::uint64_t segment_span = std::uint64_t{wheel_span} * segment_bytes;

// Room for the sieving primes above those of the presieve patterns: every
// odd prime below 2^16, enough for any 32-bit range.
inline constexpr std::size_t max_crossing_primes = odd_sieving_prime_count;

struct PrimeScan {
    std::uint64_t lo, hi;          // the range, inclusive
    std::uint64_t segment_first;   // wheel byte of byte 0 of the current segment
    std::size_t used_words;        // 64-bit words of the segment in the range
    std::size_t word;              // next word of the segment to give out
    std::uint64_t bits;            // the word given out last
    unsigned small_next;           // next of 2, 3, 5 to consider
    bool segment_ready;            // the segment at segment_first has been sieved
    std::size_t crossing_count;    // sieving primes in use, up to sqrt(hi)
    alignas(64) std::uint8_t sieve[segment_bytes];
    CrossingPrime crossing[max_crossing_primes];
};

void prime_scan_start(PrimeScan& scan, Number lo, Number hi);

// Loads the next 64-bit word of the sieve into scan.bits: eight wheel bytes,
// from the byte of lo on; false when the range is done. 2, 3 and 5 are not
// in it.
bool prime_scan_next_word(PrimeScan& scan);

// The sieve's wheel bytes themselves, for a reader that goes through the
// bits: up to `capacity` (a multiple of 8) consecutive bytes of the range,
// never across segments, with the index of the first in `first_byte`;
// 0 when the range is done. The bytes at either end of the range hold only
// its numbers' bits. 2, 3 and 5 come from prime_scan_small_primes.
std::size_t prime_scan_next_bytes(PrimeScan& scan, std::uint8_t* out, std::size_t capacity,
                                  std::uint64_t& first_byte);

// Puts 2, 3 and 5, those of them in the range and not given out yet, in
// `out` (room for wheel_primes.size()); returns how many.
std::size_t prime_scan_small_primes(PrimeScan& scan, Number* out);
