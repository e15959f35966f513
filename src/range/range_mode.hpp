// What each range mode of the menu does, as one table: where the list goes,
// how its lines break, what the screen says before and after, and how the
// average gap is rounded.
#pragma once

#include "console/messages.hpp"

struct RangeMode {
    const Message* banner;           // over the range dialogue
    unsigned screen_line_primes;     // primes per screen line; 0: no list on the screen
    unsigned file_line_primes;       // primes per file line; 0: Prime.txt is not written
    const Message* screen_preamble;  // after the clearing; given lo and hi
    const Message* end_message;  // after the scan (a file mode then says whether it was written)
    bool average_as_float;       // the listing modes print the gap rounded to single precision

    // Prime.txt gets the list, then the summary.
    constexpr bool writes_result_file() const { return file_line_primes != 0; }
};

// The list on the screen and in Prime.txt (slowest), on the screen only, in
// Prime.txt only, and the count alone (fastest).
extern const RangeMode list_to_screen_and_file, list_to_screen, list_to_file, count_only;
