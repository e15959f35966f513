// The primes of a range, in increasing order: a segmented sieve of
// Eratosthenes over odd numbers, one bit each.
#include "number/prime_scan.hpp"

#include <algorithm>
#include <bit>

#include "number/presieve.hpp"
#include "number/prime_pi.hpp"
#include "number/sieving_primes.hpp"

namespace {

// The sieving primes after those of the pattern: 17, 19, 23, ...
std::span<const std::uint16_t> crossing_primes() {
    static const std::span<const std::uint16_t> after_pattern = [] {
        const std::span<const std::uint16_t> all = odd_sieving_primes();
        const auto* first = std::upper_bound(all.data(), all.data() + all.size(), presieved_up_to);
        return all.subspan(static_cast<std::size_t>(first - all.data()));
    }();
    return after_pattern;
}

// Bit index of the first odd multiple of p, from p * p on, at or after `low`.
std::uint64_t first_multiple_index(std::uint64_t p, std::uint64_t low) {
    std::uint64_t m = std::max(p * p, (low + p - 1) / p * p);
    if (m % 2 == 0) m += p;
    return (m - low) / 2;
}

bool segment_exists(const PrimeScan& scan) { return scan.segment_low <= scan.hi; }

// Sieves the segment at scan.segment_low, up to hi at the most.
void sieve_segment(PrimeScan& scan) {
    const std::uint64_t odds = std::min(segment_odds, (scan.hi - scan.segment_low) / 2 + 1);
    scan.used_words = static_cast<std::size_t>((odds + 63) / 64);
    presieve(scan.sieve, scan.used_words, scan.segment_low);
    // The pattern crossed off 3 to 13 themselves, and 1 is not a prime.
    for (std::uint64_t small : {1, 3, 5, 7, 11, 13}) {
        if (small < scan.segment_low || small >= scan.segment_low + 2 * odds) continue;
        const std::uint64_t j = (small - scan.segment_low) / 2;
        const std::uint64_t bit = std::uint64_t{1} << (j % 64);
        scan.sieve[j / 64] = small == 1 ? scan.sieve[j / 64] & ~bit : scan.sieve[j / 64] | bit;
    }
    const std::span<const std::uint16_t> primes = crossing_primes();
    const std::uint64_t limit = scan.used_words * 64;
    for (std::size_t i = 0; i < scan.crossing_count; ++i) {
        const std::uint32_t p = primes[i];
        std::uint64_t j = scan.next_multiple[i];
        for (; j < limit; j += p) scan.sieve[j / 64] &= ~(std::uint64_t{1} << (j % 64));
        // Relative to the next segment; only the last segment is shorter.
        scan.next_multiple[i] = static_cast<std::uint32_t>(j - limit);
    }
    // Bits past hi in the last word.
    if (odds % 64 != 0) scan.sieve[scan.used_words - 1] &= (std::uint64_t{1} << (odds % 64)) - 1;
    scan.word = 0;
    scan.segment_ready = true;
}

// Loads the next word of primes into scan.bits; false when the range is done.
bool next_word(PrimeScan& scan) {
    if (scan.segment_ready && scan.word == scan.used_words) {
        scan.segment_low += 2 * segment_odds;
        scan.segment_ready = false;
    }
    if (!scan.segment_ready) {
        if (!segment_exists(scan)) return false;
        sieve_segment(scan);
    }
    scan.bits = scan.sieve[scan.word++];
    return true;
}

}  // namespace

void prime_scan_start(PrimeScan& scan, Number lo, Number hi) {
    scan.hi = hi;
    scan.two_pending = lo <= 2 && 2 <= hi;
    scan.segment_low = lo | 1;  // the first odd number from lo on
    scan.segment_ready = false;
    scan.used_words = scan.word = 0;
    scan.bits = 0;
    const std::span<const std::uint16_t> primes = crossing_primes();
    scan.crossing_count = 0;
    for (const std::uint64_t p : primes) {
        if (p * p > hi) break;
        // Indices past 2^32 cannot occur: p * p <= hi < 2^32.
        scan.next_multiple[scan.crossing_count++] =
            static_cast<std::uint32_t>(first_multiple_index(p, scan.segment_low));
    }
}

std::size_t prime_scan_next(PrimeScan& scan, Number* out, std::size_t capacity) {
    std::size_t found = 0;
    if (scan.two_pending && capacity > 0) {
        out[found++] = 2;
        scan.two_pending = false;
    }
    while (found < capacity) {
        if (scan.bits == 0) {
            if (!next_word(scan)) break;
            continue;
        }
        const std::uint64_t base = scan.segment_low + 128 * (scan.word - 1);
        out[found++] = static_cast<Number>(base + 2 * static_cast<unsigned>(std::countr_zero(scan.bits)));
        scan.bits &= scan.bits - 1;
    }
    return found;
}

std::uint32_t sieve_count_primes(Number lo, Number hi) {
    static PrimeScan scan;
    prime_scan_start(scan, lo, hi);
    std::uint32_t count = scan.two_pending ? 1 : 0;
    while (next_word(scan)) count += static_cast<std::uint32_t>(std::popcount(scan.bits));
    return count;
}

std::uint32_t count_primes(Number lo, Number hi) {
    // Prime counting costs a few milliseconds whatever the range; sieving a
    // narrow range is cheaper.
    constexpr Number sieve_below_width = 1u << 22;
    if (hi - lo < sieve_below_width) return sieve_count_primes(lo, hi);
    return prime_pi(hi) - (lo > 1 ? prime_pi(lo - 1) : 0);
}
