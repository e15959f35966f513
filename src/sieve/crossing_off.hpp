// Crossing off the multiples of one sieving prime in a segment of wheel
// bytes. Only multiples p * q with q coprime to 30 stand in the sieve; for a
// prime p = 30a + b they come back to the same bits every 30p numbers (p
// bytes), eight to a period, at offsets that depend on a and on b alone.
#pragma once

#include <cstdint>

struct CrossingPrime {
    std::uint32_t next_byte;  // byte of the next multiple, relative to the segment
    std::uint16_t prime;
    std::uint8_t wheel;       // which of the eight multiples of a period it is
};

// Points `cp` at the first multiple of p, from p * p on, in or after the
// segment whose byte 0 is wheel byte `first_byte`. p is a prime from 7 up.
CrossingPrime first_crossing(std::uint32_t p, std::uint64_t first_byte);

// Clears the bits of the multiples in bytes [0, size) and leaves `cp` at the
// first multiple past them, relative to the next segment.
void cross_off(std::uint8_t* sieve, std::uint32_t size, CrossingPrime& cp);
