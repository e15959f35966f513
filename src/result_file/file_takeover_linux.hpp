// The two ways a finished new file takes the place of an old one on Linux:
// by rename, once it has everything the old one had, or by having its
// content written into the old file.
#pragma once

#include <sys/stat.h>

// Gives the new file `fd` the owner, group, mode and extended attributes
// (ACLs among them) of the file `old` found at `name`, and drops any it got
// on its own; false when something could not be carried over.
bool take_over_attributes(int fd, const char* name, const struct stat& old);

// For a file with a second name, which keeps the old file's content: gives
// the new file what this process may of the old one's owner, group, mode
// and extended attributes (as another user: the group only if it is one of
// this user's, the permission bits and the ACL).
void take_over_what_may_be(int fd, const char* name, const struct stat& old);

// Writes the whole content of `source` into `target`, the old file: first
// makes sure it fits (room reserved where the file system can, the part
// past the old end written first), so that a full disk or a size limit is
// met while the old content is still whole and leaves it so; then the rest
// from the start, the length, and the data synced. False on failure.
bool write_in_place(int source, int target);
