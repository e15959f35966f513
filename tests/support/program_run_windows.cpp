// Runs the built program as a Windows process: CreateProcess with standard
// input from a file (in a dialogue, a pipe the test writes) and standard
// output and error into pipes, each drained by a thread of its own. Limits and non-blocking pipes are POSIX matters;
// the tests that need them skip here. A signal is TerminateProcess here,
// which is what a kill from the task manager does.
#include "support/program_run.hpp"
#include "support/program_run_files.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

// A pipe from the program and the thread that reads everything from it.
struct PipeDrain {
    HANDLE read = nullptr;
    std::string bytes;
    bool ended = false;
    std::mutex guard;  // over bytes and ended while the thread runs
    std::condition_variable grown;
    std::thread reader;

    void start() {
        reader = std::thread([this] {
            char chunk[65536];
            DWORD got = 0;
            while (ReadFile(read, chunk, sizeof chunk, &got, nullptr) && got > 0) {
                const std::lock_guard<std::mutex> lock(guard);
                bytes.append(chunk, got);
                grown.notify_all();
            }
            const std::lock_guard<std::mutex> lock(guard);
            ended = true;
            grown.notify_all();
        });
    }
    void finish() {
        if (reader.joinable()) reader.join();
        if (read != nullptr) CloseHandle(read);
        read = nullptr;
    }
    ~PipeDrain() { finish(); }
};

struct WindowsPipes {
    PipeDrain out, err;
    HANDLE input = nullptr;  // a dialogue's: the test writes it
};

namespace {

// One argument as the C runtime of the started program splits it again.
std::string quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

// The parent's environment with the setup's additions, as a block.
std::vector<char> environment_with(const std::vector<std::string>& additions) {
    std::vector<char> block;
    char* inherited = GetEnvironmentStringsA();
    for (const char* entry = inherited; *entry != '\0'; entry += std::strlen(entry) + 1)
        block.insert(block.end(), entry, entry + std::strlen(entry) + 1);
    FreeEnvironmentStringsA(inherited);
    for (const std::string& entry : additions)
        block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    block.push_back('\0');
    return block;
}

SECURITY_ATTRIBUTES inherited_handles{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

// A pipe whose write end the program inherits; the read end stays here.
HANDLE output_pipe(PipeDrain& drain) {
    HANDLE write = nullptr;
    CreatePipe(&drain.read, &write, &inherited_handles, 0);
    SetHandleInformation(drain.read, HANDLE_FLAG_INHERIT, 0);
    return write;
}

// Wine's CreateProcess now and then fails to start a program under load,
// which Windows does not; an error that says the program cannot be started
// at all is never retried.
bool fails_now_and_then(DWORD error) {
    for (const DWORD lasting : {DWORD{ERROR_FILE_NOT_FOUND}, DWORD{ERROR_PATH_NOT_FOUND},
                                DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_BAD_EXE_FORMAT},
                                DWORD{ERROR_INVALID_PARAMETER}, DWORD{ERROR_DIRECTORY}})
        if (error == lasting) return false;
    return true;
}

// The ntdll calls that stop and continue every thread of a process.
using ProcessCall = LONG(WINAPI*)(HANDLE);
ProcessCall ntdll_call(const char* name) {
    return reinterpret_cast<ProcessCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

}  // namespace

std::string why_other_users_cannot_run() { return "Windows runs the program as the same user"; }

bool writes_read_only_files() { return false; }

bool still_running(const StartedProgram& p) {
    return p.process != nullptr && WaitForSingleObject(static_cast<HANDLE>(p.process), 0) == WAIT_TIMEOUT;
}

// Windows: the program's new file is named after it, beside the old one.
bool holds_new_file_with_bytes(const StartedProgram& p) {
    const std::string own = "Prime.txt.incomplete-" + std::to_string(GetProcessId(static_cast<HANDLE>(p.process))) + "-";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(work_dir_of(p), error))
        if (entry.path().filename().string().rfind(own, 0) == 0 && entry.file_size(error) > 0 && !error)
            return true;
    return false;
}

bool wait_until_output_waits(StartedProgram& p, std::size_t bytes) {
    return wait_while_running(p, [&p, bytes] {
        DWORD queued = 0;
        return PeekNamedPipe(p.pipes->out.read, nullptr, 0, nullptr, &queued, nullptr) && queued >= bytes;
    });
}

double processor_seconds(const StartedProgram& p) {
    FILETIME created, ended, system, user;
    if (!GetProcessTimes(static_cast<HANDLE>(p.process), &created, &ended, &system, &user)) return -1;
    const auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(user) + seconds(system);
}

bool wait_for_output(StartedProgram& p, const std::string& text) {
    PipeDrain& out = p.pipes->out;
    std::unique_lock<std::mutex> lock(out.guard);
    std::size_t at = std::string::npos;
    const bool heard = out.grown.wait_for(lock, std::chrono::seconds(p.setup.timeout_seconds), [&] {
        at = out.bytes.find(text, p.heard_to);
        return at != std::string::npos || out.ended;
    });
    if (!heard || at == std::string::npos) return false;
    p.heard_to = at + text.size();
    return true;
}

void type_line(StartedProgram& p, const std::string& line) {
    const std::string typed = line + "\n";
    DWORD put = 0;
    if (!WriteFile(p.pipes->input, typed.data(), static_cast<DWORD>(typed.size()), &put, nullptr) ||
        put != typed.size())
        ADD_FAILURE() << "the program took no input";
}

void pause_program(StartedProgram& p) { ntdll_call("NtSuspendProcess")(static_cast<HANDLE>(p.process)); }
void resume_program(StartedProgram& p) { ntdll_call("NtResumeProcess")(static_cast<HANDLE>(p.process)); }

StartedProgram start_program(const ProgramSetup& setup) {
    StartedProgram p;
    p.setup = setup;
    prepare_run_directory(p);
    p.pipes = std::make_shared<WindowsPipes>();
    HANDLE in = nullptr;
    if (setup.pipes == Pipes::dialogue) {
        CreatePipe(&in, &p.pipes->input, &inherited_handles, 0);
        SetHandleInformation(p.pipes->input, HANDLE_FLAG_INHERIT, 0);
    } else {
        in = CreateFileW((fs::path(p.dir) / "stdin").c_str(), GENERIC_READ, FILE_SHARE_READ,
                         &inherited_handles, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    const HANDLE out = output_pipe(p.pipes->out);
    const HANDLE err = setup.merge_err ? out : output_pipe(p.pipes->err);
    std::string command = quoted(PRIMESEARCH_BINARY);
    for (const std::string& arg : setup.args) command += " " + quoted(arg);
    std::vector<char> command_line(command.begin(), command.end());
    command_line.push_back('\0');
    std::vector<char> environment = environment_with(setup.env);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::string work = work_dir_of(p).string();
    for (int attempt = 1; p.process == nullptr; ++attempt) {
        if (CreateProcessA(PRIMESEARCH_BINARY, command_line.data(), nullptr, nullptr, TRUE, 0,
                           environment.data(), work.c_str(), &startup, &process)) {
            CloseHandle(process.hThread);
            p.process = process.hProcess;
            continue;
        }
        const DWORD error = GetLastError();
        if (!fails_now_and_then(error) || attempt == 5) {
            ADD_FAILURE() << "CreateProcess failed: " << error;
            break;
        }
        // Counted in the log: the test's output says how often it happened.
        std::printf("[ wine ] CreateProcess failed with error %lu, start %d of 5 retried\n", error, attempt);
        Sleep(100);
    }
    // Only the program holds the write ends now: the pipes end with it.
    CloseHandle(in);
    CloseHandle(out);
    if (err != out) CloseHandle(err);
    // A paused reader starts reading when the run is finished.
    if (setup.pipes != Pipes::paused_reader) p.pipes->out.start();
    if (!setup.merge_err) p.pipes->err.start();
    return p;
}

ProgramRun finish_program(StartedProgram& p) {
    ProgramRun run;
    if (p.setup.pipes == Pipes::paused_reader) p.pipes->out.start();
    // The test has said all it had to: the input ends.
    if (p.pipes->input != nullptr) CloseHandle(p.pipes->input);
    p.pipes->input = nullptr;
    const auto process = static_cast<HANDLE>(p.process);
    if (process != nullptr) {
        // A run that ends before it writes is not killed: `signal` stays 0.
        if (p.setup.signal != 0 && wait_until_writing(p)) {
            TerminateProcess(process, 1);
            run.signal = p.setup.signal;
        }
        if (WaitForSingleObject(process, static_cast<DWORD>(p.setup.timeout_seconds) * 1000) !=
            WAIT_OBJECT_0) {
            TerminateProcess(process, 255);
            WaitForSingleObject(process, INFINITE);
            run.timed_out = true;
        }
        DWORD code = 0;
        if (!run.timed_out && GetExitCodeProcess(process, &code)) run.status = static_cast<int>(code);
        CloseHandle(process);
        p.process = nullptr;
    }
    p.pipes->out.finish();
    p.pipes->err.finish();
    run.out = p.pipes->out.bytes;
    run.err = p.pipes->err.bytes;
    collect_run_files(p, run);
    return run;
}
