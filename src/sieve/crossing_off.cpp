// Crossing off the multiples of one sieving prime in a segment of wheel bytes.
//
// For p = 30a + b and q = 30k + r (r one of the wheel's residues), the product
// p * q lies in wheel byte k * p + a * r + (b * r) / 30, at the bit of
// (b * r) mod 30. Taking the eight r in turn gives the eight multiples of a
// period; the next period is p bytes further on.
#include "sieve/crossing_off.hpp"

#include <algorithm>
#include <array>

#include "sieve/wheel.hpp"

namespace {

// What the multiples of the primes of one residue class b modulo 30 share.
struct ResidueClass {
    std::uint8_t keep[8];    // the byte mask that clears the bit of b * r
    std::uint8_t carry[8];   // (b * r) / 30
    std::uint8_t advance[8]; // carry of the next multiple less this one's
};

// The gaps between the wheel's residues, the last one round to 31.
constexpr std::array<std::uint8_t, 8> wheel_gaps = {6, 4, 2, 4, 2, 4, 6, 2};

constexpr std::array<ResidueClass, 8> residue_classes = [] {
    std::array<ResidueClass, 8> classes{};
    for (unsigned c = 0; c < 8; ++c) {
        const unsigned b = wheel_residues[c];
        for (unsigned m = 0; m < 8; ++m) {
            const unsigned r = wheel_residues[m];
            const unsigned next_r = m == 7 ? 31 : wheel_residues[m + 1];
            classes[c].keep[m] = static_cast<std::uint8_t>(~(1u << wheel_bit_of[b * r % wheel_span]));
            classes[c].carry[m] = static_cast<std::uint8_t>(b * r / wheel_span);
            classes[c].advance[m] = static_cast<std::uint8_t>(b * next_r / wheel_span - b * r / wheel_span);
        }
    }
    return classes;
}();

// Whole periods from byte i, eight multiples at a time, while the last of
// them still lands in the segment; returns the byte of the next period. The
// residue class is a template argument so that the masks are constants.
template <unsigned c>
std::uint32_t periods_of_class(std::uint8_t* sieve, std::uint32_t i, std::uint32_t size,
                               std::uint32_t a, std::uint32_t p) {
    constexpr ResidueClass rc = residue_classes[c];
    const std::uint32_t o1 = a * 6 + rc.carry[1], o2 = a * 10 + rc.carry[2],
                        o3 = a * 12 + rc.carry[3], o4 = a * 16 + rc.carry[4],
                        o5 = a * 18 + rc.carry[5], o6 = a * 22 + rc.carry[6],
                        o7 = a * 28 + rc.carry[7];
    if (i + o7 >= size) return i;
    std::uint8_t* s = sieve + i;
    const std::uint8_t* const last = sieve + (size - o7);  // s must stay below it
    for (; s < last; s += p) {
        s[0] &= rc.keep[0];
        s[o1] &= rc.keep[1];
        s[o2] &= rc.keep[2];
        s[o3] &= rc.keep[3];
        s[o4] &= rc.keep[4];
        s[o5] &= rc.keep[5];
        s[o6] &= rc.keep[6];
        s[o7] &= rc.keep[7];
    }
    return static_cast<std::uint32_t>(s - sieve);
}

std::uint32_t cross_off_periods(std::uint8_t* sieve, std::uint32_t i, std::uint32_t size,
                                std::uint32_t a, std::uint32_t p) {
    switch (wheel_bit_of[p % wheel_span]) {
        case 0: return periods_of_class<0>(sieve, i, size, a, p);
        case 1: return periods_of_class<1>(sieve, i, size, a, p);
        case 2: return periods_of_class<2>(sieve, i, size, a, p);
        case 3: return periods_of_class<3>(sieve, i, size, a, p);
        case 4: return periods_of_class<4>(sieve, i, size, a, p);
        case 5: return periods_of_class<5>(sieve, i, size, a, p);
        case 6: return periods_of_class<6>(sieve, i, size, a, p);
        default: return periods_of_class<7>(sieve, i, size, a, p);
    }
}

}  // namespace

CrossingPrime first_crossing(std::uint32_t p, std::uint64_t first_byte) {
    // The smallest multiplier q coprime to 30 with p * q >= max(p * p, 30 * first_byte).
    const std::uint64_t low = wheel_span * first_byte;
    std::uint64_t q = std::max<std::uint64_t>(p, (low + p - 1) / p);
    std::uint64_t k = q / wheel_span;
    unsigned m = 0;
    while (m < 8 && wheel_residues[m] < q % wheel_span) ++m;
    if (m == 8) ++k, m = 0;
    const std::uint32_t a = p / wheel_span;
    const ResidueClass& rc = residue_classes[wheel_bit_of[p % wheel_span]];
    const std::uint64_t byte = k * p + std::uint64_t{a} * wheel_residues[m] + rc.carry[m];
    return {static_cast<std::uint32_t>(byte - first_byte), static_cast<std::uint16_t>(p),
            static_cast<std::uint8_t>(m)};
}

void cross_off(std::uint8_t* sieve, std::uint32_t size, CrossingPrime& cp) {
    const std::uint32_t p = cp.prime;
    const std::uint32_t a = p / wheel_span;
    const ResidueClass& rc = residue_classes[wheel_bit_of[p % wheel_span]];
    std::uint32_t i = cp.next_byte;
    unsigned m = cp.wheel;
    auto one_step = [&] {
        sieve[i] &= rc.keep[m];
        i += a * wheel_gaps[m] + rc.advance[m];
        m = (m + 1) & 7;
    };
    while (m != 0 && i < size) one_step();
    if (m == 0) {
        i = cross_off_periods(sieve, i, size, a, p);
        while (i < size) one_step();
    }
    cp.next_byte = i - size;
    cp.wheel = static_cast<std::uint8_t>(m);
}
