// The interactive menu: choose a mode, run it, come back, until 1 is chosen.
#include "menu/menu_loop.hpp"

#include "console/line_input.hpp"
#include "console/messages.hpp"
#include "console/say.hpp"
#include "console/screen.hpp"
#include "menu/explanation.hpp"
#include "menu/single_number.hpp"
#include "range/range_entry.hpp"
#include "range/range_run.hpp"

int check_count = 0;

Mode select_mode() {
    Mode choice;
    do {
        clear_screen();
        say(MSG_MENU);
        choice = read_integer();
    } while (choice < 0 || choice > 6);
    clear_screen();
    return choice;
}

namespace {

// Runs one chosen mode; false when the menu is to be shown again at once,
// without the clearing that follows a finished mode.
bool run_mode(Mode mode) {
    if (mode == 0) {
        clear_screen();
        show_explanation();
        read_integer();
        return false;
    }
    if (mode == 6) {
        run_single_number_mode();
        return true;
    }
    if (mode >= 2 && mode <= 5) {
        const RangeEntry entry = enter_range(mode);
        if (entry.reported) return false;
        run_range(mode, entry.lo, entry.hi);
    }
    return true;
}

}  // namespace

void run_menu() {
    for (;;) {
        clear_screen();
        const Mode mode = select_mode();
        if (mode >= 2) ++check_count;
        if (!run_mode(mode)) continue;
        // Kept on purpose: a finished mode clears here and the menu clears
        // again as it is drawn, as the program has always done.
        clear_screen();
        if (mode == 1) {
            clear_screen();
            return;
        }
    }
}
