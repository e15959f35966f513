// The wheel of 30: the numbers that 2, 3 and 5 do not divide are eight in
// every thirty, and a sieve keeps one bit for each. Byte i of a sieve stands
// for 30i + 1, 30i + 7, 30i + 11, 30i + 13, 30i + 17, 30i + 19, 30i + 23 and
// 30i + 29, bit 0 to bit 7, so that a higher bit is always a larger number.
#pragma once

#include <array>
#include <cstdint>

#include "number/number.hpp"

// The primes the wheel leaves out, given out apart from the sieve.
inline constexpr std::array<Number, 3> wheel_primes = {2, 3, 5};
inline constexpr unsigned wheel_span = wheel_primes[0] * wheel_primes[1] * wheel_primes[2];

// The residues modulo 30 that the bits of a byte stand for.
inline constexpr std::array<std::uint8_t, 8> wheel_residues = {1, 7, 11, 13, 17, 19, 23, 29};

// The bit that stands for a residue modulo 30; 8 where 2, 3 or 5 divides it.
inline constexpr std::array<std::uint8_t, wheel_span> wheel_bit_of = [] {
    std::array<std::uint8_t, wheel_span> bit{};
    bit.fill(8);
    for (std::uint8_t j = 0; j < 8; ++j) bit[wheel_residues[j]] = j;
    return bit;
}();

// For bit b of a 64-bit word of the sieve: the number it stands for, less 30
// times the index of the word's first byte.
inline constexpr std::array<std::uint8_t, 64> wheel_word_offsets = [] {
    std::array<std::uint8_t, 64> offset{};
    for (unsigned b = 0; b < 64; ++b)
        offset[b] = static_cast<std::uint8_t>(wheel_span * (b / 8) + wheel_residues[b % 8]);
    return offset;
}();
