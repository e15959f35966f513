// Prime counting by Meissel's formula. With y the cube root of x and a the
// number of primes up to y,
//
//   pi(x) = phi(x, a) + a - 1 - P2(x, a),
//
// where phi(x, a) counts the numbers up to x that none of the first a primes
// divides, and P2(x, a) those that are the product of two primes above y
// (three such primes would exceed x). Both need pi(v) only for v up to x / y,
// which a sieve of x^(2/3) numbers gives; phi is taken apart recursively
// until pi or a small periodic table answers it: about a millisecond for
// x = 2e9, two for 2^32 - 1.
#include "sieve/prime_pi.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>

#include "sieve/prime_count_table.hpp"
#include "sieve/sieving_primes.hpp"

namespace {

// Below this, pi(x) is read from the table directly.
constexpr Number table_only_below = 1u << 16;

// phi(x, 6) repeats with the product of the first six primes.
constexpr unsigned small_a = 6;
constexpr std::uint32_t primorial = 2 * 3 * 5 * 7 * 11 * 13;
constexpr std::uint32_t totient = 1 * 2 * 4 * 6 * 10 * 12;

// coprime_up_to()[r]: the numbers 1..r that none of 2, 3, 5, 7, 11, 13
// divides; made at the first count, not at every start of the program.
const std::uint16_t* coprime_up_to() {
    static const auto table = [] {
        std::array<std::uint16_t, primorial> count{};
        std::uint16_t running = 0;
        for (std::uint32_t r = 0; r < primorial; ++r) {
            running += r % 2 && r % 3 && r % 5 && r % 7 && r % 11 && r % 13;
            count[r] = running;
        }
        return count;
    }();
    return table.data();
}

std::uint32_t phi_small(Number x) {
    return x / primorial * totient + coprime_up_to()[x % primorial];
}

// prime(i) is the i-th prime, from prime(1) = 2 up to the last below 2^16.
std::uint32_t prime(unsigned i) {
    return i == 1 ? 2 : odd_sieving_primes()[i - 2];
}

std::uint32_t integer_root(Number x, unsigned degree) {
    auto r = static_cast<std::uint64_t>(std::pow(static_cast<double>(x), 1.0 / degree));
    auto power = [degree](std::uint64_t v) {
        std::uint64_t p = 1;
        for (unsigned k = 0; k < degree; ++k) p *= v;
        return p;
    };
    while (r > 0 && power(r) > x) --r;
    while (power(r + 1) <= x) ++r;
    return static_cast<std::uint32_t>(r);
}

// phi(x, a) for a >= small_a; x is at least 1, the table's bound at least
// x / y.
std::int64_t phi(const PrimeCountTable& table, Number x, unsigned a) {
    if (a == small_a) return phi_small(x);
    const std::uint64_t next = prime(a + 1);
    if (x < next) return 1;
    if (x < next * next) return std::int64_t{prime_count_table_pi(table, x)} - a + 1;
    // phi(x, a) = phi(x, 6) - sum of phi(x / p_i, i - 1) for i = 7..a; once
    // x / p_i < p_i, every remaining term is 1.
    std::int64_t sum = phi_small(x);
    for (unsigned i = small_a + 1; i <= a; ++i) {
        const Number y = x / prime(i);
        if (y < prime(i)) return sum - (a - i + 1);
        sum -= phi(table, y, i - 1);
    }
    return sum;
}

}  // namespace

std::uint32_t prime_pi(Number x) {
    // On the heap: the table is 210 KiB, and a thread's stack may be smaller.
    const auto owned = std::make_unique_for_overwrite<PrimeCountTable>();
    PrimeCountTable& table = *owned;
    if (x < table_only_below) {
        prime_count_table_build(table, x);
        return prime_count_table_pi(table, x);
    }
    const std::uint32_t y = integer_root(x, 3);
    prime_count_table_build(table, x / y);
    const unsigned a = prime_count_table_pi(table, y);
    const unsigned b = prime_count_table_pi(table, integer_root(x, 2));
    std::int64_t two_factors = 0;
    for (unsigned i = a + 1; i <= b; ++i) two_factors += prime_count_table_pi(table, x / prime(i)) - (i - 1);
    return static_cast<std::uint32_t>(phi(table, x, a) + a - 1 - two_factors);
}
