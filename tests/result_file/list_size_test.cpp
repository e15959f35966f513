// The result file's size bound against the real size of the list, counted
// from a plain sieve: never below it, and not far above it.
#include <gtest/gtest.h>

#include <string>

#include "result_file/list_size.hpp"
#include "support/reference_primes.hpp"

namespace {

// The list's bytes with ten primes a line, the way the file holds it.
std::uint64_t list_bytes(Number lo, Number hi) {
    const std::vector<Number> primes = primes_by_plain_sieve(lo, hi);
    std::uint64_t bytes = primes.size() / 10 * 2;
    for (const Number p : primes) bytes += 1 + std::to_string(p).size();
    return bytes;
}

}  // namespace

TEST(ResultFileSizeBound, CoversTheListAndWastesLittle) {
    const std::pair<Number, Number> ranges[] = {
        {1, 2},         {1, 100},          {24, 28},          {1, 1000000},
        {9990000, 10010000}, {99999000, 100001000}, {1, 30000000},
        {1999000000, 2000000000}, {4294000000u, 4294967295u}};
    for (const auto& [lo, hi] : ranges) {
        const std::uint64_t exact = list_bytes(lo, hi) + 1024;  // and the header and summary
        const std::uint64_t bound = result_file_size_bound(lo, hi);
        EXPECT_GE(bound, exact) << lo << ".." << hi;
        // Close for ranges from 1; within four times for short ones.
        EXPECT_LE(bound, lo == 1 ? exact + exact / 20 + 4096 : 4 * exact + 4096) << lo << ".." << hi;
    }
}
