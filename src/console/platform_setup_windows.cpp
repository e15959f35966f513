// Process set-up on Windows: binary streams, IEEE double precision, a time
// zone the C library can read, and the way the console is cleared. The
// console itself is left as it is (its text goes through stream_io).
#include "console/platform_setup.hpp"

#include "console/channel.hpp"

#include <fcntl.h>
#include <float.h>
#include <io.h>
#include <stdlib.h>
#include <windows.h>

#include <cctype>
#include <ctime>

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace {

// The console that standard error clears, when it does not act on the
// erase-display sequence itself (null: the sequence is written).
HANDLE console_cleared_by_api = nullptr;

// Consoles act on "\x1b[2J" only where virtual terminal processing is on
// (Windows Terminal; conhost when the user or another program turned it
// on). Elsewhere the clearing is done through the console's own calls,
// so the console's mode is never changed.
void choose_clearing() {
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode;
    if (err != INVALID_HANDLE_VALUE && err != nullptr && GetConsoleMode(err, &mode) &&
        !(mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        console_cleared_by_api = err;
}

// Whether TZ has the form the C library reads: a zone name of three or more
// letters, an offset of hours (sign, then [:mm[:ss]]), and perhaps a
// daylight-saving name, as in "JST-9" or "PST8PDT".
bool microsoft_time_zone(const char* tz) {
    const auto letters = [&tz] {
        const char* start = tz;
        while (std::isalpha(static_cast<unsigned char>(*tz))) ++tz;
        return tz - start;
    };
    const auto digits = [&tz](int most) {
        int n = 0;
        while (n < most && std::isdigit(static_cast<unsigned char>(*tz))) ++tz, ++n;
        return n;
    };
    if (letters() < 3) return false;
    if (*tz == '+' || *tz == '-') ++tz;
    if (digits(2) == 0) return false;
    for (int part = 0; part < 2 && *tz == ':'; ++part) {
        ++tz;
        if (digits(2) != 2) return false;
    }
    const std::ptrdiff_t daylight = letters();
    return *tz == '\0' && (daylight == 0 || daylight >= 3);
}

// A TZ in another form (MSYS and Cygwin shells export "Asia/Tokyo") would
// be read as offset 0 with daylight saving: such a TZ is dropped, and the
// system's own time zone is used.
void use_readable_time_zone() {
    const char* tz = std::getenv("TZ");
    if (tz != nullptr && !microsoft_time_zone(tz)) _putenv("TZ=");
    _tzset();
}

}  // namespace

void set_up_platform() {
    // The program writes CR LF itself; text mode would add a second CR.
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    _setmode(2, _O_BINARY);
    use_readable_time_zone();
#if defined(__i386__)
    // Whatever still computes on the x87 unit rounds to double, as SSE2 does.
    _controlfp(_PC_53, _MCW_PC);
#endif
    choose_clearing();
}

// Nothing outside the process was changed: the console keeps its code pages
// and modes, and text reaches it as UTF-16.
bool clear_console_natively() {
    if (console_cleared_by_api == nullptr) return false;
    // The clearing bypasses the error channel, which would otherwise put
    // what was written before it on the screen first.
    flush_console();
    // What "\x1b[2J" does: blank every cell of the window, leaving the
    // scrollback above it alone; the cursor stays where it is.
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(console_cleared_by_api, &info)) return false;
    const COORD top = {0, info.srWindow.Top};
    const DWORD rows = static_cast<DWORD>(info.srWindow.Bottom - info.srWindow.Top + 1);
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * rows;
    DWORD done;
    FillConsoleOutputCharacterA(console_cleared_by_api, ' ', cells, top, &done);
    FillConsoleOutputAttribute(console_cleared_by_api, info.wAttributes, cells, top, &done);
    return true;
}
