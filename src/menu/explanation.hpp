// The explanation screen, with the number of checks made so far.
#pragma once

// Writes the screen; `checks`: choices of modes 2 to 6 since the start.
void show_explanation(int checks);
