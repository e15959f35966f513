// src/range: the range modes: their table, the dialogue that asks for the
// range, the run with its summary, and the clock that stamps it. It may use
// number, sieve, listing, result_file and console.
//
// A range search run: the list where the mode sends it, then the summary.
#pragma once

#include <cstdint>

#include "number/number.hpp"
#include "range/range_mode.hpp"

// A run of the mode's row (screen and file, screen, file or count only)
// over [lo, hi], lo < hi; ends by waiting for Enter.
void run_range(const RangeMode& m, Number lo, Number hi);

// The average distance between primes as the mode prints it: the numbers of
// the range over the primes, in IEEE double arithmetic on every build.
double average_gap(const RangeMode& m, Number lo, Number hi, std::uint32_t count);
