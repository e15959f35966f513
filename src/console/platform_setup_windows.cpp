// Process set-up on Windows: binary streams, and a console that shows code
// page 932 and understands the erase-display sequence. What is changed in the
// console is put back at the end, also when the console is interrupted or
// closed, since the console outlives the program.
#include "console/platform_setup.hpp"

#include "console/channel.hpp"

#include <fcntl.h>
#include <float.h>
#include <io.h>
#include <stdlib.h>
#include <windows.h>

#include <cctype>
#include <cstring>
#include <ctime>

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace {

constexpr UINT shift_jis = 932;

struct SavedConsole {
    UINT output_code_page = 0, input_code_page = 0;  // 0: not changed
    HANDLE error_console = nullptr;
    DWORD error_mode = 0;
    bool error_mode_changed = false;
    bool clears_by_api = false;  // a console without escape sequences
};

SavedConsole saved;

bool console_mode(HANDLE handle, DWORD& mode) {
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

// Windows 10 (1511) and later act on "\x1b[2J" once this mode is on; where it
// cannot be set, clear_console_natively() does the clearing instead.
void enable_escape_sequences() {
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode;
    if (!console_mode(err, mode)) return;
    saved.error_console = err;
    saved.error_mode = mode;
    if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return;
    if (SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        saved.error_mode_changed = true;
    else
        saved.clears_by_api = true;
}

// The texts are code page 932 bytes; a console of another code page (any
// Windows that is not Japanese) would show them as other characters.
void use_shift_jis() {
    DWORD mode;
    if (console_mode(GetStdHandle(STD_OUTPUT_HANDLE), mode) ||
        console_mode(GetStdHandle(STD_INPUT_HANDLE), mode)) {
        saved.output_code_page = GetConsoleOutputCP();
        saved.input_code_page = GetConsoleCP();
        SetConsoleOutputCP(shift_jis);
        SetConsoleCP(shift_jis);
    }
}

void restore_console() {
    if (saved.output_code_page != 0) SetConsoleOutputCP(saved.output_code_page);
    if (saved.input_code_page != 0) SetConsoleCP(saved.input_code_page);
    if (saved.error_mode_changed) SetConsoleMode(saved.error_console, saved.error_mode);
    saved.output_code_page = saved.input_code_page = 0;
    saved.error_mode_changed = false;
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

// Ctrl+C, Ctrl+Break, closing the window, logoff, shutdown: put the console
// back, then let the default action end the process.
BOOL WINAPI on_console_event(DWORD) {
    restore_console();
    return FALSE;
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
    use_shift_jis();
    enable_escape_sequences();
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

void restore_platform() { restore_console(); }

bool clear_console_natively() {
    if (!saved.clears_by_api) return false;
    // The clearing bypasses the error channel, which would otherwise put
    // what was written before it on the screen first.
    flush_console();
    // What "\x1b[2J" does: blank every cell of the window, leaving the
    // scrollback above it alone; the cursor stays where it is.
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(saved.error_console, &info)) return false;
    const COORD top = {0, info.srWindow.Top};
    const DWORD rows = static_cast<DWORD>(info.srWindow.Bottom - info.srWindow.Top + 1);
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * rows;
    DWORD done;
    FillConsoleOutputCharacterA(saved.error_console, ' ', cells, top, &done);
    FillConsoleOutputAttribute(saved.error_console, info.wAttributes, cells, top, &done);
    return true;
}
