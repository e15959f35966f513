// src/menu: the interactive menu, the explanation screen and the check of
// one number. It may use number, range and console.
//
// The interactive menu: choose a mode, run it, come back, until 1 is chosen.
#pragma once

// The menu loop; returns when the user chooses 1.
void run_menu();
