// The odd primes below 2^16, found once by a small sieve of Eratosthenes.
#include "sieve/sieving_primes.hpp"

#include <array>
#include <vector>

namespace {

// There are 6541 odd primes below 65536.
constexpr std::size_t odd_prime_count = 6541;

struct SievingPrimes {
    std::array<std::uint16_t, odd_prime_count> primes{};

    SievingPrimes() {
        // composite[i] stands for the odd number 2i + 1.
        std::vector<bool> composite(32768);
        for (std::uint32_t i = 1; i < composite.size(); ++i) {
            if (composite[i]) continue;
            const std::uint32_t p = 2 * i + 1;
            for (std::uint32_t j = (p * p) / 2; j < composite.size(); j += p) composite[j] = true;
        }
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
