// A range search run: the list where the mode sends it, then the summary.
#pragma once

#include "number/number.hpp"
#include "range/range_mode.hpp"

// Modes 2 (screen and file), 3 (screen), 4 (file) and 5 (count only),
// for lo < hi; ends by waiting for Enter.
void run_range(Mode mode, Number lo, Number hi);
