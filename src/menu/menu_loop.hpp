// src/menu: the interactive menu, the explanation screen and the check of
// one number. It may use number, range and console.
//
// The interactive menu: choose a mode, run it, come back, until 1 is chosen.
#pragma once

// The menu's choice, 0 to 6: 2 to 5 are the range modes.
using Mode = int;

// Shows the menu until a choice from 0 to 6 is typed; clears and returns it.
Mode select_mode();

// The menu loop; returns when the user chooses 1.
void run_menu();
