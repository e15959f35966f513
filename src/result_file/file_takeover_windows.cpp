// Carrying a file's attributes, owner and access rules over to the file that
// replaces it, and the fallback of writing into the old file in place.
#include "result_file/file_takeover_windows.hpp"

#include <aclapi.h>

#include <vector>

namespace {

// Attributes the new file can simply be given. A compressed, encrypted or
// sparse file keeps what it is only when written in place.
constexpr DWORD plain_attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD special_attributes =
    FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_SPARSE_FILE;

bool same_attributes(HANDLE file, const wchar_t* temp_name, DWORD old) {
    if (old & special_attributes) return false;
    const DWORD wanted = (old & plain_attributes) != 0 ? old & plain_attributes : FILE_ATTRIBUTE_NORMAL;
    const SetInformationByHandle set = set_information_by_handle();
    if (set == nullptr) return SetFileAttributesW(temp_name, wanted) != 0;
    FILE_BASIC_INFO basic{};  // times 0: left as they are
    basic.FileAttributes = wanted;
    return set(file, FileBasicInfo, &basic, sizeof basic) != 0;
}

// The same owner (which only the system's privileges could change), and the
// old file's own access rules, protected from inheritance or not as they were.
bool same_security(HANDLE file, const wchar_t* name) {
    PSID old_owner = nullptr, new_owner = nullptr;
    PACL old_rules = nullptr;
    PSECURITY_DESCRIPTOR old_descriptor = nullptr, new_descriptor = nullptr;
    bool ok = GetNamedSecurityInfoW(name, SE_FILE_OBJECT,
                                    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                    &old_owner, nullptr, &old_rules, nullptr,
                                    &old_descriptor) == ERROR_SUCCESS &&
              GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &new_owner,
                              nullptr, nullptr, nullptr, &new_descriptor) == ERROR_SUCCESS &&
              EqualSid(old_owner, new_owner);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (ok && old_rules != nullptr &&
        GetSecurityDescriptorControl(old_descriptor, &control, &revision)) {
        const SECURITY_INFORMATION which =
            DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED)
                                             ? PROTECTED_DACL_SECURITY_INFORMATION
                                             : UNPROTECTED_DACL_SECURITY_INFORMATION);
        ok = SetSecurityInfo(file, SE_FILE_OBJECT, which, nullptr, nullptr, old_rules, nullptr) ==
             ERROR_SUCCESS;
    }
    if (old_descriptor != nullptr) LocalFree(old_descriptor);
    if (new_descriptor != nullptr) LocalFree(new_descriptor);
    return ok;
}

// Copies the bytes from `from` up to `to` of `source` to the same places in
// `target`, at offsets given with each call (the handles are synchronous).
bool copy_range(HANDLE source, HANDLE target, ULONGLONG from, ULONGLONG to) {
    std::vector<char> buffer(65536);
    char* const block = buffer.data();
    while (from < to) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(from);
        at.OffsetHigh = static_cast<DWORD>(from >> 32);
        const DWORD want = static_cast<DWORD>(to - from < buffer.size() ? to - from : buffer.size());
        DWORD got = 0, put = 0;
        if (!ReadFile(source, block, want, &got, &at) || got == 0) return false;
        if (!WriteFile(target, block, got, &put, &at) || put != got) return false;
        from += got;
    }
    return true;
}

bool set_length(HANDLE file, ULONGLONG length) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(length);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

ULONGLONG length_of(HANDLE file, bool& ok) {
    LARGE_INTEGER size{};
    ok = ok && GetFileSizeEx(file, &size);
    return static_cast<ULONGLONG>(size.QuadPart);
}

bool copy_content(HANDLE source, HANDLE target) {
    bool ok = true;
    const ULONGLONG size = length_of(source, ok), old_size = length_of(target, ok);
    if (!ok) return false;
    if (size > old_size && !copy_range(source, target, old_size, size)) {
        set_length(target, old_size);
        return false;
    }
    return copy_range(source, target, 0, size < old_size ? size : old_size) && set_length(target, size) &&
           FlushFileBuffers(target);
}

}  // namespace

SetInformationByHandle set_information_by_handle() {
    static const auto function = reinterpret_cast<SetInformationByHandle>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle")));
    return function;
}

bool is_link(const wchar_t* name) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(name, &found);
    if (search == INVALID_HANDLE_VALUE) return true;  // not to be looked at: not to be trusted
    FindClose(search);
    // For a reparse point, dwReserved0 holds its tag.
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           IsReparseTagNameSurrogate(found.dwReserved0);
}

bool take_over_attributes(HANDLE file, const wchar_t* temp_name, const wchar_t* name) {
    const DWORD old = GetFileAttributesW(name);
    return old != INVALID_FILE_ATTRIBUTES && same_security(file, name) &&
           same_attributes(file, temp_name, old);
}

DWORD link_count(const wchar_t* name) {
    const HANDLE file = CreateFileW(name, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION info;
    const DWORD links = GetFileInformationByHandle(file, &info) ? info.nNumberOfLinks : 0;
    CloseHandle(file);
    return links;
}

bool write_in_place(HANDLE source, const wchar_t* name) {
    if (is_link(name)) return false;
    const HANDLE target = CreateFileW(name, GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (target == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool ok = GetFileType(target) == FILE_TYPE_DISK && GetFileInformationByHandle(target, &info) &&
              !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && info.nNumberOfLinks == 1;
    // Held until the handle is closed; another run waits here meanwhile.
    OVERLAPPED whole{};
    ok = ok && LockFileEx(target, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
    ok = ok && copy_content(source, target);
    return CloseHandle(target) && ok;
}
