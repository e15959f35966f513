// An upper bound of the result file's size for a range, from bounds of the
// prime-counting function: room the file system can give the new file up
// front, so that replacing a large file does not wait for it at the end.
#pragma once

#include <cstdint>

#include "number/number.hpp"

// Primes a line of the result file's list.
inline constexpr unsigned result_file_line_primes = 10;

// At least the bytes of the list of [lo, hi], result_file_line_primes a
// line, plus
// the header and the summary.
std::uint64_t result_file_size_bound(Number lo, Number hi);
