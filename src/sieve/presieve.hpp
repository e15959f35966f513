// The sieve of the primes 7 to 31 as repeating byte patterns of the wheel of
// 30, copied into a segment instead of crossed off one multiple at a time.
#pragma once

#include <cstddef>
#include <cstdint>

// The primes the patterns take care of, and the largest of them.
inline constexpr std::uint32_t presieved_primes[] = {7, 11, 13, 17, 19, 23, 29, 31};
inline constexpr std::uint32_t presieved_up_to = 31;

// Fills `bytes` for the wheel bytes first_byte, first_byte + 1, ... (byte i
// standing for 30i + 1 to 30i + 29): a bit is 1 where the number is divisible
// by none of 7, 11, 13, 17, 19, 23, 29 and 31.
void presieve(std::uint8_t* bytes, std::size_t count, std::uint64_t first_byte);
