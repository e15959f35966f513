// The primes of a range, in increasing order: a segmented sieve of
// Eratosthenes on the wheel of 30. 2, 3 and 5 are given out apart; every
// other prime is a set bit of a wheel byte once the presieve patterns and the
// sieving primes from 37 on have been applied to the segment.
#include "sieve/prime_scan.hpp"

#include <algorithm>
#include <cstring>
#include <span>

#include "sieve/presieve.hpp"
#include "sieve/sieving_primes.hpp"
#include "sieve/wheel.hpp"

namespace {

// The sieving primes after those of the patterns: 37, 41, 43, ...
std::span<const std::uint16_t> crossing_primes() {
    static const std::span<const std::uint16_t> after_patterns = [] {
        const std::span<const std::uint16_t> all = odd_sieving_primes();
        const auto* first = std::upper_bound(all.data(), all.data() + all.size(), presieved_up_to);
        return all.subspan(static_cast<std::size_t>(first - all.data()));
    }();
    return after_patterns;
}

// The bits of a wheel byte whose numbers lie in [lo, hi]; for the bytes that
// hold the range's first and last numbers.
std::uint8_t in_range_bits(std::uint64_t byte_index, std::uint64_t lo, std::uint64_t hi) {
    std::uint8_t keep = 0;
    for (unsigned j = 0; j < 8; ++j) {
        const std::uint64_t n = wheel_span * byte_index + wheel_residues[j];
        if (n >= lo && n <= hi) keep |= static_cast<std::uint8_t>(1u << j);
    }
    return keep;
}

// The patterns struck the primes they stand for too, and left 1 in place.
void restore_presieved_primes(PrimeScan& scan, std::uint32_t size) {
    for (const std::uint32_t q : presieved_primes) {
        const std::uint64_t byte = q / wheel_span;
        if (byte < scan.segment_first || byte >= scan.segment_first + size) continue;
        scan.sieve[byte - scan.segment_first] |=
            static_cast<std::uint8_t>(1u << wheel_bit_of[q % wheel_span]);
    }
    if (scan.segment_first == 0) scan.sieve[0] &= 0xFE;  // the bit of 1
}

// The sieving primes below 4096 have many multiples in every 32 KiB: they
// cross off one such block at a time, which stays in the level-1 cache, so
// that their read-modify-writes do not each wait for the level-2 cache. The
// larger ones, with few multiples a block, take the whole segment at once.
// Measured over 1..1e9 (count only): 159 ms with the whole segment for every
// prime, 92 ms so; blocks of 16, 24 and 40 KiB and bounds of 1024 to 16384
// did no better.
constexpr std::uint32_t small_prime_below = 4096;
constexpr std::uint32_t block_bytes = 32 * 1024;

void cross_off_all(PrimeScan& scan, std::uint32_t size) {
    std::size_t small = 0;
    while (small < scan.crossing_count && scan.crossing[small].prime < small_prime_below) ++small;
    for (std::uint32_t block = 0; block < size; block += block_bytes) {
        const std::uint32_t part = std::min(block_bytes, size - block);
        for (std::size_t i = 0; i < small; ++i) cross_off(scan.sieve + block, part, scan.crossing[i]);
    }
    for (std::size_t i = small; i < scan.crossing_count; ++i) cross_off(scan.sieve, size, scan.crossing[i]);
}

// Sieves the segment at scan.segment_first, bytes up to hi at the most.
void sieve_segment(PrimeScan& scan) {
    const std::uint64_t last_byte = scan.hi / wheel_span;
    const auto size = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(segment_bytes, last_byte - scan.segment_first + 1));
    presieve(scan.sieve, size, scan.segment_first);
    restore_presieved_primes(scan, size);
    cross_off_all(scan, size);
    // The range's ends within their bytes, and whole words for extraction.
    scan.sieve[0] &= in_range_bits(scan.segment_first, scan.lo, scan.hi);
    scan.sieve[size - 1] &= in_range_bits(scan.segment_first + size - 1, scan.lo, scan.hi);
    scan.used_words = (size + 7) / 8;
    std::memset(scan.sieve + size, 0, scan.used_words * 8 - size);
    scan.word = 0;
    scan.segment_ready = true;
}

// A segment with words left to give out, sieved if need be; false when the
// range is done.
bool words_left(PrimeScan& scan) {
    if (scan.segment_ready && scan.word == scan.used_words) {
        scan.segment_first += segment_bytes;
        scan.segment_ready = false;
    }
    if (!scan.segment_ready) {
        if (wheel_span * scan.segment_first > scan.hi) return false;
        sieve_segment(scan);
    }
    return true;
}

}  // namespace

bool prime_scan_next_word(PrimeScan& scan) {
    if (!words_left(scan)) return false;
    std::memcpy(&scan.bits, scan.sieve + 8 * scan.word++, 8);
    return true;
}

std::size_t prime_scan_next_bytes(PrimeScan& scan, std::uint8_t* out, std::size_t capacity,
                                  std::uint64_t& first_byte) {
    if (!words_left(scan)) return 0;
    const std::size_t words = std::min(capacity / 8, scan.used_words - scan.word);
    first_byte = scan.segment_first + 8 * scan.word;
    std::memcpy(out, scan.sieve + 8 * scan.word, 8 * words);
    scan.word += words;
    return 8 * words;
}

std::size_t prime_scan_small_primes(PrimeScan& scan, Number* out) {
    std::size_t found = 0;
    for (; scan.small_next < wheel_primes.size(); ++scan.small_next) {
        const Number p = wheel_primes[scan.small_next];
        if (p >= scan.lo && p <= scan.hi) out[found++] = p;
    }
    return found;
}

void prime_scan_start(PrimeScan& scan, Number lo, Number hi) {
    scan.lo = lo;
    scan.hi = hi;
    scan.small_next = 0;
    scan.segment_first = lo / wheel_span;
    scan.segment_ready = false;
    scan.used_words = scan.word = 0;
    scan.bits = 0;
    const std::span<const std::uint16_t> primes = crossing_primes();
    scan.crossing_count = 0;
    for (const std::uint64_t p : primes) {
        if (p * p > hi) break;
        scan.crossing[scan.crossing_count++] =
            first_crossing(static_cast<std::uint32_t>(p), scan.segment_first);
    }
    if (lo > hi) scan.segment_first = std::uint64_t{hi} / wheel_span + 1;  // nothing to sieve
}
