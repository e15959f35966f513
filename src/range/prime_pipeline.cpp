// The primes of a range handed over in batches, the sieve on a second
// thread. A ring of batches between the two: the sieve fills one while the
// caller takes another, each side waiting only when the ring is full or
// empty; a batch of none ends the range. Memory stays 32 batches.
#include "range/prime_pipeline.hpp"

#include <atomic>

#include "number/prime_scan.hpp"
#include "range/worker.hpp"

namespace {

constexpr std::size_t batch_size = 8192;
constexpr unsigned ring_size = 32;  // 1 MiB: room for the writer's pauses in write()

struct Ring {
    Number primes[ring_size][batch_size];
    std::size_t counts[ring_size];
    std::atomic<unsigned> filled{0}, taken{0};  // batches so far, each side
};

// The sieve's state and the ring are far larger than a small stack.
PrimeScan scan;
Ring ring;

void wait_until(const std::atomic<unsigned>& value, unsigned at_least) {
    while (value.load(std::memory_order_acquire) < at_least) yield_processor();
}

void sieve_into_ring(void*) {
    for (unsigned n = 0;; ++n) {
        wait_until(ring.taken, n < ring_size ? 0 : n - ring_size + 1);
        const unsigned slot = n % ring_size;
        ring.counts[slot] = prime_scan_next(scan, ring.primes[slot], batch_size);
        ring.filled.store(n + 1, std::memory_order_release);
        if (ring.counts[slot] == 0) return;
    }
}

void scan_here(PrimeBatchTaker take, void* context) {
    static Number batch[batch_size];
    while (const std::size_t found = prime_scan_next(scan, batch, batch_size)) take(context, batch, found);
}

}  // namespace

void scan_primes(Number lo, Number hi, PrimeBatchTaker take, void* context, Number shortest_parallel) {
    prime_scan_start(scan, lo, hi);
    ring.filled.store(0);
    ring.taken.store(0);
    Worker worker;
    if (hi - lo < shortest_parallel || !start_worker(worker, sieve_into_ring, nullptr)) {
        scan_here(take, context);
        return;
    }
    for (unsigned n = 0;; ++n) {
        wait_until(ring.filled, n + 1);
        const unsigned slot = n % ring_size;
        const std::size_t found = ring.counts[slot];
        if (found != 0) take(context, ring.primes[slot], found);
        ring.taken.store(n + 1, std::memory_order_release);
        if (found == 0) break;
    }
    join_worker(worker);
}
