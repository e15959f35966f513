// The fast engine against the trial division it stands in for: the segmented
// sieve must give exactly the numbers is_composite calls prime, and prime
// counting must agree with both.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "number/is_composite.hpp"
#include "sieve/prime_pi.hpp"
#include "sieve/prime_scan.hpp"
#include "sieve/range_count.hpp"

namespace {

PrimeScan scan;  // large; one is enough

std::vector<Number> primes_by_trial_division(Number lo, Number hi) {
    std::vector<Number> primes;
    for (std::uint64_t n = lo; n <= hi; ++n)
        if (is_composite(static_cast<Number>(n)) == 0) primes.push_back(static_cast<Number>(n));
    return primes;
}

// The primes as the list writer reads them: 2, 3 and 5, then the wheel
// bytes, `batch` bytes at a time, decoded here (byte i: 30i + 1, 7, 11, 13,
// 17, 19, 23, 29).
std::vector<Number> scanned(Number lo, Number hi, std::size_t batch = 4096) {
    constexpr Number residues[8] = {1, 7, 11, 13, 17, 19, 23, 29};
    std::vector<Number> primes(3);
    std::vector<std::uint8_t> bytes(batch);
    prime_scan_start(scan, lo, hi);
    primes.resize(prime_scan_small_primes(scan, primes.data()));
    std::uint64_t first_byte = 0;
    while (const std::size_t n = prime_scan_next_bytes(scan, bytes.data(), batch, first_byte))
        for (std::size_t i = 0; i < n; ++i)
            for (unsigned bit = 0; bit < 8; ++bit)
                if (bytes[i] >> bit & 1) primes.push_back(static_cast<Number>(30 * (first_byte + i) + residues[bit]));
    return primes;
}

void expect_same_primes(Number lo, Number hi) {
    const std::vector<Number> expected = primes_by_trial_division(lo, hi);
    ASSERT_EQ(scanned(lo, hi), expected) << lo << " to " << hi;
    ASSERT_EQ(sieve_count_primes(lo, hi), expected.size()) << lo << " to " << hi;
}

}  // namespace

TEST(PrimeScan, EveryTinyRangeNearTheStart) {
    for (Number lo = 0; lo <= 40; ++lo)
        for (Number hi = lo; hi <= 80; ++hi) expect_same_primes(lo, hi);
}

TEST(PrimeScan, SmallBatchesResumeWhereTheyStopped) {
    EXPECT_EQ(scanned(1, 100000, 8), primes_by_trial_division(1, 100000));
    EXPECT_EQ(scanned(2, 3, 8), (std::vector<Number>{2, 3}));
}

TEST(PrimeScan, SegmentAndPatternBoundaries) {
    // Ends on either side of segment edges and of the presieve patterns'
    // periods (30 times 7 * 11 * 13 * 17, and 30 times 19 * 23).
    constexpr auto span = static_cast<Number>(segment_span);
    for (const Number end : {span - 31, span - 1, span, span + 1, span + 29, 3 * span + 1,
                             Number{510510}, Number{510511}, Number{13110}, Number{13111},
                             Number{13110 * 7 + 1}})
        expect_same_primes(1, end), expect_same_primes(2, end);
    for (const Number start : {span - 1, span, span + 1, span + 7})
        expect_same_primes(start, start + span + 5);
    // Squares of sieving primes and their neighbours as range ends.
    for (const Number p : {23u, 29u, 31u, 32749u, 44711u, 44729u})
        expect_same_primes(p * p - 70, p * p + 70);
}

TEST(PrimeScan, RandomRangesAcrossTheWholeSpan) {
    std::mt19937 random(20261209);
    for (int i = 0; i < 40; ++i) {
        const Number lo = random() % upper_limit + 1;
        const Number hi = std::min<std::uint64_t>(upper_limit, lo + random() % 3000);
        expect_same_primes(lo, hi);
    }
}

TEST(PrimeScan, TopOfTheRangeAnd2To31) {
    expect_same_primes(upper_limit - 5000, upper_limit);
    expect_same_primes(2147483648u - 3000, 2147483648u + 3000);
    expect_same_primes(4294967295u - 2000, 4294967295u);
}

TEST(PrimePi, KnownValues) {
    EXPECT_EQ(prime_pi(0), 0u);
    EXPECT_EQ(prime_pi(1), 0u);
    EXPECT_EQ(prime_pi(2), 1u);
    EXPECT_EQ(prime_pi(3), 2u);
    EXPECT_EQ(prime_pi(100), 25u);
    EXPECT_EQ(prime_pi(1000000), 78498u);
    EXPECT_EQ(prime_pi(1000000000), 50847534u);
    EXPECT_EQ(prime_pi(2000000000), 98222287u);
    EXPECT_EQ(prime_pi(4294967295u), 203280221u);
    std::uint32_t count = 0;
    for (Number x = 0; x <= 5000; ++x) {
        count += is_composite(x) == 0;
        ASSERT_EQ(prime_pi(x), count) << x;
    }
}

// The counting formula changes shape where the cube root of x passes a
// prime p (one more prime taken out by phi), and where x passes p^3 * q for
// primes p < q (a term of phi answered by the table instead of taken apart):
// every x near such an edge must differ from a point below it by what the
// sieve counts in between.
TEST(PrimePi, AgreesWithTheSieveNearTheFormulasEdges) {
    const std::uint64_t edges[] = {
        41ull * 41 * 41,        43ull * 43 * 43,        211ull * 211 * 211,
        1259ull * 1259 * 1259,  1277ull * 1277 * 1277,  1621ull * 1621 * 1621,
        41ull * 41 * 41 * 43,   97ull * 97 * 97 * 1009, 211ull * 211 * 211 * 401,
        17ull * 17 * 17 * 65521,
    };
    for (const std::uint64_t edge : edges) {
        const auto base = static_cast<Number>(edge - 1000);
        const std::uint32_t at_base = prime_pi(base);
        for (Number x = static_cast<Number>(edge - 3); x <= edge + 3; ++x)
            ASSERT_EQ(prime_pi(x) - at_base, sieve_count_primes(base + 1, x)) << x;
    }
}

// Below 2^16 the table answers alone; above, the formula.
TEST(PrimePi, CountsOneByOneAcrossTheTableOnlyBound) {
    std::uint32_t count = sieve_count_primes(1, 65000);
    for (Number x = 65001; x <= 66000; ++x) {
        count += is_composite(x) == 0;
        ASSERT_EQ(prime_pi(x), count) << x;
    }
}

TEST(CountPrimes, AgreesWithTheSieveOnWideAndNarrowRanges) {
    std::mt19937 random(7);
    for (int i = 0; i < 12; ++i) {
        const Number lo = random() % upper_limit + 1;
        const Number hi = std::min<std::uint64_t>(upper_limit, lo + random() % 12000000);
        EXPECT_EQ(count_primes(lo, hi), sieve_count_primes(lo, hi)) << lo << " to " << hi;
    }
    EXPECT_EQ(count_primes(1, upper_limit), 98222287u);
    EXPECT_EQ(count_primes(1000000000, upper_limit), 98222287u - 50847534u);
    EXPECT_EQ(count_primes(24, 28), 0u);
}
