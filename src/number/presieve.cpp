// The sieve of the primes 3 to 13 as a repeating bit pattern.
#include "number/presieve.hpp"

#include <array>

namespace {

// 3 * 5 * 7 * 11 * 13 odd numbers, after which the pattern repeats.
constexpr std::uint32_t period = 15015;
constexpr std::size_t pattern_words = period / 64 + 3;

struct Pattern {
    // Bit k stands for the odd number 2k + 1; the pattern is written past its
    // period so that 64 bits can be read from any offset below the period.
    std::array<std::uint64_t, pattern_words> words{};

    Pattern() {
        for (std::uint32_t k = 0; k < pattern_words * 64; ++k) {
            const std::uint32_t n = 2 * (k % period) + 1;
            if (n % 3 != 0 && n % 5 != 0 && n % 7 != 0 && n % 11 != 0 && n % 13 != 0)
                words[k / 64] |= std::uint64_t{1} << (k % 64);
        }
    }

    std::uint64_t at(std::uint32_t offset) const {
        const std::uint32_t shift = offset % 64;
        const std::uint64_t low = words[offset / 64] >> shift;
        return shift == 0 ? low : low | words[offset / 64 + 1] << (64 - shift);
    }
};

const Pattern pattern;

}  // namespace

void presieve(std::uint64_t* words, std::size_t count, std::uint64_t first_odd) {
    auto offset = static_cast<std::uint32_t>(first_odd % (2 * period) / 2);
    for (std::size_t i = 0; i < count; ++i) {
        words[i] = pattern.at(offset);
        offset += 64;
        if (offset >= period) offset -= period;
    }
}
