// A file replaced whole or not at all: the new content goes into a new file
// beside the old one, which takes the old one's name in one step at the end
// when it can take over everything the old one had (owner, group, mode,
// attributes). Otherwise the finished content is written into the old file
// in place, which keeps all of that: one run at a time, and only once the
// whole content is sure to fit, so that a failure before the copy leaves
// the old file as it was.
#pragma once

#include <cstdint>

// One replacement in progress; `fd` takes the new content.
struct Replacement {
    int fd = -1;
    bool named = false;    // the new file has a name of its own until the end
    bool preallocated = false;  // room given up front, the unused rest to drop
    // Made in the temporary directory, as no file could be made beside the
    // old one: it can only be copied into the old file.
    bool elsewhere = false;
    char temp_name[256] = {};
};

// Starts replacing `name` in the current directory. Refuses (false, nothing
// created) when what stands there is not a regular file the user may write:
// a link of any kind, a directory, a FIFO, a device, a socket, or another
// user's file in a shared sticky directory.
// `expected_size`, an upper bound of the new content's size (0: unknown),
// lets the system give the new file its room up front where that saves
// time at the end.
bool begin_replacement(Replacement& r, const char* name, std::uint64_t expected_size = 0);

// Puts the new content in place of `name`; false when that failed, and then
// the new file is gone and `name` is as it was.
bool finish_replacement(Replacement& r, const char* name);

// Drops the new file; `name` stays as it was.
void abandon_replacement(Replacement& r);
