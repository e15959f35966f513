// What keeps replacing a large result file off the user's path, apart from
// every decision: called at the start and at the end of a replacement, it
// changes nothing of what ends up at the name.
#pragma once

#include <cstdint>

#include "result_file/file_operations.hpp"

// Once the new file exists: its room given up front, the old file's cached
// pages dropped. `expected_size`: an upper bound of the new content's size.
void speed_up_start(const Replacement& r, const char* name, std::uint64_t expected_size);

// Before the end, whatever it is: the work begun at the start is done.
void speed_up_end(const Replacement& r);

// After the end: lets go of the old file that a rename left in `r.old`.
void let_go_of_old_file(Replacement& r);
