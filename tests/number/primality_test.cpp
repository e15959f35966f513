// Trial division and the factorization built on it.
#include <gtest/gtest.h>

#include <vector>

#include "number/factorization.hpp"
#include "number/is_composite.hpp"

TEST(IsComposite, SmallNumbersAndBothEndsOf32Bits) {
    const std::vector<std::pair<Number, int>> cases = {
        {0, 1}, {1, 1}, {2, 0}, {3, 0}, {4, 1}, {9, 1}, {25, 1}, {2000000000, 1},
        {2147483647, 0}, {4294967291u, 0}, {4294967295u, 1}, {4294836225u, 1},  // 65535^2
        {4292870399u, 1},                                                       // 65519 * 65521
        {65521u * 65521u, 1}};
    for (const auto& [n, expected] : cases) EXPECT_EQ(is_composite(n), expected) << n;
}

TEST(IsComposite, AgreesWithASieveUpTo100000) {
    std::vector<bool> composite(100001, false);
    composite[0] = composite[1] = true;
    for (unsigned p = 2; p * p <= 100000; ++p)
        for (unsigned m = p * p; m <= 100000; m += p) composite[m] = true;
    for (Number n = 0; n <= 100000; ++n) ASSERT_EQ(is_composite(n), composite[n] ? 1 : 0) << n;
}

std::vector<Number> factors_of(Number n) {
    const Factors f = factorize(n);
    return {f.entries, f.entries + f.count};
}

TEST(Factorize, ListsPrimeFactorsInOrderWithMultiplicity) {
    EXPECT_EQ(factors_of(12), (std::vector<Number>{2, 2, 3}));
    EXPECT_EQ(factors_of(4), (std::vector<Number>{2, 2}));
    EXPECT_EQ(factors_of(9), (std::vector<Number>{3, 3}));
    EXPECT_EQ(factors_of(2147483648u), std::vector<Number>(31, 2));
    std::vector<Number> two_billion(10, 2);
    two_billion.insert(two_billion.end(), 9, 5);
    EXPECT_EQ(factors_of(2000000000), two_billion);
    EXPECT_EQ(factors_of(4292870399u), (std::vector<Number>{65519, 65521}));
    EXPECT_EQ(factors_of(4294967295u), (std::vector<Number>{3, 5, 17, 257, 65537}));
    EXPECT_TRUE(factors_of(0).empty());
    EXPECT_TRUE(factors_of(1).empty());
}
