// UTF-8 to code page 932 by the system's own converter: iconv here,
// WideCharToMultiByte on Windows. A character without a code page 932 form
// is an error, never a substitute.
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "support/golden_session.hpp"

#ifdef _WIN32

std::string to_cp932(const std::string& utf8) {
    if (utf8.empty()) return "";
    const int size = static_cast<int>(utf8.size());
    const int wide_size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (wide_size == 0) throw std::runtime_error("not UTF-8: " + utf8);
    std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), wide_size);
    BOOL lost = FALSE;
    const int out_size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wide_size, nullptr,
                                             0, nullptr, &lost);
    std::string out(static_cast<std::size_t>(out_size), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wide_size, out.data(), out_size,
                        nullptr, &lost);
    if (lost) throw std::runtime_error("no code page 932 form: " + utf8);
    return out;
}

#else

std::string to_cp932(const std::string& utf8) {
    const iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 converter");
    std::string in = utf8, out(utf8.size() * 2 + 16, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t from_left = in.size(), to_left = out.size();
    const std::size_t converted = iconv(cd, &from, &from_left, &to, &to_left);
    iconv_close(cd);
    if (converted == static_cast<std::size_t>(-1)) throw std::runtime_error("no code page 932 form: " + utf8);
    out.resize(out.size() - to_left);
    return out;
}

#endif
