// What each range mode of the menu does, as one table: where the list goes,
// how its lines break, what the screen says before and after, and how the
// average gap is rounded.
#pragma once

#include "console/messages.hpp"

struct RangeMode {
    const Message* banner;          // over the range dialogue
    bool writes_result_file;        // Prime.txt gets the list and summary
    unsigned screen_line_primes;    // primes per screen line; 0: no list on the screen
    unsigned file_line_primes;      // primes per file line; 0: no list in the file
    const Message* screen_preamble; // after the clearing; given lo and hi
    const Message* end_message;     // after the scan (a file mode then says whether it was written)
    bool average_as_float;          // the listing modes print the gap rounded to single precision
};

// The row of the menu's choice `choice` (2 to 5); nullptr for a choice that
// is no range mode.
const RangeMode* range_mode(int choice);
