// The result file's operations on Windows. The new file is made beside the
// old one and marked for deletion while it is written, so the system removes
// it however the process ends (Ctrl+C, closing the window, a kill); the mark
// is cleared in the moment it is renamed, through its handle, over the old
// name. The old file is locked with LockFileEx, which stops a rename.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "result_file/file_attributes_windows.hpp"
#include "result_file/file_operations.hpp"

namespace {

HANDLE handle_of(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}
HANDLE old_handle(const Replacement& r) {
    return reinterpret_cast<HANDLE>(r.old);
}

// Windows XP: no deletion mark, so the console's interrupt and close events
// remove the named file instead (the handle's sharing allows it).
wchar_t unmarked_name[sizeof Replacement::temp_name];
volatile LONG unmarked_file_exists = 0;

BOOL WINAPI remove_unmarked_file(DWORD) {
    if (unmarked_file_exists) DeleteFileW(unmarked_name);
    return FALSE;  // the default action ends the process as usual
}

bool delete_when_closed(HANDLE file, bool yes) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(yes)};
    return set_information_by_handle()(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// Either access the end of the run may need: deletion, for replacing the
// file by rename, or writing, for writing it in place. A file that another
// program holds just now is not refused before the run: it may let go.
bool may_be_replaced(const wchar_t* name) {
    for (const DWORD access : {DWORD{DELETE}, DWORD{GENERIC_WRITE}}) {
        const HANDLE probe =
            CreateFileW(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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

FileIdentity identity(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// What the system knows of the file at `name`, whatever holds it.
bool information(const wchar_t* name, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE file = CreateFileW(name, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return ok;
}

// A program that holds the old file (a viewer, a virus scanner) makes the
// rename fail for as long as it holds it.
bool held_by_another_program(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION;
}

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

bool rename_by_handle(HANDLE file, const char* name) {
    RenameRequest request{};
    const DWORD room = sizeof request.name / sizeof request.name[0];
    const DWORD length = GetFullPathNameW(widened(name).c_str(), room, request.name, nullptr);
    if (length == 0 || length >= room) return false;
    request.name_bytes = length * sizeof(wchar_t);
    request.flags = 1 | 2;
    if (set_information_by_handle()(file, file_rename_info_ex, &request, sizeof request))
        return true;
    if (held_by_another_program(GetLastError())) return false;
    request.flags = 1;  // an older Windows, or a file system without POSIX semantics
    return set_information_by_handle()(file, FileRenameInfo, &request, sizeof request);
}

struct WindowsFiles final : FileOperations {
    WindowsFiles() { lock_stops_rename = true; }

    // A link (symbolic link or junction), a directory, a device and a
    // read-only file are refused; other reparse points (OneDrive, compressed
    // or deduplicated files) are files like any other.
    Look look_at(const char* name) override {
        const std::wstring wide = widened(name);
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return GetLastError() == ERROR_FILE_NOT_FOUND ? Look{} : refused(Refusal::unreadable);
        if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) ||
            is_link(wide.c_str()))
            return refused(Refusal::not_a_plain_file);
        if ((attributes & FILE_ATTRIBUTE_READONLY) || !may_be_replaced(wide.c_str()))
            return refused(Refusal::not_writable);
        BY_HANDLE_FILE_INFORMATION info;
        if (!information(wide.c_str(), info)) return refused(Refusal::unreadable);
        return {Standing::replaceable, Refusal::none, identity(info), info.nNumberOfLinks,
                attributes};
    }

    const char* temporary_directory() override { return nullptr; }
    unsigned long process_id() override { return GetCurrentProcessId(); }
    bool make_unnamed(Replacement&, const char*, const Look&) override { return false; }

    Made make_named(Replacement& r, const Look&) override {
        const std::wstring wide = widened(r.temp_name);
        const HANDLE file = CreateFileW(
            wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC,
            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
            nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return GetLastError() == ERROR_FILE_EXISTS ? Made::name_taken : Made::failed;
        const bool marked =
            set_information_by_handle() == nullptr || delete_when_closed(file, true);
        r.fd = marked ? _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_BINARY) : -1;
        if (r.fd >= 0) return Made::made;
        CloseHandle(file);
        DeleteFileW(wide.c_str());
        return Made::failed;
    }

    Made give_name(Replacement&) override { return Made::failed; }

    void guard(const Replacement& r) override {
        if (set_information_by_handle() != nullptr) return;  // marked for deletion instead
        static const bool handler_added = SetConsoleCtrlHandler(remove_unmarked_file, TRUE);
        lstrcpynW(unmarked_name, widened(r.temp_name).c_str(),
                  sizeof unmarked_name / sizeof unmarked_name[0]);
        unmarked_file_exists = handler_added;
    }
    void unguard() override { unmarked_file_exists = 0; }

    // Both tried, whatever the first does.
    bool carry_all(Replacement& r, const char* name, const Look& old) override {
        const HANDLE file = handle_of(r.fd);
        return same_security(file, widened(name).c_str()) &
               same_attributes(file, widened(r.temp_name).c_str(), old.permissions);
    }
    void carry_what_may_be(Replacement& r, const char* name, const Look& old) override {
        carry_all(r, name, old);
    }

    // Held until the handle is closed; another run waits here meanwhile.
    Locked lock_old(Replacement& r, const char* name, const Look& old) override {
        const HANDLE file =
            CreateFileW(widened(name).c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return GetLastError() == ERROR_FILE_NOT_FOUND ? Locked::changed : Locked::failed;
        BY_HANDLE_FILE_INFORMATION info;
        OVERLAPPED whole{};
        const bool same = GetFileType(file) == FILE_TYPE_DISK &&
                          GetFileInformationByHandle(file, &info) && identity(info) == old.id;
        if (same && LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
            r.old = reinterpret_cast<std::intptr_t>(file);
            return Locked::held;
        }
        CloseHandle(file);
        return same ? Locked::failed : Locked::changed;
    }

    void unlock_old(Replacement& r) override {
        if (r.old != -1) CloseHandle(old_handle(r));
        r.old = -1;
    }

    // NTFS journals the rename but not the data: without the flush, a power
    // failure soon after could leave a Prime.txt full of zeros.
    Renamed rename_over(Replacement& r, const char* name) override {
        const HANDLE file = handle_of(r.fd);
        if (!FlushFileBuffers(file)) return Renamed::failed;
        bool moved;
        if (set_information_by_handle() != nullptr) {
            moved = delete_when_closed(file, false) && rename_by_handle(file, name);
            const DWORD error = GetLastError();
            if (!moved) delete_when_closed(file, true);
            SetLastError(error);
        } else {
            moved = MoveFileExW(widened(r.temp_name).c_str(), widened(name).c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        }
        if (moved) return Renamed::done;
        return held_by_another_program(GetLastError()) ? Renamed::held_by_another_program
                                                       : Renamed::failed;
    }

    void pause_for_holder() override { Sleep(100); }

    bool sizes(Replacement& r, std::uint64_t& new_size, std::uint64_t& old_size) override {
        LARGE_INTEGER content{}, old{};
        if (!GetFileSizeEx(handle_of(r.fd), &content) || !GetFileSizeEx(old_handle(r), &old))
            return false;
        new_size = static_cast<std::uint64_t>(content.QuadPart);
        old_size = static_cast<std::uint64_t>(old.QuadPart);
        return true;
    }

    Reserved reserve_room(Replacement&, std::uint64_t) override { return Reserved::unsupported; }

    // At offsets given with each call (the handles are synchronous).
    bool copy_range(Replacement& r, std::uint64_t from, std::uint64_t to) override {
        std::vector<char> block(65536);
        while (from < to) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(from);
            at.OffsetHigh = static_cast<DWORD>(from >> 32);
            const DWORD want =
                static_cast<DWORD>(to - from < block.size() ? to - from : block.size());
            DWORD got = 0, put = 0;
            if (!ReadFile(handle_of(r.fd), block.data(), want, &got, &at) || got == 0) return false;
            if (!WriteFile(old_handle(r), block.data(), got, &put, &at) || put != got) return false;
            from += got;
        }
        return true;
    }

    bool set_old_length(Replacement& r, std::uint64_t length) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(length);
        return SetFilePointerEx(old_handle(r), at, nullptr, FILE_BEGIN) &&
               SetEndOfFile(old_handle(r));
    }
    bool sync_old(Replacement& r) override { return FlushFileBuffers(old_handle(r)); }
    // A console's Ctrl+C ends the process at once: a copy cannot hold it off.
    void hold_ending_signals() override {}
    void release_ending_signals() override {}

    // Marked files are gone with their handle; on Windows XP the name goes.
    void drop_new_file(Replacement& r) override {
        if (r.fd >= 0) _close(r.fd);
        if (r.named && set_information_by_handle() == nullptr)
            DeleteFileW(widened(r.temp_name).c_str());
        r.fd = -1;
        r.named = false;
    }
};

}  // namespace

FileOperations& system_files() {
    static WindowsFiles files;
    return files;
}
