// Runs the built program as a process with arguments and scripted input.
#pragma once

#include <functional>
#include <map>
#include <memory>
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

struct ProgramSetup {
    std::vector<std::string> args;
    std::string input;
    bool merge_err = false;           // stderr into the same pipe as stdout
    std::string result_file;          // preset "Prime.txt" content ...
    bool preset_result_file = false;  // ... when true
    int timeout_seconds = 120;
    bool as_nobody = false;  // when run by root: drop to user and group 65534
    // When run by root: the user, primary group and further groups to run
    // as (uid -1: root itself), and the umask (-1: as it is).
    int uid = -1, gid = -1;
    std::vector<unsigned> groups;
    int umask = -1;
    // Linux: creating an unnamed file (O_TMPFILE) fails, as on file systems
    // that lack it.
    bool without_unnamed_files = false;
    // Called in the working directory before the program starts.
    void (*prepare)(const std::string& dir) = nullptr;
    // A working directory of the caller's, shared with other runs; empty:
    // a fresh one of the run's own.
    std::string work_dir;
    std::vector<std::string> env;  // added to the environment, "NAME=value"
    // Limits of the program's process; 0 leaves a limit as it is.
    long file_size_limit = 0, stack_limit = 0, descriptor_limit = 0;
    // A signal sent to the program once it is writing its new result file
    // (Windows: TerminateProcess); `signal` in the run says it was sent.
    int signal = 0;
    // Standard input a non-blocking pipe that gets the input only after
    // this many milliseconds (0: a file).
    int input_late_ms = 0;
    // Standard output a non-blocking pipe read slowly, a little at a time.
    bool slow_output_reader = false;
    // Standard output a pipe that nobody reads until the run is finished:
    // a reader that pauses, as `less` does.
    bool paused_output_reader = false;
};

ProgramRun run_program(const ProgramSetup& setup);

// Puts a file with these bytes at `path`, replacing what was there.
void put_file(const std::string& path, const std::string& bytes);

struct WindowsPipes;

// The program started and left running, for runs that overlap.
struct StartedProgram {
    ProgramSetup setup;
    std::string dir;  // the run's own temporary directory
    int pid = -1;                           // POSIX
    int input_pipe = -1, output_pipe = -1;  // the parent's ends, if any
    void* process = nullptr;                // Windows: the process handle ...
    std::shared_ptr<WindowsPipes> pipes;    // ... and its output pipes
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
