// Reads and writes on Windows descriptors, all in binary mode: the program
// writes its own CR LF. Input keeps the one rule of a Windows text stream
// that matters to a console user: Ctrl+Z (0x1A) ends the input where it
// stands, and nothing after it is read.
#include "console/stream_io.hpp"

#include <io.h>
#include <windows.h>

#include <cstring>

namespace {

constexpr char end_of_file_byte = 0x1A;

}  // namespace

bool write_all(int fd, const char* bytes, std::size_t size) {
    // Consoles before Windows 8 refuse a single write of much more than
    // 64 KiB; files and pipes take large blocks.
    const std::size_t largest = is_console(fd) ? std::size_t{32} << 10 : std::size_t{1} << 30;
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
    const int n = _read(fd, bytes, part);
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
bool is_console(int fd) {
    DWORD mode;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

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
