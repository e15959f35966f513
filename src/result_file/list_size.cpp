// An upper bound of the result file's size for a range. Dusart's bounds of
// pi(x) (2010): x/ln x * (1 + 1/ln x) <= pi(x) for x >= 599, and
// pi(x) <= x/ln x * (1 + 1/ln x + 2.51/ln^2 x) for x > 1; for a short
// range, Montgomery and Vaughan's (1973): pi(x + y) - pi(x) <= 2y / ln y.
#include "result_file/list_size.hpp"

#include <algorithm>
#include <cmath>

#include "console/channel.hpp"

namespace {

double pi_upper(double x) {
    if (x < 17) return x;
    const double l = std::log(x);
    return x / l * (1 + 1 / l + 2.51 / (l * l)) + 1;
}

double pi_lower(double x) {
    if (x < 599) return 0;
    const double l = std::log(x);
    return x / l * (1 + 1 / l) - 1;
}

}  // namespace

std::uint64_t result_file_size_bound(Number lo, Number hi) {
    double items = 0, bytes = 0;
    // Primes of d digits take d + 1 bytes each (a space before them).
    double low = 1;
    for (int digits = 1; digits <= 10; ++digits, low *= 10) {
        const double from = std::max<double>(lo, low), to = std::min<double>(hi, low * 10 - 1);
        if (from > to) continue;
        const double span = to - from + 1;
        const double short_range = span >= 2 ? 2 * span / std::log(span) + 1 : span;
        const double count = std::min(short_range, std::max(0.0, pi_upper(to) - pi_lower(from - 1)));
        items += count;
        bytes += count * (digits + 1);
    }
    // A line end after every line's last; the header, summary and times take < 1 KiB.
    return static_cast<std::uint64_t>(bytes + items / result_file_line_primes * line_end.size()) + 1024;
}
