// A file replaced whole or not at all, on Windows. The new file is created
// exclusively beside the old one under a name that says what it is, and
// MoveFileExW puts it in place of the old name in one step at the end.
#include "range/file_replacement.hpp"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>

namespace {

// The names here are ASCII, so widening is byte by byte.
struct WideName {
    wchar_t text[64];
    explicit WideName(const char* name) {
        std::size_t i = 0;
        for (; name[i] != '\0' && i + 1 < sizeof text / sizeof text[0]; ++i)
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(name[i]));
        text[i] = L'\0';
    }
};

// What may be replaced: nothing at all, or a plain file the user may write.
// A reparse point (a symbolic link or junction), a directory or a device is
// refused, and so is a read-only file.
bool replaceable(const char* name) {
    const WideName wide(name);
    const DWORD attributes = GetFileAttributesW(wide.text);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND;
    }
    constexpr DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                              FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY;
    if (attributes & refused) return false;
    // The access rights decide whether the user may write it; opening it
    // for writing without changing anything asks them.
    const HANDLE probe = CreateFileW(wide.text, GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return false;
    const bool disk_file = GetFileType(probe) == FILE_TYPE_DISK;
    CloseHandle(probe);
    return disk_file;
}

// Puts the new file in place. Another program that has the old file open
// for a moment (a virus scanner, an indexer, a reader) makes the move fail
// with a sharing violation: it is tried again for about a second.
bool move_into_place(const char* temp_name, const char* name) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(WideName(temp_name).text, WideName(name).text,
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if (attempt == 20 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED))
            return false;
        Sleep(50);
    }
}

}  // namespace

bool begin_replacement(Replacement& r, const char* name) {
    r = Replacement{};
    if (!replaceable(name)) return false;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::snprintf(r.temp_name, sizeof r.temp_name, "%s.incomplete-%lu-%u", name,
                      GetCurrentProcessId(), attempt);
        r.fd = _open(r.temp_name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                     _S_IREAD | _S_IWRITE);
        if (r.fd >= 0) {
            r.named = true;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool finish_replacement(Replacement& r, const char* name) {
    // What stands at `name` may have changed during a long run: look again.
    bool ok = replaceable(name);
    if (_close(r.fd) != 0) ok = false;
    r.fd = -1;
    if (ok && move_into_place(r.temp_name, name)) {
        r.named = false;
        return true;
    }
    abandon_replacement(r);
    return false;
}

void abandon_replacement(Replacement& r) {
    if (r.fd >= 0) _close(r.fd);
    if (r.named) DeleteFileW(WideName(r.temp_name).text);
    r = Replacement{};
}
