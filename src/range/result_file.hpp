// The result file "Prime.txt": list, summary and times of the last run.
#pragma once

#include "console/channel.hpp"

// Open from the start of a run of mode 2 or 4 until its end.
extern Channel result_file;

// Creates or truncates "Prime.txt" in the current directory. A file that
// cannot be opened drops what is written to it and is reported at the close.
void open_result_file();

// Flushes and closes the file; true when every byte reached it.
bool close_result_file();
