// The primes of a range by a plain sieve of Eratosthenes.
#include "support/reference_primes.hpp"

#include <cstdint>

std::vector<Number> primes_by_plain_sieve(Number lo, Number hi) {
    // Every prime up to 65536 covers the square roots of all 32-bit numbers.
    const std::uint64_t root_limit = 65536;
    std::vector<bool> small_composite(root_limit + 1, false);
    std::vector<bool> composite(std::uint64_t{hi} - lo + 1, false);
    for (std::uint64_t p = 2; p <= root_limit; ++p) {
        if (small_composite[p]) continue;
        for (std::uint64_t m = p * p; m <= root_limit; m += p) small_composite[m] = true;
        const std::uint64_t first = std::max(p * p, (std::uint64_t{lo} + p - 1) / p * p);
        for (std::uint64_t m = first; m <= hi; m += p) composite[m - lo] = true;
    }
    std::vector<Number> primes;
    for (std::uint64_t n = std::max<std::uint64_t>(lo, 2); n <= hi; ++n)
        if (!composite[n - lo]) primes.push_back(static_cast<Number>(n));
    return primes;
}

std::string listed(const std::vector<Number>& primes, unsigned per_line) {
    std::string bytes;
    for (std::size_t i = 0; i < primes.size(); ++i) {
        bytes += ' ';
        bytes += std::to_string(primes[i]);
        if ((i + 1) % per_line == 0) bytes += "\r\n";
    }
    return bytes;
}
