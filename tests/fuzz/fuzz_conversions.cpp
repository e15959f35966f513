// Fuzzes the two text-to-number conversions with arbitrary bytes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "number/to_floating.hpp"
#include "number/to_integer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    const int integer = to_integer(text.data());
    const double floating = to_floating(text.data());
    if (std::isnan(floating)) std::abort();
    // Up to nine plain digits are read exactly by both conversions.
    if (size > 0 && size <= 9 && std::strspn(text.data(), "0123456789") == size) {
        if (integer != std::atoi(text.data()) || floating != integer) std::abort();
    }
    return 0;
}
