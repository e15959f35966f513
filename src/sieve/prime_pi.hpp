// Prime counting: pi(x), the number of primes up to x, without listing them.
#pragma once

#include <cstdint>

#include "number/number.hpp"

std::uint32_t prime_pi(Number x);
