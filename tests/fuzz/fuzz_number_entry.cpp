// Fuzzes validated number entry: one line, then a pause line, of any bytes.
#include <cstdlib>

#include "console/number_entry.hpp"
#include "fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzConsole console(data, size);
    try {
        if (read_valid_number() > upper_limit) std::abort();
    } catch (const InputEnded&) {
    }
    return 0;
}
