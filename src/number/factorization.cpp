// Prime factorization by trial division.
#include "number/factorization.hpp"

#include "number/is_composite.hpp"

Factors factorize(Number n) {
    Factors found{};
    for (;;) {
        if (n < 2) break;
        // The smallest divisor is prime, and at most n itself.
        Number d = 2;
        while (n % d != 0) ++d;
        n = static_cast<Number>(n / d);
        found.entries[found.count++] = d;
        if (is_composite(n) == 0) {
            // A prime cofactor is the last factor.
            found.entries[found.count++] = n;
            break;
        }
        if (d >= n) break;
    }
    return found;
}
