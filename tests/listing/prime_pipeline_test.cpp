// The lists written by the two-thread scan: the same bytes as the plain
// sieve's primes listed one by one, whichever thread formats a batch, through
// the rings' wrap-around many times, for an empty range and for ranges of
// one batch or less.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/prime_pipeline.hpp"
#include "support/console_capture.hpp"
#include "support/reference_primes.hpp"

namespace {

struct Written {
    std::string file, screen;
    std::uint32_t count;
};

// Mode 4's list alone (ten a line) or mode 2's pair (ten and six a line).
Written listed_by_pipeline(Number lo, Number hi, bool two, Number shortest_parallel, unsigned help_when_behind) {
    ChannelCapture file_capture, screen_capture;
    PrimeList file{&file_capture.channel(), 10}, screen{&screen_capture.channel(), 6};
    const std::uint32_t count = list_primes(lo, hi, file, two ? &screen : nullptr, shortest_parallel, help_when_behind);
    return {file_capture.text(), screen_capture.text(), count};
}

}  // namespace

TEST(PrimePipeline, EveryWayOfSplittingTheWorkWritesTheSameBytes) {
    const std::pair<Number, Number> ranges[] = {
        {24, 28}, {2, 3}, {1, 100}, {1, 3000000}, {1999000000, 2000000000}, {4294000000u, 4294967295u}};
    struct Split {
        const char* name;
        Number shortest_parallel;
        unsigned help_when_behind;
    };
    const Split splits[] = {{"one thread", 4294967295u, 8}, {"two threads", 0, 8},
                            {"the sieve thread formatting all it can", 0, 0}};
    for (const auto& [lo, hi] : ranges) {
        const std::vector<Number> primes = primes_by_plain_sieve(lo, hi);
        const std::string ten = listed(primes, 10), six = listed(primes, 6);
        for (const Split& split : splits) {
            const Written one = listed_by_pipeline(lo, hi, false, split.shortest_parallel, split.help_when_behind);
            EXPECT_EQ(one.count, primes.size()) << lo << ".." << hi << ", " << split.name;
            EXPECT_EQ(one.file, ten) << lo << ".." << hi << ", one list, " << split.name;
            EXPECT_EQ(one.screen, "");
            const Written both = listed_by_pipeline(lo, hi, true, split.shortest_parallel, split.help_when_behind);
            EXPECT_EQ(both.file, ten) << lo << ".." << hi << ", two lists, " << split.name;
            EXPECT_EQ(both.screen, six) << lo << ".." << hi << ", two lists, " << split.name;
        }
    }
}
