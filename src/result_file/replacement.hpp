// A file replaced whole or not at all: every decision of it, over one
// platform's file operations. The new content goes into a new file beside
// the old one, which takes the old one's name in one step at the end when
// it can be given what the old one had; otherwise the finished content is
// written into the old file in place, under a lock, once it is sure to fit.
#pragma once

#include "result_file/file_operations.hpp"

// Starts replacing `name`. Refuses (false, nothing created) when what
// stands there is not a plain file the user may write.
bool begin_replacement(FileOperations& files, Replacement& r, const char* name);

// Puts the new content in place of `name`; false when that failed, and then
// the new file is gone and `name` is as it was. After a rename the old file
// may still be open in `r.old`, for the caller to let go of.
bool finish_replacement(FileOperations& files, Replacement& r, const char* name);

// Drops the new file; `name` stays as it was.
void abandon_replacement(FileOperations& files, Replacement& r);
