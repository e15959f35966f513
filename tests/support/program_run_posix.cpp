// Runs the built program as a POSIX process: fork and exec, with limits,
// signals and non-blocking pipes when the setup asks for them.
#include "support/program_run.hpp"
#include "support/program_run_files.hpp"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#endif

#include <dirent.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void set_limit(int resource, long value) {
    if (value <= 0) return;
    const rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
    if (setrlimit(resource, &limit) != 0) _exit(125);
}

void become_user(const ProgramSetup& setup) {
    if (geteuid() != 0) return;
    const RunAs& as = setup.as;
    if (as.nobody && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
    if (as.uid < 0) return;
    std::vector<gid_t> groups(as.groups.begin(), as.groups.end());
    if (setgroups(groups.size(), groups.data()) != 0 || setgid(static_cast<gid_t>(as.gid)) != 0 ||
        setuid(static_cast<uid_t>(as.uid)) != 0)
        _exit(126);
}

// Makes every open with O_TMPFILE (its own bit, 020000000) fail with EOPNOTSUPP, as on vfat or NFS.
void refuse_unnamed_files() {
#ifdef __linux__
    constexpr unsigned flags_low = offsetof(seccomp_data, args[2]);
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, flags_low),
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, 020000000, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog filter{static_cast<unsigned short>(std::size(program)), program};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &filter) != 0)
        _exit(124);
#endif
}

bool runs_as_another_user(const ProgramSetup& setup) {
    return geteuid() == 0 && (setup.as.nobody || setup.as.uid >= 0);
}

// Other users may not reach the build below the checkout (a home directory
// of mode 0700): they run a copy of the program in a directory of its own,
// open to all, among the system's temporary files. Empty when none could be
// made.
const std::string& program_for_other_users() {
    static const std::string path = [] {
        std::string dir = (fs::temp_directory_path() / "primesearch-program-XXXXXX").string();
        std::error_code error;
        if (mkdtemp(dir.data()) == nullptr) return std::string();
        static const std::string made = dir;
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(made, ignored);
        });
        const fs::path copy = fs::path(dir) / "primesearch";
        fs::copy_file(PRIMESEARCH_BINARY, copy, error);
        if (error || chmod(dir.c_str(), 0755) != 0 || chmod(copy.c_str(), 0755) != 0) return std::string();
        return copy.string();
    }();
    return path;
}

// The first directory on the way to `path` that other users may not pass.
std::string closed_directory_on_the_way(const fs::path& path) {
    fs::path on_the_way;
    for (const fs::path& part : fs::absolute(path).parent_path()) {
        on_the_way /= part;
        struct stat st{};
        if (stat(on_the_way.c_str(), &st) != 0 || (st.st_mode & S_IXOTH) == 0) return on_the_way.string();
    }
    return "";
}

[[noreturn]] void exec_child(const StartedProgram& p, const char* program, int in, int out) {
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
    become_user(setup);
    if (setup.as.umask >= 0) umask(static_cast<mode_t>(setup.as.umask));
    if (chdir(work_dir_of(p).c_str()) != 0) _exit(127);
    for (const std::string& entry : setup.env) putenv(const_cast<char*>(entry.c_str()));
    set_limit(RLIMIT_FSIZE, setup.limits.file_size);
    set_limit(RLIMIT_STACK, setup.limits.stack);
    set_limit(RLIMIT_NOFILE, setup.limits.descriptors);
    // A signal that dumps core leaves no core file among the run's files.
    const rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    if (setup.limits.without_unnamed_files) refuse_unnamed_files();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program));
    for (const std::string& arg : setup.args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program, argv.data());
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
    if (p.setup.pipes == Pipes::late_input && p.input_pipe >= 0 &&
        Clock::now() > started + std::chrono::milliseconds(p.setup.input_late_ms)) {
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

bool writes_read_only_files() { return geteuid() == 0; }

std::string why_other_users_cannot_run() {
    if (geteuid() != 0) return "running as other users needs root";
    const std::string& program = program_for_other_users();
    if (program.empty()) return "no copy of the program could be made among the temporary files";
    const std::string closed = closed_directory_on_the_way(program);
    if (!closed.empty()) return "other users cannot pass " + closed + " to reach the temporary files";
    return "";
}

bool still_running(const StartedProgram& p) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(p.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

// Linux: a regular file in the working directory among the program's
// descriptors, with bytes in it, that is not the old Prime.txt (which a
// large run holds open too). Files elsewhere, such as the libraries the
// loader opens, do not count.
bool holds_new_file_with_bytes(const StartedProgram& p) {
    const std::string fds = "/proc/" + std::to_string(p.pid) + "/fd";
    const std::string work = fs::absolute(work_dir_of(p)).string() + "/";
    struct stat old{};
    const bool has_old = lstat((work + "Prime.txt").c_str(), &old) == 0;
    DIR* listing = opendir(fds.c_str());
    if (listing == nullptr) return false;
    bool found = false;
    for (const dirent* entry; !found && (entry = readdir(listing)) != nullptr;) {
        const std::string fd = fds + "/" + entry->d_name;
        char target[4096];
        const ssize_t length = readlink(fd.c_str(), target, sizeof target);
        struct stat st{};
        if (length <= 0 || std::string(target, static_cast<std::size_t>(length)).rfind(work, 0) != 0 ||
            stat(fd.c_str(), &st) != 0)
            continue;
        const bool is_old = has_old && st.st_dev == old.st_dev && st.st_ino == old.st_ino;
        found = S_ISREG(st.st_mode) && st.st_size > 0 && !is_old;
    }
    closedir(listing);
    return found;
}

bool wait_until_output_waits(StartedProgram& p, std::size_t bytes) {
    return wait_while_running(p, [&p, bytes] {
        int queued = 0;
        return ioctl(p.output_pipe, FIONREAD, &queued) == 0 && static_cast<std::size_t>(queued) >= bytes;
    });
}

// Linux: the 14th and 15th fields of /proc/PID/stat, after the command's
// name in brackets, in clock ticks.
double processor_seconds(const StartedProgram& p) {
    std::ifstream stat_file("/proc/" + std::to_string(p.pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat_file)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int n = 3; n < 14; ++n) fields >> field;
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void pause_program(StartedProgram& p) {
    kill(p.pid, SIGSTOP);
    siginfo_t info{};
    waitid(P_PID, static_cast<id_t>(p.pid), &info, WSTOPPED);
}

void resume_program(StartedProgram& p) { kill(p.pid, SIGCONT); }

bool wait_for_output(StartedProgram& p, const std::string& text) {
    const auto deadline = Clock::now() + std::chrono::seconds(p.setup.timeout_seconds);
    for (;;) {
        const std::size_t at = p.said.find(text, p.heard_to);
        if (at != std::string::npos) {
            p.heard_to = at + text.size();
            return true;
        }
        if (Clock::now() > deadline) return false;
        // Wakes as soon as output comes.
        pollfd ready{p.output_pipe, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        char chunk[4096];
        const ssize_t n = read(p.output_pipe, chunk, sizeof chunk);
        if (n <= 0) return false;  // the program ended
        p.said.append(chunk, static_cast<std::size_t>(n));
    }
}

void type_line(StartedProgram& p, const std::string& line) {
    const std::string typed = line + "\n";
    if (write(p.input_pipe, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size()))
        ADD_FAILURE() << "the program took no input";
}

StartedProgram start_program(const ProgramSetup& setup) {
    StartedProgram p;
    p.setup = setup;
    prepare_run_directory(p);
    const ProgramSetup& s = p.setup;
    int child_in = -1, child_out = -1;
    if (s.pipes == Pipes::late_input) p.input_pipe = nonblocking_pipe(true, child_in);
    if (s.pipes == Pipes::slow_reader) p.output_pipe = nonblocking_pipe(false, child_out);
    int ends[2];
    if ((s.pipes == Pipes::paused_reader || s.pipes == Pipes::dialogue) && pipe(ends) == 0) {
        p.output_pipe = ends[0];
        child_out = ends[1];
    }
    if (s.pipes == Pipes::dialogue && pipe(ends) == 0) {
        p.input_pipe = ends[1];
        child_in = ends[0];
    }
    const char* program = runs_as_another_user(s) ? program_for_other_users().c_str() : PRIMESEARCH_BINARY;
    p.pid = fork();
    if (p.pid == 0) exec_child(p, program, child_in, child_out);
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
    std::string piped = p.said;
    // The test has said all it had to: the input ends.
    if (p.setup.pipes == Pipes::dialogue && p.input_pipe >= 0) {
        close(p.input_pipe);
        p.input_pipe = -1;
    }
    // A run that ends before it writes is not signalled: its status says so.
    if (p.setup.signal != 0 && wait_until_writing(p)) kill(p.pid, p.setup.signal);
    while (waitpid(p.pid, &wait_status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(p.pid, SIGKILL);
            waitpid(p.pid, &wait_status, 0);
            run.timed_out = true;
            break;
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
    if (p.setup.pipes != Pipes::none && p.setup.pipes != Pipes::late_input) run.out = piped;
    collect_run_files(p, run);
    return run;
}
