// Runs the built program as a process with arguments and scripted input.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct ProgramRun {
    std::string out;     // standard output (everything, when merged)
    std::string err;     // standard error
    int status = -1;     // exit status; -1 when it did not exit normally
    int signal = 0;      // the signal that ended it, if one did
    bool timed_out = false;
    bool has_result_file = false;
    std::string result_file;  // "Prime.txt" after the run, when a regular file
    unsigned result_mode = 0;  // its permission bits
    // Every entry of the working directory after the run: a regular file's
    // content, or "<link>", "<directory>", "<fifo>", "<socket>", "<other>".
    std::map<std::string, std::string> work_files;
};

// Who the program runs as, when the tests run as root (Linux): nobody
// (user and group 65534), or the user, primary group and further groups
// given (uid -1: root itself); and its umask (-1: as it is).
struct RunAs {
    bool nobody = false;
    int uid = -1, gid = -1;
    std::vector<unsigned> groups;
    int umask = -1;
};

// What the system lets the program have: limits of its process (0 leaves a
// limit as it is), and (Linux) no unnamed files, as on file systems that
// lack them (O_TMPFILE fails).
struct SystemLimits {
    long file_size = 0, stack = 0, descriptors = 0;
    bool without_unnamed_files = false;
};

// How standard input and output are connected: files, or pipes.
enum class Pipes {
    none,
    late_input,     // input a non-blocking pipe that gets it only after input_late_ms
    slow_reader,    // output a non-blocking pipe read slowly, a little at a time
    paused_reader,  // output a pipe nobody reads until the run is finished, as `less`
    dialogue,       // both pipes the test's own: wait_for_output, then type_line
};

struct ProgramSetup {
    std::vector<std::string> args;
    std::string input;
    bool merge_err = false;                  // stderr into the same pipe as stdout
    std::optional<std::string> result_file;  // a "Prime.txt" put there first
    int timeout_seconds = 120;
    // Called in the working directory before the program starts.
    void (*prepare)(const std::string& dir) = nullptr;
    // A working directory of the caller's, shared with other runs; empty:
    // a fresh one of the run's own.
    std::string work_dir;
    std::vector<std::string> env;  // added to the environment, "NAME=value"
    // A signal sent to the program once it is writing its new result file
    // (Windows: TerminateProcess); `signal` in the run says it was sent.
    int signal = 0;
    RunAs as;
    SystemLimits limits;
    Pipes pipes = Pipes::none;
    int input_late_ms = 0;
};

ProgramRun run_program(const ProgramSetup& setup);

// Puts a file with these bytes at `path`, replacing what was there.
void put_file(const std::filesystem::path& path, const std::string& bytes);

struct WindowsPipes;

// The program started and left running, for runs that overlap.
struct StartedProgram {
    ProgramSetup setup;
    std::string dir;  // the run's own temporary directory
    int pid = -1;                           // POSIX
    int input_pipe = -1, output_pipe = -1;  // the parent's ends, if any
    void* process = nullptr;                // Windows: the process handle ...
    std::shared_ptr<WindowsPipes> pipes;    // ... and its pipes
    std::string said;                       // a dialogue's output so far ...
    std::size_t heard_to = 0;               // ... and how much of it was waited for
};

StartedProgram start_program(const ProgramSetup& setup);
ProgramRun finish_program(StartedProgram& started);

// Waits until `ready` holds while the program still runs; false when the
// program ended first, or its timeout passed.
bool wait_while_running(const StartedProgram& started, const std::function<bool()>& ready);
// Waits until the program is writing a new result file: a file beside or
// instead of the old Prime.txt that holds some bytes, while the program
// still runs. False when it ended first, or its timeout passed.
bool wait_until_writing(StartedProgram& started);
// Waits until the old Prime.txt differs from `earlier` while the program
// still runs: it is being written in place. False as above.
bool wait_until_rewriting(StartedProgram& started, const std::string& earlier);

// In a dialogue: waits until `text` has come out since the text waited for
// last; false when the program ended first, or its timeout passed.
bool wait_for_output(StartedProgram& started, const std::string& text);
// In a dialogue: types a line, Enter included, on the program's input.
void type_line(StartedProgram& started, const std::string& line);

// Waits until the paused reader's pipe holds `bytes`, while the program
// still runs; false as above.
bool wait_until_output_waits(StartedProgram& started, std::size_t bytes);
// The processor time the program has used so far, user and system, in seconds.
double processor_seconds(const StartedProgram& started);

// Stops the program where it stands, and lets it go on.
void pause_program(StartedProgram& started);
void resume_program(StartedProgram& started);

// Empty when a run as another user (as_nobody, uid) can reach the program
// here; otherwise why not, for a test to skip with.
std::string why_other_users_cannot_run();

// Whether the tests' own user writes files that are read-only (root does).
bool writes_read_only_files();
