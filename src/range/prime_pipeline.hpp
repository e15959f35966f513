// The primes of a range handed over in batches, in increasing order, with
// the sieve on a second thread while the caller writes the batch before:
// the sieve and the list writer take about the same time, and on two cores
// they then overlap. The bytes written do not change, only when.
#pragma once

#include <cstddef>

#include "number/number.hpp"

using PrimeBatchTaker = void (*)(void* context, const Number* primes, std::size_t count);

// Calls `take` with every batch of the primes of [lo, hi], in order, on the
// calling thread. Ranges shorter than `shortest_parallel` numbers, or a
// platform without a second thread, sieve on the calling thread.
void scan_primes(Number lo, Number hi, PrimeBatchTaker take, void* context,
                 Number shortest_parallel = Number{1} << 24);
