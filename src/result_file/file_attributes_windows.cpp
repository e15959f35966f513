// Carrying a file's attributes, owner and access rules over to the file
// that replaces it, on Windows.
#include "result_file/file_attributes_windows.hpp"

#include <aclapi.h>

namespace {

// Attributes the new file can simply be given. A compressed, encrypted or
// sparse file keeps what it is only when written in place.
constexpr DWORD plain_attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD special_attributes =
    FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_SPARSE_FILE;

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

std::wstring widened(const char* name) {
    std::wstring wide;
    for (; *name != '\0'; ++name) wide += static_cast<wchar_t>(static_cast<unsigned char>(*name));
    return wide;
}

bool same_attributes(HANDLE file, const wchar_t* temp_name, DWORD old) {
    if (old & special_attributes) return false;
    const DWORD wanted =
        (old & plain_attributes) != 0 ? old & plain_attributes : FILE_ATTRIBUTE_NORMAL;
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
    bool ok = GetNamedSecurityInfoW(
                  name, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                  &old_owner, nullptr, &old_rules, nullptr, &old_descriptor) == ERROR_SUCCESS &&
              GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &new_owner, nullptr,
                              nullptr, nullptr, &new_descriptor) == ERROR_SUCCESS &&
              EqualSid(old_owner, new_owner);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (ok && old_rules != nullptr &&
        GetSecurityDescriptorControl(old_descriptor, &control, &revision)) {
        const SECURITY_INFORMATION which =
            DACL_SECURITY_INFORMATION |
            ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                           : UNPROTECTED_DACL_SECURITY_INFORMATION);
        ok = SetSecurityInfo(file, SE_FILE_OBJECT, which, nullptr, nullptr, old_rules, nullptr) ==
             ERROR_SUCCESS;
    }
    if (old_descriptor != nullptr) LocalFree(old_descriptor);
    if (new_descriptor != nullptr) LocalFree(new_descriptor);
    return ok;
}
