// The list writer against plain decimal formatting: items, line breaks, and
// digits carried across every power of ten a 32-bit prime can cross.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "range/prime_list.hpp"
#include "support/console_capture.hpp"
#include "support/reference_primes.hpp"

namespace {

// The list as written in batches of `batch` primes.
std::string written_list(const std::vector<Number>& primes, unsigned per_line, std::size_t batch) {
    static Channel channel;
    std::FILE* stream = std::tmpfile();
    attach_channel(channel, fileno(stream));
    PrimeList list{&channel, per_line};
    for (std::size_t at = 0; at < primes.size(); at += batch)
        write_prime_list(list, primes.data() + at, std::min(batch, primes.size() - at));
    channel_flush(channel);
    std::string bytes = read_stream(stream);
    std::fclose(stream);
    return bytes;
}

// The two lists of mode 2, ten and six a line, written together.
std::pair<std::string, std::string> written_lists(const std::vector<Number>& primes, std::size_t batch) {
    static Channel file_channel, screen_channel;
    std::FILE* file_stream = std::tmpfile();
    std::FILE* screen_stream = std::tmpfile();
    attach_channel(file_channel, fileno(file_stream));
    attach_channel(screen_channel, fileno(screen_stream));
    PrimeList file{&file_channel, 10}, screen{&screen_channel, 6};
    for (std::size_t at = 0; at < primes.size(); at += batch)
        write_prime_lists(file, screen, primes.data() + at, std::min(batch, primes.size() - at));
    channel_flush(file_channel);
    channel_flush(screen_channel);
    std::pair<std::string, std::string> bytes{read_stream(file_stream), read_stream(screen_stream)};
    std::fclose(file_stream);
    std::fclose(screen_stream);
    return bytes;
}

}  // namespace

TEST(PrimeList, DigitsCarryAcrossEveryPowerOfTen) {
    std::vector<Number> primes = primes_by_plain_sieve(1, 2000);
    for (Number power = 10000; power <= 1000000000; power *= 10) {
        const std::vector<Number> near = primes_by_plain_sieve(power - 3000, power + 3000);
        primes.insert(primes.end(), near.begin(), near.end());
    }
    const std::vector<Number> top = primes_by_plain_sieve(4294967295u - 3000, 4294967295u);
    primes.insert(primes.end(), top.begin(), top.end());
    // Runs of primes with gaps of 1000 or more between the runs start afresh.
    for (const unsigned per_line : {6u, 10u}) {
        for (const std::size_t batch : {std::size_t{1}, std::size_t{7}, std::size_t{4096}})
            EXPECT_EQ(written_list(primes, per_line, batch), listed(primes, per_line))
                << per_line << " a line, batches of " << batch;
    }
    for (const std::size_t batch : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
        const auto [file, screen] = written_lists(primes, batch);
        EXPECT_EQ(file, listed(primes, 10)) << "both lists, batches of " << batch;
        EXPECT_EQ(screen, listed(primes, 6)) << "both lists, batches of " << batch;
    }
}

TEST(PrimeList, FillsMoreThanTheBufferWithoutLosingAByte) {
    // About 3.5 MB of items, the primes to 200000 thirty times over: the
    // buffer is written out in blocks on the way.
    const std::vector<Number> once = primes_by_plain_sieve(1, 200000);
    std::vector<Number> primes;
    for (int i = 0; i < 30; ++i) primes.insert(primes.end(), once.begin(), once.end());
    EXPECT_EQ(written_list(primes, 10, 4096), listed(primes, 10));
}
