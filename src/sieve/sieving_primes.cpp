// The odd primes below 2^16, found once by a small sieve of Eratosthenes.
#include "sieve/sieving_primes.hpp"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Marks composite[i] for the odd composites 2i + 1 below 2^16.
template <typename Bits>
constexpr void cross_off(Bits& composite) {
    for (std::uint32_t i = 1; i < composite.size(); ++i) {
        if (composite[i]) continue;
        const std::uint32_t p = 2 * i + 1;
        for (std::uint32_t j = (p * p) / 2; j < composite.size(); j += p) composite[j] = true;
    }
}

constexpr std::size_t odd_prime_count() {
    std::array<bool, 32768> composite{};
    cross_off(composite);
    return static_cast<std::size_t>(std::count(composite.begin() + 1, composite.end(), false));
}
static_assert(odd_prime_count() == odd_sieving_prime_count);

struct SievingPrimes {
    std::array<std::uint16_t, odd_sieving_prime_count> primes{};

    SievingPrimes() {
        std::vector<bool> composite(32768);
        cross_off(composite);
        std::size_t count = 0;
        for (std::uint32_t i = 1; i < composite.size(); ++i)
            if (!composite[i]) primes[count++] = static_cast<std::uint16_t>(2 * i + 1);
    }
};

}  // namespace

std::span<const std::uint16_t> odd_sieving_primes() {
    static const SievingPrimes found;
    return found.primes;
}
