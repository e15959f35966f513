// The primality test of the whole program: plain trial division.
#include "number/is_composite.hpp"

#include <cstdint>

int is_composite(Number n) {
    if (n <= 2) return n == 2 ? 0 : 1;
    // Every d is tried, even ones too; d * d is formed in 64 bits so the loop
    // also ends right for numbers near 2^32.
    for (std::uint64_t d = 2;; ++d) {
        if (n % d == 0) return 1;
        if (d * d > n) return 0;
    }
}
