// The signals that end the process, against a named new file: removed
// first on any of them that can be caught, or held back while the old
// file is rewritten.
#pragma once

// From now on, until keep_on_ending_signal(), removes `name` before the
// process ends by a signal.
void remove_on_ending_signal(const char* name);
void keep_on_ending_signal();

// Holds the ending signals back until let_ending_signals_through().
void hold_ending_signals_back();
void let_ending_signals_through();
