// The two ways a finished new file takes the place of an old one on Linux:
// by rename, once it has everything the old one had, or by having its
// content written into the old file.
#pragma once

#include <sys/stat.h>

// Gives the new file `fd` the owner, group, mode and extended attributes
// (ACLs among them) of the file `old` found at `name`, and drops any it got
// on its own; false when something could not be carried over.
bool take_over_attributes(int fd, const char* name, const struct stat& old);

// Writes the whole content of `source` into the file at `name`, which must
// still be `old` and have no other name; the termination signals wait until
// the copy is done. False when the file could not be written.
bool write_in_place(int source, const char* name, const struct stat& old);
