// The interactive menu: choose a mode, run it, come back, until 1 is chosen.
#pragma once

#include "range/range_mode.hpp"  // Mode

// Choices of modes 2 to 6 since the program started.
extern int check_count;

// Shows the menu until a choice from 0 to 6 is typed; clears and returns it.
Mode select_mode();

// The menu loop; returns when the user chooses 1.
void run_menu();
