// The number of set bits in a 64-bit word.
#pragma once

#include <cstdint>

// Without the processor's own instruction, which a build for every x86-64
// cannot assume; std::popcount would call a library routine instead.
inline unsigned bits_set(std::uint64_t w) {
    w -= (w >> 1) & 0x5555555555555555u;
    w = (w & 0x3333333333333333u) + ((w >> 2) & 0x3333333333333333u);
    w = (w + (w >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<unsigned>((w * 0x0101010101010101u) >> 56);
}
