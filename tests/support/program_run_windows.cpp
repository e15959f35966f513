// Runs the built program as a Windows process: CreateProcess with standard
// input from a file and standard output and error into pipes, each drained
// by a thread of its own. Limits and non-blocking pipes are POSIX matters;
// the tests that need them skip here. A signal is TerminateProcess here,
// which is what a kill from the task manager does.
#include "support/program_run.hpp"
#include "support/program_run_files.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

// A pipe from the program and the thread that reads everything from it.
struct PipeDrain {
    HANDLE read = nullptr;
    std::string bytes;
    std::thread reader;

    void start() {
        reader = std::thread([this] {
            char chunk[65536];
            DWORD got = 0;
            while (ReadFile(read, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
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

}  // namespace

StartedProgram start_program(const ProgramSetup& setup) {
    StartedProgram p;
    p.setup = setup;
    prepare_run_directory(p);
    p.pipes = std::make_shared<WindowsPipes>();
    const HANDLE in = CreateFileW((fs::path(p.dir) / "stdin").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, &inherited_handles, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
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
    // Wine's CreateProcess fails now and then under load; a few tries.
    for (int attempt = 0; attempt < 5 && p.process == nullptr; ++attempt) {
        if (CreateProcessA(PRIMESEARCH_BINARY, command_line.data(), nullptr, nullptr, TRUE, 0,
                           environment.data(), work.c_str(), &startup, &process)) {
            CloseHandle(process.hThread);
            p.process = process.hProcess;
        } else {
            if (attempt == 4) ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
            Sleep(100);
        }
    }
    // Only the program holds the write ends now: the pipes end with it.
    CloseHandle(in);
    CloseHandle(out);
    if (err != out) CloseHandle(err);
    p.pipes->out.start();
    if (!setup.merge_err) p.pipes->err.start();
    return p;
}

ProgramRun finish_program(StartedProgram& p) {
    ProgramRun run;
    const auto process = static_cast<HANDLE>(p.process);
    if (process != nullptr) {
        if (p.setup.signal != 0 &&
            WaitForSingleObject(process, static_cast<DWORD>(p.setup.signal_after_ms)) == WAIT_TIMEOUT) {
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
