// The menu's seven choices as one table: what each runs, and whether it
// counts as a check.
#pragma once

#include "range/range_mode.hpp"

enum class MenuAction { explain, quit, range, single_number };

struct MenuChoice {
    int typed;                         // the number the user types
    MenuAction action;
    const RangeMode* range = nullptr;  // the range mode, for MenuAction::range

    // The choices that check numbers, which the explanation counts.
    constexpr bool counts_as_check() const {
        return action == MenuAction::range || action == MenuAction::single_number;
    }
};

// The choice the user typed as `typed`; nullptr when there is none.
const MenuChoice* menu_choice(int typed);
