// What the Windows file operations share: the handle calls that Windows XP
// lacks, links, and carrying a file's attributes, owner and access rules
// over to the new file that takes its name.
#pragma once

#include <windows.h>

#include <string>

// Vista and later set dispositions, attributes and names through a handle;
// Windows XP has no such call (nullptr there), and the program must start.
using SetInformationByHandle = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
SetInformationByHandle set_information_by_handle();

// The names here are ASCII, so widening is byte by byte.
std::wstring widened(const char* name);

// True when a reparse point at `name` is a link (a symbolic link or a
// junction); others, such as a OneDrive file, are files like any other.
bool is_link(const wchar_t* name);

// The attributes `old` (hidden, system, ...) on the new file `file`, named
// `temp_name`; false for those only the old file can keep (compressed,
// encrypted, sparse).
bool same_attributes(HANDLE file, const wchar_t* temp_name, DWORD old);

// The owner and the access rules of the file at `name` on `file`.
bool same_security(HANDLE file, const wchar_t* name);
