// Process entry: the command-line check with arguments, the menu without.
#include "console/channel.hpp"
#include "console/line_input.hpp"
#include "console/platform_setup.hpp"
#include "main/command_line.hpp"
#include "menu/menu_loop.hpp"

int main(int argc, char** argv) {
    set_up_platform();
    if (argc >= 2) {
        run_command_line(argc, argv);
        flush_console();
        return 1;
    }
    try {
        run_menu();
    } catch (const InputEnded&) {
        // Standard input is exhausted: nothing more can be asked, so end as
        // if the user had quit, keeping everything written so far.
    }
    flush_console();
    return 0;
}
