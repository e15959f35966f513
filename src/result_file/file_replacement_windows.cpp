// A file replaced whole or not at all, on Windows. The new file is created
// beside the old one and marked for deletion while it is written, so the
// system removes it however the process ends (Ctrl+C, closing the window, a
// kill); the mark is cleared in the moment it is renamed, through its handle,
// over the old name. Another program that holds the old file open is waited
// for; if it does not let go, the result goes into the old file in place.
#include "result_file/file_replacement.hpp"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include "result_file/file_takeover_windows.hpp"

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

HANDLE handle_of(const Replacement& r) { return reinterpret_cast<HANDLE>(_get_osfhandle(r.fd)); }

// Windows XP: no deletion mark, so the console's interrupt and close events
// remove the named file instead (the handle's sharing allows it).
wchar_t unmarked_name[64];
volatile LONG unmarked_file_exists = 0;

BOOL WINAPI remove_unmarked_file(DWORD) {
    if (unmarked_file_exists) DeleteFileW(unmarked_name);
    return FALSE;  // the default action ends the process as usual
}

bool delete_when_closed(HANDLE file, bool yes) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(yes)};
    return set_information_by_handle()(file, FileDispositionInfo, &disposition, sizeof disposition);
}

bool guard(const Replacement& r, HANDLE file) {
    if (set_information_by_handle() != nullptr) return delete_when_closed(file, true);
    static const bool handler_added = SetConsoleCtrlHandler(remove_unmarked_file, TRUE);
    lstrcpyW(unmarked_name, WideName(r.temp_name).text);
    unmarked_file_exists = 1;
    return handler_added;
}

enum class Standing { absent, replaceable, refused };

// Either access the end of the run may need: deletion, for replacing the
// file by rename, or writing, for writing it in place. A file that another
// program holds just now is not refused before the run: it may let go.
bool may_be_replaced(const wchar_t* name) {
    for (const DWORD access : {DWORD{DELETE}, DWORD{GENERIC_WRITE}}) {
        const HANDLE probe = CreateFileW(name, access,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_SHARING_VIOLATION) return true;
            continue;
        }
        const bool disk_file = GetFileType(probe) == FILE_TYPE_DISK;
        CloseHandle(probe);
        if (disk_file) return true;
    }
    return false;
}

// What may be replaced: nothing at all, or a plain file the user may write.
// A link (symbolic link or junction), a directory, a device and a read-only
// file are refused; other reparse points (OneDrive, compressed or
// deduplicated files) are files like any other.
Standing look_at(const char* name) {
    const WideName wide(name);
    const DWORD attributes = GetFileAttributesW(wide.text);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? Standing::absent : Standing::refused;
    constexpr DWORD refused =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY;
    if ((attributes & refused) || is_link(wide.text)) return Standing::refused;
    return may_be_replaced(wide.text) ? Standing::replaceable : Standing::refused;
}

// A program that holds the old file (a viewer, a virus scanner) makes the
// rename fail for as long as it holds it.
bool held_by_another_program(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION;
}
constexpr DWORD patience_ms = 5000;

// The rename through the handle: with POSIX semantics where Windows has them
// (Windows 10 1607 and later), which replace a file that others hold open
// when they allow deletion; the classic rename elsewhere. The request is
// FILE_RENAME_INFO, whose first member is a BOOLEAN for the classic rename
// and a DWORD of flags for the newer one (1: replace, 2: POSIX semantics).
constexpr auto file_rename_info_ex = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
struct RenameRequest {
    DWORD flags;
    HANDLE root_directory;
    DWORD name_bytes;
    wchar_t name[MAX_PATH * 4];
};

bool rename_by_handle(HANDLE file, const char* name, bool& posix) {
    RenameRequest request{};
    const DWORD room = sizeof request.name / sizeof request.name[0];
    const DWORD length = GetFullPathNameW(WideName(name).text, room, request.name, nullptr);
    if (length == 0 || length >= room) return false;
    request.root_directory = nullptr;
    request.name_bytes = length * sizeof(wchar_t);
    if (posix) {
        request.flags = 1 | 2;
        if (set_information_by_handle()(file, file_rename_info_ex, &request, sizeof request)) return true;
        if (held_by_another_program(GetLastError())) return false;
        posix = false;  // an older Windows, or a file system without them
    }
    request.flags = 1;
    return set_information_by_handle()(file, FileRenameInfo, &request, sizeof request);
}

// Renames the new file over `name`, waiting for a holder to let go.
bool move_into_place(Replacement& r, const char* name) {
    const HANDLE file = handle_of(r);
    const DWORD started = GetTickCount();
    bool posix = true;
    for (;;) {
        bool moved;
        if (set_information_by_handle() != nullptr) {
            moved = delete_when_closed(file, false) && rename_by_handle(file, name, posix);
            if (!moved) {
                const DWORD error = GetLastError();
                delete_when_closed(file, true);
                SetLastError(error);
            }
        } else {
            moved = MoveFileExW(WideName(r.temp_name).text, WideName(name).text,
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            if (moved) unmarked_file_exists = 0;
        }
        if (moved) return true;
        if (!held_by_another_program(GetLastError()) || GetTickCount() - started > patience_ms)
            return false;
        Sleep(100);
    }
}

// The new file's content goes into the old file; the new file is dropped.
bool replace_in_place(Replacement& r, const char* name) {
    const bool ok = write_in_place(handle_of(r), WideName(name).text);
    abandon_replacement(r);
    return ok;
}

}  // namespace

bool begin_replacement(Replacement& r, const char* name, std::uint64_t) {
    r = Replacement{};
    if (look_at(name) == Standing::refused) return false;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::snprintf(r.temp_name, sizeof r.temp_name, "%s.incomplete-%lu-%u", name,
                      GetCurrentProcessId(), attempt);
        const HANDLE file = CreateFileW(
            WideName(r.temp_name).text, GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC,
            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return false;
        }
        r.named = true;
        r.fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_BINARY);
        if (r.fd < 0) CloseHandle(file);
        if (r.fd < 0 || !guard(r, file)) {
            abandon_replacement(r);
            return false;
        }
        return true;
    }
    return false;
}

bool finish_replacement(Replacement& r, const char* name) {
    const HANDLE file = handle_of(r);
    const WideName wide(name);
    // NTFS journals the rename but not the data: without this, a power
    // failure soon after could leave a Prime.txt full of zeros.
    const Standing standing = FlushFileBuffers(file) ? look_at(name) : Standing::refused;
    if (standing == Standing::refused) {
        abandon_replacement(r);
        return false;
    }
    if (standing == Standing::replaceable &&
        !take_over_attributes(file, WideName(r.temp_name).text, wide.text) &&
        link_count(wide.text) == 1)
        return replace_in_place(r, name);
    if (move_into_place(r, name)) {
        r.named = false;
        _close(r.fd);
        r.fd = -1;
        return true;
    }
    // Held by a program that lets others write: the result goes in place.
    if (standing == Standing::replaceable && link_count(wide.text) == 1) return replace_in_place(r, name);
    abandon_replacement(r);
    return false;
}

void abandon_replacement(Replacement& r) {
    if (r.fd >= 0) _close(r.fd);
    // Marked files are gone with their handle; on Windows XP the name goes.
    if (r.named && set_information_by_handle() == nullptr) DeleteFileW(WideName(r.temp_name).text);
    unmarked_file_exists = 0;
    r = Replacement{};
}
