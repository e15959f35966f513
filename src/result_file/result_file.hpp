// src/result_file: "Prime.txt": the channel a run writes it through, the
// bound of its size, and its replacement whole or not at all, with the old
// file's owner and attributes taken over, per platform. It may use number
// and the console's channels.
//
// The result file "Prime.txt": list, summary and times of the last run.
#pragma once

#include <cstdint>

#include "console/channel.hpp"

// Open from the start of a run of mode 2 or 4 until its end.
extern Channel result_file;

// Starts a new "Prime.txt" in the current directory, written beside the old
// one, which stays untouched until the close. When the name may not be
// replaced, what is written is dropped and the close reports it.
// `expected_size`: an upper bound of what will be written (0: unknown).
void open_result_file(std::uint64_t expected_size = 0);

// Flushes the new file and puts it in place of the old one; true when every
// byte reached it and it took the name. Otherwise the old file stays as it was.
bool close_result_file();
