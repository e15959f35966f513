// The odd primes below 2^16: every prime a 32-bit number can have below its
// square root. Found once, by a small sieve of Eratosthenes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// 3, 5, 7, ..., 65521, in increasing order.
std::span<const std::uint16_t> odd_sieving_primes();
