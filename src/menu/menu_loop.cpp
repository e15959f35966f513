// The interactive menu: choose a mode, run it, come back, until 1 is chosen.
#include "menu/menu_loop.hpp"

#include "console/line_input.hpp"
#include "console/messages.hpp"
#include "console/say.hpp"
#include "console/screen.hpp"
#include "menu/explanation.hpp"
#include "menu/menu_choice.hpp"
#include "menu/single_number.hpp"
#include "range/range_entry.hpp"
#include "range/range_run.hpp"

namespace {

// Shows the menu until one of its choices is typed; clears and returns it.
const MenuChoice& select_choice() {
    const MenuChoice* choice;
    do {
        clear_screen();
        say(MSG_MENU);
        choice = menu_choice(read_integer());
    } while (choice == nullptr);
    clear_screen();
    return *choice;
}

// A range mode: its dialogue, then the run; equal ends are checked as one
// number. False as for run_choice.
bool run_range_mode(const RangeMode& m) {
    const RangeEntry entry = enter_range(m);
    if (entry.lo == entry.hi) {
        report_single_number(entry.lo);
        return false;
    }
    run_range(m, entry.lo, entry.hi);
    return true;
}

// Runs one choice; false when the menu is to be shown again at once,
// without the clearing that follows a finished mode. `checks`: the checks
// so far, this one included.
bool run_choice(const MenuChoice& choice, int checks) {
    switch (choice.action) {
        case MenuAction::explain:
            clear_screen();
            show_explanation(checks);
            read_integer();
            return false;
        case MenuAction::single_number:
            run_single_number_mode();
            return true;
        case MenuAction::range:
            return run_range_mode(*choice.range);
        case MenuAction::quit:
            return true;
    }
    return true;
}

}  // namespace

void run_menu() {
    int checks = 0;
    for (;;) {
        clear_screen();
        const MenuChoice& choice = select_choice();
        if (choice.counts_as_check()) ++checks;
        if (!run_choice(choice, checks)) continue;
        // Kept on purpose: a finished mode clears here and the menu clears
        // again as it is drawn, as the program has always done.
        clear_screen();
        if (choice.action == MenuAction::quit) {
            clear_screen();
            return;
        }
    }
}
