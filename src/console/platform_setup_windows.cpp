// Process set-up on Windows: binary streams, and a console that shows code
// page 932 and understands the erase-display sequence. What is changed in the
// console is put back at the end, also when the console is interrupted or
// closed, since the console outlives the program.
#include "console/platform_setup.hpp"

#include "console/channel.hpp"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

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
    _tzset();
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
    // What "\x1b[2J" does: blank every cell; the cursor stays where it is.
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(saved.error_console, &info)) return false;
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    DWORD done;
    FillConsoleOutputCharacterA(saved.error_console, ' ', cells, {0, 0}, &done);
    FillConsoleOutputAttribute(saved.error_console, info.wAttributes, cells, {0, 0}, &done);
    return true;
}
