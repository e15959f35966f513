// Runs the built program as a Windows process: CreateProcess with its
// standard handles on files in the run's directory. Limits, signals and
// non-blocking pipes are POSIX matters; the tests that need them skip here.
#include "support/program_run.hpp"
#include "support/program_run_files.hpp"

#include <windows.h>

#include <cstring>

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

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
    for (const std::string& entry : additions) block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    block.push_back('\0');
    return block;
}

HANDLE inheritable(const fs::path& path, bool writing) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(path.c_str(), writing ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       writing ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

StartedProgram start_program(const ProgramSetup& setup) {
    StartedProgram p;
    p.setup = setup;
    prepare_run_directory(p);
    const fs::path dir = p.dir;
    const HANDLE in = inheritable(dir / "stdin", false);
    const HANDLE out = inheritable(dir / "stdout", true);
    const HANDLE err = setup.merge_err ? out : inheritable(dir / "stderr", true);
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
    if (CreateProcessA(PRIMESEARCH_BINARY, command_line.data(), nullptr, nullptr, TRUE, 0,
                       environment.data(), work.c_str(), &startup, &process)) {
        CloseHandle(process.hThread);
        p.process = process.hProcess;
    }
    CloseHandle(in);
    CloseHandle(out);
    if (err != out) CloseHandle(err);
    return p;
}

ProgramRun finish_program(StartedProgram& p) {
    ProgramRun run;
    const auto process = static_cast<HANDLE>(p.process);
    if (process != nullptr) {
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
    collect_run_files(p, run, true);
    return run;
}
