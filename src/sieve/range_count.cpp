// The number of primes in a range, without listing them.
#include "sieve/range_count.hpp"

#include <memory>

#include "sieve/bit_count.hpp"
#include "sieve/prime_pi.hpp"
#include "sieve/prime_scan.hpp"

std::uint32_t sieve_count_primes(Number lo, Number hi) {
    // On the heap: a scan is 180 KiB, and a thread's stack may be smaller.
    const auto scan = std::make_unique_for_overwrite<PrimeScan>();
    prime_scan_start(*scan, lo, hi);
    Number small[wheel_primes.size()];
    auto count = static_cast<std::uint32_t>(prime_scan_small_primes(*scan, small));
    while (prime_scan_next_word(*scan)) count += bits_set(scan->bits);
    return count;
}

std::uint32_t count_primes(Number lo, Number hi) {
    // Two prime counts cost about a millisecond whatever the range; sieving
    // 2^22 numbers costs less.
    constexpr Number sieve_below_width = 1u << 22;
    if (hi - lo < sieve_below_width) return sieve_count_primes(lo, hi);
    return prime_pi(hi) - (lo > 1 ? prime_pi(lo - 1) : 0);
}
