// The sieve of the primes 7 to 31 as repeating byte patterns of the wheel.
// A wheel byte's numbers modulo a prime q repeat every q bytes, so the
// multiples of 7, 11, 13 and 17 repeat every 17017 bytes (one pattern, in the
// level-1 cache), those of 19 and 23 every 437 and those of 29 and 31 every
// 899 (two more, ANDed in).
#include "sieve/presieve.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "sieve/wheel.hpp"

namespace {

// One period of the pattern of some primes, made by the compiler: every
// multiple of each prime in the period is crossed off, as in the sieve.
template <std::uint32_t... primes>
struct Pattern {
    static constexpr std::size_t period = (primes * ...);
    std::array<std::uint8_t, period> bytes{};

    constexpr Pattern() {
        bytes.fill(0xFF);
        for (const std::uint32_t q : {primes...}) {
            for (std::uint64_t n = q; n < wheel_span * period; n += 2 * q) {
                const unsigned bit = wheel_bit_of[n % wheel_span];
                if (bit < 8) bytes[n / wheel_span] &= static_cast<std::uint8_t>(~(1u << bit));
            }
        }
    }
};

constexpr Pattern<7, 11, 13, 17> seven_to_seventeen;
constexpr Pattern<19, 23> nineteen_and_twentythree;
constexpr Pattern<29, 31> twentynine_and_thirtyone;

// ANDs a pattern into the bytes.
template <typename P>
void and_pattern(const P& pattern, std::uint8_t* out, std::size_t count, std::uint64_t first_byte) {
    for (std::size_t done = 0, at = first_byte % pattern.period; done < count; at = 0) {
        const std::size_t part = std::min(count - done, pattern.period - at);
        const std::uint8_t* from = pattern.bytes.data() + at;
        for (std::size_t i = 0; i < part; ++i) out[done + i] &= from[i];
        done += part;
    }
}

}  // namespace

void presieve(std::uint8_t* out, std::size_t count, std::uint64_t first_byte) {
    const auto& copied = seven_to_seventeen;
    for (std::size_t done = 0, at = first_byte % copied.period; done < count; at = 0) {
        const std::size_t part = std::min(count - done, copied.period - at);
        std::memcpy(out + done, copied.bytes.data() + at, part);
        done += part;
    }
    and_pattern(nineteen_and_twentythree, out, count, first_byte);
    and_pattern(twentynine_and_thirtyone, out, count, first_byte);
}
