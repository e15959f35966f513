// The primes of a range by the program's own trial division: the reference
// the fast engine and the expected screens are built from.
#pragma once

#include <string>
#include <vector>

#include "number/number.hpp"

std::vector<Number> primes_by_trial_division(Number lo, Number hi);

// The list of primes as the program writes it: " p" items, CR LF after
// every per_line-th.
std::string listed(const std::vector<Number>& primes, unsigned per_line);
