// The two ways a finished new file takes the place of an old one on Windows:
// by rename, once it has everything the old one had, or by having its
// content written into the old file.
#pragma once

#include <windows.h>

// Vista and later set dispositions, attributes and names through a handle;
// Windows XP has no such call (nullptr there), and the program must start.
using SetInformationByHandle = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
SetInformationByHandle set_information_by_handle();

// True when a reparse point at `name` is a link (a symbolic link or a
// junction); others, such as a OneDrive file, are files like any other.
bool is_link(const wchar_t* name);

// Gives the new file `file` the attributes (hidden, system, ...), the owner
// and the access rules of the file at `name`; false when something could
// not be carried over. `temp_name` is the new file's name, for Windows XP.
bool take_over_attributes(HANDLE file, const wchar_t* temp_name, const wchar_t* name);

// Writes the whole content of `source` into the file at `name`, which must
// be a plain file with no other name, holding a lock over all of it so that
// two runs never write it at once. The part past the old end is written
// first, so that a full disk is met while the old content is still whole
// (and then cut off again); then the rest from the start, and the length.
// False when it could not be written.
bool write_in_place(HANDLE source, const wchar_t* name);

// How many names the file at `name` has (0 when it cannot be looked at).
DWORD link_count(const wchar_t* name);
