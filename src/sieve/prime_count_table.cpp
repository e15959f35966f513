// pi(v) from a table of the sieve's words and the counts before them.
#include "sieve/prime_count_table.hpp"

#include <array>
#include <memory>

#include "sieve/bit_count.hpp"
#include "sieve/prime_scan.hpp"
#include "sieve/wheel.hpp"

namespace {

constexpr std::uint32_t word_span = 8 * wheel_span;

// How many bits of a word stand for numbers up to 240w + r, for r < 240.
constexpr std::array<std::uint8_t, word_span> bits_up_to = [] {
    std::array<std::uint8_t, word_span> count{};
    for (unsigned r = 0; r < word_span; ++r)
        for (const std::uint8_t offset : wheel_word_offsets) count[r] += offset <= r;
    return count;
}();

}  // namespace

void prime_count_table_build(PrimeCountTable& table, Number limit) {
    // On the heap: a scan is 180 KiB, and a thread's stack may be smaller.
    const auto scan = std::make_unique_for_overwrite<PrimeScan>();
    prime_scan_start(*scan, 1, limit);
    std::uint32_t count = 3;  // 2, 3 and 5, which the wheel leaves out
    for (std::size_t w = 0; prime_scan_next_word(*scan); ++w) {
        table.words[w] = scan->bits;
        table.before[w] = count;
        count += bits_set(scan->bits);
    }
}

std::uint32_t prime_count_table_pi(const PrimeCountTable& table, Number v) {
    if (v < 7) return v < 2 ? 0 : v < 3 ? 1 : v < 5 ? 2 : 3;
    const std::uint32_t w = v / word_span;
    const unsigned k = bits_up_to[v % word_span];
    const std::uint64_t below = k == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << k) - 1;
    return table.before[w] + bits_set(table.words[w] & below);
}
