// Prime counting: pi(x), the number of primes up to x, without listing them.
//
// The sieve of Eratosthenes run only on the values floor(x / i): S(v) starts
// as the count of 2..v, and crossing off a prime p takes from every
// S(v >= p * p) the numbers up to v whose smallest prime factor is p,
// S(v / p) - S(p - 1) of them. O(x^3/4) time, O(sqrt x) memory.
#include "number/prime_pi.hpp"

#include <algorithm>
#include <cmath>

namespace {

// sqrt(2^32 - 1) < 65536: room for every Number.
constexpr std::size_t max_root = 65536;

// small[v] = S(v) for v <= root; large[i] = S(x / i) for i <= root.
std::uint32_t small[max_root + 1];
std::uint32_t large[max_root + 1];

std::uint32_t integer_sqrt(Number x) {
    auto r = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(x)));
    while (r * r > x) --r;
    while ((r + 1) * (r + 1) <= x) ++r;
    return static_cast<std::uint32_t>(r);
}

// Removes the multiples of p (with no smaller prime factor) from every S(v)
// with v >= p * p. `below` is S(p - 1), the count of primes below p.
void cross_off(Number x, std::uint32_t root, std::uint32_t p, std::uint32_t below) {
    const std::uint64_t square = std::uint64_t{p} * p;
    const auto large_end = static_cast<std::uint32_t>(std::min<std::uint64_t>(root, x / square));
    const std::uint32_t via_large = std::min(large_end, root / p);
    for (std::uint32_t i = 1; i <= via_large; ++i) large[i] -= large[i * p] - below;
    const std::uint32_t x_over_p = x / p;
    for (std::uint32_t i = via_large + 1; i <= large_end; ++i)
        large[i] -= small[x_over_p / i] - below;
    // small[v] for v from root down to p * p; v / p is the same over a run of
    // p values, so each run takes one subtraction without a division.
    for (std::uint32_t q = root / p; q >= p; --q) {
        const std::uint32_t take = small[q] - below;
        const std::uint32_t end = std::min(root, q * p + p - 1);
        for (std::uint32_t v = q * p; v <= end; ++v) small[v] -= take;
    }
}

}  // namespace

std::uint32_t prime_pi(Number x) {
    if (x < 2) return 0;
    const std::uint32_t root = integer_sqrt(x);
    for (std::uint32_t v = 1; v <= root; ++v) small[v] = v - 1;
    for (std::uint32_t i = 1; i <= root; ++i) large[i] = x / i - 1;
    for (std::uint32_t p = 2; p <= root; ++p) {
        if (small[p] == small[p - 1]) continue;  // p is not a prime
        cross_off(x, root, p, small[p - 1]);
    }
    return large[1];
}
