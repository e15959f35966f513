// Prime factorization of a non-prime, found and written to the screen.
#include "number/factorization.hpp"

#include "console/messages.hpp"
#include "console/say.hpp"
#include "number/is_composite.hpp"

Factors factorize(Number n) {
    Factors found{};
    for (;;) {
        if (n < 2) break;
        // The smallest divisor is prime; 64 bits keep d + 1 from wrapping.
        std::uint64_t d = 2;
        while (n % d != 0) {
            if (++d > n) return found;
        }
        n = static_cast<Number>(n / d);
        found.entries[found.count++] = static_cast<Number>(d);
        if (is_composite(n) == 0) {
            // A prime cofactor is the last factor.
            found.entries[found.count++] = n;
            break;
        }
        if (d >= n) break;
    }
    return found;
}

void print_factorization(Number n) {
    const Factors factors = factorize(n);
    if (factors.count == 0) return;
    say(MSG_FACTOR_HEAD);
    for (std::size_t i = 0; i < factors.count; ++i) say(MSG_FACTOR_ITEM, factors.entries[i]);
    say(MSG_FACTOR_TAIL);
}
