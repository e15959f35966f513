// The primes of a range written to the lists, the sieve on a second thread.
//
// A ring of batches lies between the two threads: the sieve fills one while
// the caller writes another, each side waiting only when the ring is full or
// empty; a batch of none ends the range. When the caller falls behind on a
// single list, the sieve thread formats the batch it has just sieved into a
// ring of text, and the caller only copies that text into its channel: a
// batch's text depends on nothing but its primes and where the line stands,
// both known when it is sieved. That help makes mode 3 over 1..1e9 into a
// file 26% faster (a run without it takes 1.35 times as long; modes 2 and 4
// gain 1% and 5%, so the two lists of mode 2 are always written by the
// caller). A batch is a stretch of the sieve's wheel bytes, read by the list
// writer as they are. Memory stays 64 batches of 4 KiB and 2 MiB of text,
// taken from the heap for the call. A side that must wait sleeps (a slow
// screen or a paused reader costs no CPU): the writer is woken by the next
// batch, the sieve only once a quarter of either ring is free again, so
// that the writer, mostly the slower side, rings seldom. (Waking the writer
// only for a quarter of the ring too made mode 2 over 1..5e8 40% slower: it
// idled while the sieve formatted for it.)
#include "listing/prime_pipeline.hpp"

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <memory>

#include "sieve/prime_scan.hpp"
#include "listing/sleeper.hpp"
#include "listing/worker.hpp"

namespace {

constexpr std::size_t batch_bytes = 4096;  // wheel bytes: 122880 numbers
constexpr unsigned ring_size = 64;         // room for the writer's pauses in write()
constexpr std::size_t text_ring_size = std::size_t{2} << 20;

// A batch's text never runs across the ring's end: it starts again from the
// ring's start, leaving at most its own size unused at the end. With room
// for two of the largest, the text of every batch before it, which the
// caller writes without waiting for anything of the sieve's, frees what the
// batch needs.
static_assert(2 * prime_list_room(batch_bytes * 8, 1) <= text_ring_size,
              "the text ring holds two batches' text");

struct Slot {
    std::uint8_t bytes[batch_bytes];
    std::size_t byte_count;
    std::uint64_t first_byte;
    Number small[wheel_primes.size()];
    std::size_t small_count;
    std::size_t count;          // primes in all
    bool prepared;              // the text below is the batch's
    std::size_t text_at;        // where it starts in the text ring
    std::size_t text_size;
    std::uint64_t text_end;     // text written when it was done
};

// Progress is stored and read with memory_order_seq_cst, as the sleepers need.
struct Ring {
    Slot slots[ring_size];
    std::atomic<unsigned> filled{0}, taken{0};  // batches so far, each side
    char text[text_ring_size];
    std::atomic<std::uint64_t> text_freed{0};   // text the caller is done with
    // The writer waits for batches, the sieve for room in either ring.
    Sleeper writer, sieve_for_batches, sieve_for_text;
};

// What the sieve thread knows of the list it may format.
struct Ahead {
    PrimeList list;  // where it will stand before the next batch
    std::uint64_t text_written;
    unsigned help_when_behind;  // the lag, in batches, from which it formats
};

// A lag the ring never reaches: the caller writes every batch.
constexpr unsigned never_help = ~0u;
static_assert(never_help > ring_size);

// Everything of one call: 2.5 MiB, on the heap for as long as the call runs.
struct Pipeline {
    PrimeScan scan;
    Ring ring;
    Ahead ahead;
};

// Waits until `value` reaches `at_least`, asking to be woken once it has
// gone `more` further (no further than `most`).
void wait_until(Sleeper& sleeper, const std::atomic<unsigned>& value, unsigned at_least, unsigned more,
                unsigned most, Sleeper* partner = nullptr) {
    wait_for(sleeper, std::min(at_least + more, most), [&] { return value.load() >= at_least; }, partner);
}

PrimeBatch batch_of(const Slot& slot) {
    return {slot.small, slot.small_count, slot.bytes, slot.byte_count, slot.first_byte};
}

// The batch of nothing that ends the range.
bool ends_range(const Slot& slot) {
    return slot.small_count == 0 && slot.byte_count == 0;
}

// Sieves the next batch into the slot; false when the range is done.
bool fill(PrimeScan& scan, Slot& slot) {
    slot.small_count = prime_scan_small_primes(scan, slot.small);
    slot.byte_count = prime_scan_next_bytes(scan, slot.bytes, batch_bytes, slot.first_byte);
    slot.count = primes_in(batch_of(slot));
    return !ends_range(slot);
}

// Formats the slot's batch into the text ring, waiting for the caller to
// free the room it needs there.
void prepare_ahead(Ring& ring, Ahead& ahead, Slot& slot) {
    const std::size_t room = prime_list_room(slot.count, ahead.list.per_line);
    std::uint64_t at = ahead.text_written;
    if (text_ring_size - at % text_ring_size < room) at += text_ring_size - at % text_ring_size;
    const std::uint64_t needed = at + room > text_ring_size ? at + room - text_ring_size : 0;
    wait_for(ring.sieve_for_text, std::min(needed + text_ring_size / 4, ahead.text_written),
             [&ring, needed] { return ring.text_freed.load() >= needed; }, &ring.writer);
    char* const start = ring.text + at % text_ring_size;
    char* const end = prepare_prime_list(start, ahead.list, batch_of(slot));
    slot.text_at = at % text_ring_size;
    slot.text_size = static_cast<std::size_t>(end - start);
    ahead.text_written = at + slot.text_size;
    slot.text_end = ahead.text_written;
}

void sieve_into_ring(void* started) {
    Pipeline& pipeline = *static_cast<Pipeline*>(started);
    Ring& ring = pipeline.ring;
    Ahead& ahead = pipeline.ahead;
    for (unsigned n = 0;; ++n) {
        wait_until(ring.sieve_for_batches, ring.taken, n < ring_size ? 0 : n - ring_size + 1, ring_size / 4, n,
                   &ring.writer);
        Slot& slot = ring.slots[n % ring_size];
        const bool more = fill(pipeline.scan, slot);
        const unsigned behind = n - ring.taken.load();
        slot.prepared = slot.count != 0 && behind >= ahead.help_when_behind;
        if (slot.prepared) prepare_ahead(ring, ahead, slot);
        move_list_on(ahead.list, slot.count);
        ring.filled.store(n + 1);
        progress_made(ring.writer, n + 1, !more);
        if (!more) return;
    }
}

void write_batch(PrimeList& first, PrimeList* second, const PrimeBatch& batch) {
    if (second != nullptr)
        write_prime_lists(first, *second, batch);
    else
        write_prime_list(first, batch);
}

void write_prepared(Ring& ring, PrimeList& list, const Slot& slot) {
    write_prepared_list(list, ring.text + slot.text_at, slot.text_size, slot.count);
    ring.text_freed.store(slot.text_end);
    progress_made(ring.sieve_for_text, slot.text_end);
}

void close_sleepers(Ring& ring) {
    for (Sleeper* sleeper : {&ring.writer, &ring.sieve_for_batches, &ring.sieve_for_text})
        close_doorbell(sleeper->bell);
}

bool open_sleepers(Ring& ring) {
    if (open_doorbell(ring.writer.bell) && open_doorbell(ring.sieve_for_batches.bell) &&
        open_doorbell(ring.sieve_for_text.bell))
        return true;
    close_sleepers(ring);
    return false;
}

// The whole range on this thread, through the ring's first slot.
std::uint32_t list_here(Pipeline& pipeline, PrimeList& first, PrimeList* second) {
    Slot& slot = pipeline.ring.slots[0];
    std::uint32_t count = 0;
    while (fill(pipeline.scan, slot)) {
        write_batch(first, second, batch_of(slot));
        count += static_cast<std::uint32_t>(slot.count);
    }
    return count;
}

}  // namespace

std::uint32_t list_primes(Number lo, Number hi, PrimeList& first, PrimeList* second, Number shortest_parallel,
                          unsigned help_when_behind) {
    const auto pipeline = std::make_unique_for_overwrite<Pipeline>();
    Ring& ring = pipeline->ring;
    prime_scan_start(pipeline->scan, lo, hi);
    pipeline->ahead = {first, 0, second != nullptr ? never_help : help_when_behind};
    if (hi - lo < shortest_parallel || !open_sleepers(ring)) return list_here(*pipeline, first, second);
    Worker worker;
    if (!start_worker(worker, sieve_into_ring, pipeline.get())) {
        close_sleepers(ring);
        return list_here(*pipeline, first, second);
    }
    std::uint32_t count = 0;
    for (unsigned n = 0;; ++n) {
        wait_until(ring.writer, ring.filled, n + 1, 0, n + 1);
        const Slot& slot = ring.slots[n % ring_size];
        if (ends_range(slot)) break;
        if (slot.prepared)
            write_prepared(ring, first, slot);
        else
            write_batch(first, second, batch_of(slot));
        count += static_cast<std::uint32_t>(slot.count);
        ring.taken.store(n + 1);
        progress_made(ring.sieve_for_batches, n + 1);
    }
    join_worker(worker);
    close_sleepers(ring);
    return count;
}
