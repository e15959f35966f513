// The primes handed over by the two-thread scan: the same numbers in the
// same order as a plain sieve, through the ring's wrap-around many times,
// for an empty range and for ranges of one batch or less.
#include <gtest/gtest.h>

#include <vector>

#include "range/prime_pipeline.hpp"
#include "support/reference_primes.hpp"

namespace {

void collect(void* context, const Number* primes, std::size_t count) {
    auto& all = *static_cast<std::vector<Number>*>(context);
    all.insert(all.end(), primes, primes + count);
}

std::vector<Number> scanned(Number lo, Number hi, Number shortest_parallel) {
    std::vector<Number> all;
    scan_primes(lo, hi, collect, &all, shortest_parallel);
    return all;
}

}  // namespace

TEST(PrimePipeline, TwoThreadsHandOverEveryPrimeInOrder) {
    const std::pair<Number, Number> ranges[] = {
        {24, 28}, {2, 3}, {1, 100}, {1, 3000000}, {1999000000, 2000000000}, {4294000000u, 4294967295u}};
    for (const auto& [lo, hi] : ranges) {
        const std::vector<Number> expected = primes_by_plain_sieve(lo, hi);
        EXPECT_EQ(scanned(lo, hi, 0), expected) << lo << ".." << hi << " on two threads";
        EXPECT_EQ(scanned(lo, hi, 4294967295u), expected) << lo << ".." << hi << " on one";
    }
}
