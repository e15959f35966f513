// The interactive menu: choose a mode, run it, come back, until 1 is chosen.
#include "menu/menu_loop.hpp"

#include "console/line_input.hpp"
#include "console/messages.hpp"
#include "console/say.hpp"
#include "console/screen.hpp"
#include "menu/explanation.hpp"
#include "menu/single_number.hpp"
#include "range/range_entry.hpp"
#include "range/range_mode.hpp"
#include "range/range_run.hpp"

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

// A range mode: its dialogue, then the run; equal ends are checked as one
// number. False as for run_mode.
bool run_range_mode(const RangeMode& m) {
    const RangeEntry entry = enter_range(m);
    if (entry.lo == entry.hi) {
        report_single_number(entry.lo);
        return false;
    }
    run_range(m, entry.lo, entry.hi);
    return true;
}

// Runs one chosen mode; false when the menu is to be shown again at once,
// without the clearing that follows a finished mode. `checks`: choices of
// modes 2 to 6 so far, this one included.
bool run_mode(Mode mode, int checks) {
    if (mode == 0) {
        clear_screen();
        show_explanation(checks);
        read_integer();
        return false;
    }
    if (mode == 6) {
        run_single_number_mode();
        return true;
    }
    if (const RangeMode* range = range_mode(mode)) return run_range_mode(*range);
    return true;
}

}  // namespace

void run_menu() {
    int checks = 0;
    for (;;) {
        clear_screen();
        const Mode mode = select_mode();
        if (mode >= 2) ++checks;
        if (!run_mode(mode, checks)) continue;
        // Kept on purpose: a finished mode clears here and the menu clears
        // again as it is drawn, as the program has always done.
        clear_screen();
        if (mode == 1) {
            clear_screen();
            return;
        }
    }
}
