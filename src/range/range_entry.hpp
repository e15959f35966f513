// The dialogue that asks for the two ends of a range, in either order.
#pragma once

#include "number/number.hpp"
#include "range/range_mode.hpp"

// The ends as typed, the smaller first; equal when both were the same
// number, which the caller then checks as a single number.
struct RangeEntry {
    Number lo, hi;
};

RangeEntry enter_range(const RangeMode& m);
