// The list of primes as a run writes it: " p" items, a line break after
// every per_line-th prime. Bytes as MSG_LIST_ITEM and MSG_LINE_BREAK give.
#pragma once

#include <cstddef>

#include "console/channel.hpp"
#include "number/number.hpp"

struct PrimeList {
    Channel* channel;
    unsigned per_line;
    unsigned on_line = 0;  // items written since the last line break
    // The last item written, " " and its decimal digits, right-aligned; all
    // but its last three digits are kept current, and those are last_low.
    // The next prime's digits come from adding the gap.
    Number last = 0;
    unsigned last_low = 0;  // last % 1000
    unsigned item_length = 0;
    char item[32] = {};
};

// Writes the primes, given in increasing order and each following the last
// one written without a prime between them.
void write_prime_list(PrimeList& list, const Number* primes, std::size_t count);

// The same primes into two lists at once, each with its own line length:
// every prime's digits are made once, from `first`'s item.
void write_prime_lists(PrimeList& first, PrimeList& second, const Number* primes, std::size_t count);
