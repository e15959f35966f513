// Screen control and the notice shown above every number prompt.
#pragma once

// Writes the erase-display sequence to standard error.
void clear_screen();

// Writes the notice of the largest number a user may enter.
void print_limit_notice();
