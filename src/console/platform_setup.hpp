// What the process sets up on its platform before it writes or reads
// anything. Nothing of it outlives the process: the console's code page and
// modes are left as they were.
#pragma once

// Streams, console, signals and the time zone, ready for the program.
void set_up_platform();

// Clears a console that does not understand the erase-display sequence
// through the system's own console calls; false where the sequence is to be
// written (every terminal, file and pipe).
bool clear_console_natively();
