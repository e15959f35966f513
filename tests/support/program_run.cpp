// Runs the built program as a process with arguments and scripted input.
#include "support/program_run.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

[[noreturn]] void exec_child(const fs::path& dir, const ProgramSetup& setup) {
    const int in = open((dir / "stdin").c_str(), O_RDONLY);
    const int out = open((dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open((dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(setup.merge_err ? out : err, 2);
    if (setup.as_nobody && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
    if (chdir((dir / "work").c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(PRIMESEARCH_BINARY));
    for (const std::string& arg : setup.args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(PRIMESEARCH_BINARY, argv.data());
    _exit(127);
}

}  // namespace

ProgramRun run_program(const ProgramSetup& setup) {
    char pattern[] = "/tmp/primesearch-test-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    fs::create_directory(dir / "work");
    write_file(dir / "stdin", setup.input);
    if (setup.as_nobody) {
        fs::permissions(dir, fs::perms::all);
        fs::permissions(dir / "work", fs::perms::all);
    }
    if (setup.preset_result_file) write_file(dir / "work" / "Prime.txt", setup.result_file);
    if (setup.prepare != nullptr) setup.prepare((dir / "work").string());

    const pid_t child = fork();
    if (child == 0) exec_child(dir, setup);
    ProgramRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(setup.timeout_seconds);
    int wait_status = 0;
    auto pause = std::chrono::microseconds(200);
    while (waitpid(child, &wait_status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &wait_status, 0);
            run.timed_out = true;
            break;
        }
        std::this_thread::sleep_for(pause);
        if (pause < std::chrono::milliseconds(20)) pause *= 2;
    }
    if (!run.timed_out && WIFEXITED(wait_status)) run.status = WEXITSTATUS(wait_status);
    run.out = read_file(dir / "stdout");
    run.err = read_file(dir / "stderr");
    const fs::path result = dir / "work" / "Prime.txt";
    std::error_code ignored;
    run.has_result_file = fs::is_regular_file(result, ignored);
    if (run.has_result_file) run.result_file = read_file(result);
    fs::permissions(dir / "work", fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir, ignored);
    return run;
}
