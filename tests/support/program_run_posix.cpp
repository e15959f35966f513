// Runs the built program as a POSIX process: fork and exec, with limits,
// signals and non-blocking pipes when the setup asks for them.
#include "support/program_run.hpp"
#include "support/program_run_files.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void set_limit(int resource, long value) {
    if (value <= 0) return;
    const rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
    if (setrlimit(resource, &limit) != 0) _exit(125);
}

[[noreturn]] void exec_child(const StartedProgram& p, int in, int out) {
    const ProgramSetup& setup = p.setup;
    const fs::path dir = p.dir;
    if (in < 0) in = open((dir / "stdin").c_str(), O_RDONLY);
    if (out < 0) out = open((dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open((dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(setup.merge_err ? out : err, 2);
    // The program gets the three standard descriptors and nothing else.
    for (int fd = 3; fd < 1024; ++fd) close(fd);
    if (setup.as_nobody && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
    if (chdir(work_dir_of(p).c_str()) != 0) _exit(127);
    for (const std::string& entry : setup.env) putenv(const_cast<char*>(entry.c_str()));
    set_limit(RLIMIT_FSIZE, setup.file_size_limit);
    set_limit(RLIMIT_STACK, setup.stack_limit);
    set_limit(RLIMIT_NOFILE, setup.descriptor_limit);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(PRIMESEARCH_BINARY));
    for (const std::string& arg : setup.args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(PRIMESEARCH_BINARY, argv.data());
    _exit(127);
}

// A pipe whose child end is non-blocking (the flag lives on the shared file
// description, so the program sees it); returns the parent's end.
int nonblocking_pipe(bool child_reads, int& child_end) {
    int ends[2];
    if (pipe(ends) != 0) return -1;
    child_end = child_reads ? ends[0] : ends[1];
    fcntl(child_end, F_SETFL, fcntl(child_end, F_GETFL) | O_NONBLOCK);
    return child_reads ? ends[1] : ends[0];
}

// Feeds the late input and drains the slow output while the program runs.
void serve_pipes(StartedProgram& p, std::string& out, Clock::time_point started) {
    if (p.input_pipe >= 0 && Clock::now() > started + std::chrono::milliseconds(p.setup.input_late_ms)) {
        const std::string& input = p.setup.input;
        if (write(p.input_pipe, input.data(), input.size()) != static_cast<ssize_t>(input.size()))
            out += "<input not written>";
        close(p.input_pipe);
        p.input_pipe = -1;
    }
    if (p.output_pipe >= 0) {
        char chunk[4096];
        const ssize_t n = read(p.output_pipe, chunk, sizeof chunk);
        if (n > 0) out.append(chunk, static_cast<std::size_t>(n));
    }
}

}  // namespace

StartedProgram start_program(const ProgramSetup& setup) {
    StartedProgram p;
    p.setup = setup;
    prepare_run_directory(p);
    const ProgramSetup& s = p.setup;
    int child_in = -1, child_out = -1;
    if (s.input_late_ms > 0) p.input_pipe = nonblocking_pipe(true, child_in);
    if (s.slow_output_reader) p.output_pipe = nonblocking_pipe(false, child_out);
    p.pid = fork();
    if (p.pid == 0) exec_child(p, child_in, child_out);
    if (child_in >= 0) close(child_in);
    if (child_out >= 0) close(child_out);
    return p;
}

ProgramRun finish_program(StartedProgram& p) {
    ProgramRun run;
    const auto started = Clock::now();
    const auto deadline = started + std::chrono::seconds(p.setup.timeout_seconds);
    int wait_status = 0;
    auto pause = std::chrono::microseconds(200);
    std::string piped;
    bool signalled = false;
    while (waitpid(p.pid, &wait_status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(p.pid, SIGKILL);
            waitpid(p.pid, &wait_status, 0);
            run.timed_out = true;
            break;
        }
        if (p.setup.signal != 0 && !signalled &&
            Clock::now() > started + std::chrono::milliseconds(p.setup.signal_after_ms)) {
            kill(p.pid, p.setup.signal);
            signalled = true;
        }
        serve_pipes(p, piped, started);
        std::this_thread::sleep_for(pause);
        if (pause < std::chrono::milliseconds(20) && p.output_pipe < 0) pause *= 2;
    }
    if (p.output_pipe >= 0) {
        // What is left in the pipe after the program ended.
        fcntl(p.output_pipe, F_SETFL, 0);
        char chunk[4096];
        for (ssize_t n; (n = read(p.output_pipe, chunk, sizeof chunk)) > 0;)
            piped.append(chunk, static_cast<std::size_t>(n));
        close(p.output_pipe);
    }
    if (p.input_pipe >= 0) close(p.input_pipe);
    if (!run.timed_out && WIFEXITED(wait_status)) run.status = WEXITSTATUS(wait_status);
    if (!run.timed_out && WIFSIGNALED(wait_status)) run.signal = WTERMSIG(wait_status);
    if (p.setup.slow_output_reader) run.out = piped;
    collect_run_files(p, run);
    return run;
}
