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
};

void write_prime_list(PrimeList& list, const Number* primes, std::size_t count);
