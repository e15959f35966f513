// Fuzzes a whole dialogue: the menu loop reading arbitrary bytes as input.
// Every run of digits is cut to four (the rest become letters), so that
// every range stays narrow and every input fast; numbers of every length
// are fuzzed by the number-entry and conversion targets.
#include <algorithm>
#include <cstring>

#include "fuzz_input.hpp"
#include "menu/menu_loop.hpp"

namespace {

bool is_digit(std::uint8_t c) { return c >= '0' && c <= '9'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::uint8_t input[4096];
    size = std::min(size, sizeof input);
    std::memcpy(input, data, size);
    for (std::size_t i = 0, run = 0; i < size; ++i) {
        run = is_digit(input[i]) ? run + 1 : 0;
        if (run > 4) input[i] = 'x';
    }
    FuzzConsole console(input, size);
    try {
        run_menu();
    } catch (const InputEnded&) {
    }
    return 0;
}
