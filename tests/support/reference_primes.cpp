// The primes of a range by the program's own trial division.
#include "support/reference_primes.hpp"

#include <cstdint>

#include "number/is_composite.hpp"

std::vector<Number> primes_by_trial_division(Number lo, Number hi) {
    std::vector<Number> primes;
    for (std::uint64_t n = lo; n <= hi; ++n)
        if (is_composite(static_cast<Number>(n)) == 0) primes.push_back(static_cast<Number>(n));
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
