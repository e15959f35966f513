// The primes of a range by a plain sieve of Eratosthenes, written apart
// from the program's engine: the reference for the list writer's tests.
#pragma once

#include <string>
#include <vector>

#include "number/number.hpp"

std::vector<Number> primes_by_plain_sieve(Number lo, Number hi);

// The list of primes as the program writes it: " p" items, CR LF after
// every per_line-th.
std::string listed(const std::vector<Number>& primes, unsigned per_line);
