// A range search run: the list where the mode sends it, then the summary.
#pragma once

#include <cstdint>

#include "number/number.hpp"
#include "range/range_mode.hpp"

// Modes 2 (screen and file), 3 (screen), 4 (file) and 5 (count only),
// for lo < hi; ends by waiting for Enter.
void run_range(Mode mode, Number lo, Number hi);

// The average distance between primes as the mode prints it: the numbers of
// the range over the primes, in IEEE double arithmetic on every build.
double average_gap(const RangeMode& m, Number lo, Number hi, std::uint32_t count);
