// Reads and writes on Windows descriptors, all in binary mode: the program
// writes its own CR LF. Input keeps the one rule of a Windows text stream
// that matters to a console user: Ctrl+Z (0x1A) ends the input where it
// stands, and nothing after it is read.
//
// A console gets its text as UTF-16 (WriteConsoleW, ReadConsoleW), turned
// from and into code page 932 here: the program's own bytes stay code page
// 932, and the console's code pages are never changed, so they read right
// on any Windows and there is nothing to put back afterwards.
#include "console/stream_io.hpp"

#include "console/cp932_boundary.hpp"

#include <io.h>
#include <windows.h>

#include <cstring>
#include <iterator>

namespace {

constexpr char end_of_file_byte = 0x1A;
constexpr UINT shift_jis = 932;
constexpr DWORD control_c_exit = 0xC000013A;  // STATUS_CONTROL_C_EXIT

HANDLE console_handle(int fd) {
    DWORD mode;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// A lead byte that ended the last write to the console on descriptor 1 or
// 2, held for the second byte that the next write brings (0: none).
char held_lead_byte[3];

bool write_console(HANDLE console, char& held, const char* bytes, std::size_t size) {
    char piece[8192 + 1];
    wchar_t wide[8192 + 1];
    while (size > 0) {
        std::size_t used = 0;
        if (held != 0) piece[used++] = held;
        const std::size_t take = size < sizeof piece - used ? size : sizeof piece - used;
        std::memcpy(piece + used, bytes, take);
        bytes += take;
        size -= take;
        used += take;
        const std::size_t whole = cp932_whole_prefix(piece, used);
        held = whole < used ? piece[whole] : 0;
        if (whole == 0) return true;  // a lone lead byte waits for the next write
        const int n = MultiByteToWideChar(shift_jis, 0, piece, static_cast<int>(whole), wide,
                                          static_cast<int>(std::size(wide)));
        for (int at = 0; at < n;) {
            DWORD written = 0;
            if (!WriteConsoleW(console, wide + at, static_cast<DWORD>(n - at), &written, nullptr) ||
                written == 0)
                return false;
            at += static_cast<int>(written);
        }
    }
    return true;
}

// A console line as code page 932 bytes. Ctrl+C at a prompt gives a read of
// nothing (Ctrl+Z comes as the character 0x1A): the program then ends as
// Ctrl+C ends it anywhere, not as at the end of input.
long read_console(HANDLE console, char* bytes, std::size_t size) {
    wchar_t wide[2048];
    const std::size_t most = size / 2 < std::size(wide) ? size / 2 : std::size(wide);
    DWORD got = 0;
    if (!ReadConsoleW(console, wide, static_cast<DWORD>(most), &got, nullptr)) return -1;
    if (got == 0) ExitProcess(control_c_exit);
    return WideCharToMultiByte(shift_jis, 0, wide, static_cast<int>(got), bytes, static_cast<int>(size),
                               nullptr, nullptr);
}

}  // namespace

bool write_all(int fd, const char* bytes, std::size_t size) {
    // Only standard output and error can be the console: the result file's
    // writes do not ask.
    if (const HANDLE console = fd >= 1 && fd <= 2 ? console_handle(fd) : nullptr; console != nullptr)
        return write_console(console, held_lead_byte[fd], bytes, size);
    const std::size_t largest = std::size_t{1} << 30;
    while (size > 0) {
        const auto part = static_cast<unsigned>(size > largest ? largest : size);
        const int n = _write(fd, bytes, part);
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

long read_some(int fd, char* bytes, std::size_t size, bool& last) {
    last = false;
    const unsigned part = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    const HANDLE console = console_handle(fd);
    const long n = console != nullptr ? read_console(console, bytes, part) : _read(fd, bytes, part);
    if (n <= 0) return n;
    const void* stop = std::memchr(bytes, end_of_file_byte, static_cast<std::size_t>(n));
    if (stop == nullptr) return n;
    last = true;
    return static_cast<long>(static_cast<const char*>(stop) - bytes);
}

std::uint64_t stream_position(int fd) {
    const __int64 at = _lseeki64(fd, 0, SEEK_CUR);
    return at > 0 ? static_cast<std::uint64_t>(at) : 0;
}

// A console is what GetConsoleMode accepts: _isatty also says yes for the
// NUL device, which would then be flushed after every message.
bool is_console(int fd) { return console_handle(fd) != nullptr; }

// The performance counter: monotonic, and present from Windows XP on (the
// standard library's steady_clock is the calendar clock in this build).
std::int64_t monotonic_nanoseconds() {
    static const std::int64_t frequency = [] {
        LARGE_INTEGER f;
        return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    const std::int64_t ticks = count.QuadPart;
    return ticks / frequency * 1'000'000'000 + ticks % frequency * 1'000'000'000 / frequency;
}
