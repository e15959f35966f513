// The primality test of the whole program: plain trial division.
#pragma once

#include "number/number.hpp"

// 1 when n is not a prime (0 and 1 included), 0 when it is.
int is_composite(Number n);
