// The primes of a range, in increasing order: the engine of the range modes.
#include "number/prime_scan.hpp"

#include "number/is_composite.hpp"

void prime_scan_start(PrimeScan& scan, Number lo, Number hi) {
    scan.next = lo;
    scan.last = hi;
}

std::size_t prime_scan_next(PrimeScan& scan, Number* out, std::size_t capacity) {
    std::size_t found = 0;
    while (found < capacity && scan.next <= scan.last) {
        const auto n = static_cast<Number>(scan.next++);
        if (is_composite(n) == 0) out[found++] = n;
    }
    return found;
}

std::uint32_t count_primes(Number lo, Number hi) {
    std::uint32_t k = 0;
    for (std::uint64_t n = lo; n <= hi; ++n) k += is_composite(static_cast<Number>(n)) == 0;
    return k;
}
