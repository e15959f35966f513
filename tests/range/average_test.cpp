// The printed average on every build: the 32-bit Windows build must compute
// in IEEE double as the others do, so a digest of a million averages (their
// bits and their printed text) is the same number everywhere.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "console/fixed_decimal.hpp"
#include "range/range_run.hpp"

namespace {

std::string printed(double value) {
    char out[fixed_decimal_capacity];
    return {out, format_fixed(out, value, 4, 2)};
}

std::string listing_average(Number numbers, std::uint32_t primes) {
    return printed(average_gap(list_to_screen_and_file, 1, numbers, primes));
}

std::string counting_average(Number numbers, std::uint32_t primes) {
    return printed(average_gap(count_only, 1, numbers, primes));
}

struct Digest {
    std::uint64_t value = 14695981039346656037u;  // FNV-1a
    void add(const void* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            value ^= static_cast<const unsigned char*>(bytes)[i];
            value *= 1099511628211u;
        }
    }
};

}  // namespace

TEST(Average, KnownTiesPrintTheSameOnEveryBuild) {
    EXPECT_EQ(counting_average(409, 40), "10.23");
    EXPECT_EQ(listing_average(409, 40), "10.23");
    EXPECT_EQ(listing_average(21, 8), "2.63");
    EXPECT_EQ(listing_average(132, 32), "4.13");
    EXPECT_EQ(listing_average(173, 40), "4.32");
    EXPECT_EQ(counting_average(173, 40), "4.33");
    EXPECT_EQ(listing_average(177, 40), "4.43");
    EXPECT_EQ(counting_average(177, 40), "4.42");
}

TEST(Average, AMillionSeededAveragesAreBitForBitTheLinuxBuilds) {
    std::uint64_t state = 20261210;
    const auto next = [&state] {
        state = state * 6364136223846793005u + 1442695040888963407u;  // Knuth's MMIX LCG
        return static_cast<std::uint32_t>(state >> 32);
    };
    Digest digest;
    for (int i = 0; i < 1000000; ++i) {
        const Number numbers = 2 + next() % 1999999999u;
        const std::uint32_t primes = 1 + next() % (numbers / 2);
        for (const RangeMode* mode : {&list_to_screen_and_file, &count_only}) {
            const double average = average_gap(*mode, 1, numbers, primes);
            std::uint64_t bits;
            std::memcpy(&bits, &average, sizeof bits);
            digest.add(&bits, sizeof bits);
            const std::string text = printed(average);
            digest.add(text.data(), text.size());
        }
    }
    // The digest of the Linux x86-64 build.
    EXPECT_EQ(digest.value, 17121270215810806066u);
}
