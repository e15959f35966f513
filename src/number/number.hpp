// src/number: the number core every mode uses: the Number type, the
// conversions of typed text to numbers, the primality test and the
// factorization. It uses nothing of the program's other folders.
//
// The one integer type of the program: every candidate, range end and factor.
#pragma once

#include <cstdint>

using Number = std::uint32_t;

// Largest number a user may type at a prompt.
inline constexpr Number upper_limit = 2000000000;
