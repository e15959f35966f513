// The sieve of the primes 3 to 13 as a repeating bit pattern, copied into a
// segment instead of crossed off one multiple at a time.
#pragma once

#include <cstddef>
#include <cstdint>

// The largest prime the pattern takes care of.
inline constexpr std::uint32_t presieved_up_to = 13;

// Fills `words` with the pattern for the odd numbers first_odd, first_odd + 2,
// ... (one bit each, bit 0 of word 0 first): 1 where the number is divisible
// by none of 3, 5, 7, 11 and 13.
void presieve(std::uint64_t* words, std::size_t count, std::uint64_t first_odd);
