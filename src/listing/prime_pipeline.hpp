// src/listing: the list of primes as the range modes write it: the writer
// that turns the sieve's bits into text, the two threads it runs on, and
// their worker and waiting primitives. It may use number, sieve and the
// console's channels.
//
// The primes of a range written to the run's lists, with the sieve on a
// second thread: the sieve and the list writer take about the same time, and
// on two cores they then overlap. When the writer of a single list falls
// behind, the second thread also formats some batches of the list itself,
// to balance the two. The bytes written do not change, only when and by
// which thread.
#pragma once

#include <cstdint>

#include "number/number.hpp"
#include "listing/prime_list.hpp"

// Writes the primes of [lo, hi] to `first`, and to `second` as well when it
// is given (the two lists of mode 2, digits made once); returns their count.
// Ranges shorter than `shortest_parallel` numbers, or a platform without a
// second thread, take one thread. The second thread formats a batch of a
// single list when the writer is `help_when_behind` batches behind it (0:
// every batch). By default that is 16 of the 64 batches the ring holds: the
// fastest of 2 to 64 measured over 1..1e9 in modes 3 and 4 and 1..2e9 in
// mode 4.
std::uint32_t list_primes(Number lo, Number hi, PrimeList& first, PrimeList* second,
                          Number shortest_parallel = Number{1} << 24, unsigned help_when_behind = 16);
