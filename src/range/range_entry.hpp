// The dialogue that asks for the two ends of a range, in either order.
#pragma once

#include "number/number.hpp"
#include "range/range_mode.hpp"

struct RangeEntry {
    bool reported;  // both ends were equal: the single-number report was shown
    Number lo, hi;  // otherwise lo < hi
};

RangeEntry enter_range(Mode mode);
