// The odd primes below 2^16: every prime a 32-bit number can have below its
// square root. Found once, by a small sieve of Eratosthenes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// How many there are.
inline constexpr std::size_t odd_sieving_prime_count = 6541;

// 3, 5, 7, ..., 65521, in increasing order.
std::span<const std::uint16_t> odd_sieving_primes();
