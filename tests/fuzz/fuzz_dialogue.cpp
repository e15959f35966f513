// Fuzzes a whole dialogue: the menu loop reading arbitrary bytes as input.
// The fuzz build caps range widths so that every input stays fast.
#include "menu/menu_loop.hpp"
#include "fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzConsole console(data, size);
    try {
        run_menu();
    } catch (const InputEnded&) {
    }
    return 0;
}
