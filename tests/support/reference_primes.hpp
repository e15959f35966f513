// The primes of a range by the program's own trial division: the reference
// the fast engine and the expected screens are built from.
#pragma once

#include <vector>

#include "number/number.hpp"

std::vector<Number> primes_by_trial_division(Number lo, Number hi);
