// The list writer against plain decimal formatting: items and line breaks,
// for primes given as the sieve's wheel bits, in batches that start and end
// anywhere within a 64-bit word; digits across every power of ten and every
// thousand a 32-bit prime can cross.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/prime_list.hpp"
#include "support/console_capture.hpp"
#include "support/reference_primes.hpp"

namespace {

// The primes as the sieve gives them: 2, 3 and 5 apart, the others as bits
// of wheel bytes (byte i for 30i + 1, 7, 11, 13, 17, 19, 23 and 29), cut
// into batches of `batch_bytes` bytes. Runs of primes far apart are batched
// apart.
struct Batches {
    std::vector<Number> small;
    std::vector<std::vector<std::uint8_t>> bytes;
    std::vector<std::uint64_t> first_byte;

    std::vector<PrimeBatch> batches() const {
        std::vector<PrimeBatch> all;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            all.push_back({i == 0 ? small.data() : nullptr, i == 0 ? small.size() : 0, bytes[i].data(),
                           bytes[i].size(), first_byte[i]});
        return all;
    }
};

Batches as_wheel_bits(const std::vector<std::vector<Number>>& runs, std::size_t batch_bytes) {
    const int bit_of[30] = {-1, 0, -1, -1, -1, -1, -1, 1, -1, -1, -1, 2, -1, 3, -1,
                            -1, -1, 4, -1, 5, -1, -1, -1, 6, -1, -1, -1, -1, -1, 7};
    Batches out;
    for (const std::vector<Number>& run : runs) {
        std::vector<Number> wheel_primes;
        for (const Number p : run) (p < 7 ? out.small : wheel_primes).push_back(p);
        if (wheel_primes.empty()) continue;
        const std::uint64_t first = wheel_primes.front() / 30, last = wheel_primes.back() / 30;
        std::vector<std::uint8_t> bits(last - first + 1, 0);
        for (const Number p : wheel_primes) bits[p / 30 - first] |= static_cast<std::uint8_t>(1u << bit_of[p % 30]);
        for (std::size_t at = 0; at < bits.size(); at += batch_bytes) {
            const std::size_t end = std::min(bits.size(), at + batch_bytes);
            out.bytes.emplace_back(bits.begin() + static_cast<std::ptrdiff_t>(at), bits.begin() + static_cast<std::ptrdiff_t>(end));
            out.first_byte.push_back(first + at);
        }
    }
    if (out.bytes.empty()) out.bytes.emplace_back(), out.first_byte.push_back(0);
    return out;
}

// The list as write_prime_list writes it, batch by batch.
std::string written_list(const Batches& input, unsigned per_line) {
    ChannelCapture capture;
    PrimeList list{&capture.channel(), per_line};
    for (const PrimeBatch& batch : input.batches()) write_prime_list(list, batch);
    return capture.text();
}

// The list as the second thread makes it: prepare_prime_list into a buffer,
// then written whole.
std::string prepared_list(const Batches& input, unsigned per_line) {
    ChannelCapture capture;
    PrimeList list{&capture.channel(), per_line};
    for (const PrimeBatch& batch : input.batches()) {
        const std::size_t count = primes_in(batch);
        std::vector<char> text(prime_list_room(count, per_line));
        const char* end = prepare_prime_list(text.data(), list, batch);
        write_prepared_list(list, text.data(), static_cast<std::size_t>(end - text.data()), count);
    }
    return capture.text();
}

// The two lists of mode 2, ten and six a line, written together.
std::pair<std::string, std::string> written_lists(const Batches& input) {
    ChannelCapture file_capture, screen_capture;
    PrimeList file{&file_capture.channel(), 10}, screen{&screen_capture.channel(), 6};
    for (const PrimeBatch& batch : input.batches()) write_prime_lists(file, screen, batch);
    return {file_capture.text(), screen_capture.text()};
}

std::vector<Number> joined(const std::vector<std::vector<Number>>& runs) {
    std::vector<Number> all;
    for (const auto& run : runs) all.insert(all.end(), run.begin(), run.end());
    return all;
}

}  // namespace

TEST(PrimeList, DigitsAcrossEveryPowerOfTenAndBatchBoundary) {
    std::vector<std::vector<Number>> runs = {primes_by_plain_sieve(1, 20000)};
    for (Number power = 100000; power <= 1000000000; power *= 10) runs.push_back(primes_by_plain_sieve(power - 3000, power + 3000));
    runs.push_back(primes_by_plain_sieve(4294967295u - 3000, 4294967295u));
    const std::vector<Number> primes = joined(runs);
    for (const std::size_t batch_bytes : {std::size_t{1}, std::size_t{7}, std::size_t{8}, std::size_t{4096}}) {
        const Batches input = as_wheel_bits(runs, batch_bytes);
        for (const unsigned per_line : {6u, 10u}) {
            EXPECT_EQ(written_list(input, per_line), listed(primes, per_line))
                << per_line << " a line, batches of " << batch_bytes << " bytes";
            EXPECT_EQ(prepared_list(input, per_line), listed(primes, per_line))
                << per_line << " a line, prepared apart, batches of " << batch_bytes << " bytes";
        }
        const auto [file, screen] = written_lists(input);
        EXPECT_EQ(file, listed(primes, 10)) << "both lists, batches of " << batch_bytes << " bytes";
        EXPECT_EQ(screen, listed(primes, 6)) << "both lists, batches of " << batch_bytes << " bytes";
    }
}

TEST(PrimeList, FillsMoreThanTheBufferWithoutLosingAByte) {
    // About 5 MB of items: the channel's buffer is written out in blocks on
    // the way.
    const std::vector<std::vector<Number>> runs = {primes_by_plain_sieve(1, 5000000)};
    EXPECT_EQ(written_list(as_wheel_bits(runs, 4096), 10), listed(runs[0], 10));
}

TEST(PrimeList, AnEmptyBatchWritesNothing) {
    EXPECT_EQ(written_list(as_wheel_bits({primes_by_plain_sieve(24, 28)}, 8), 10), "");
}
