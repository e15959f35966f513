// Runs the built program as a process with arguments and scripted input.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    std::string out;     // standard output (everything, when merged)
    std::string err;     // standard error
    int status = -1;     // exit status; -1 when it did not exit normally
    bool timed_out = false;
    bool has_result_file = false;
    std::string result_file;  // "Prime.txt" after the run
};

struct ProgramSetup {
    std::vector<std::string> args;
    std::string input;
    bool merge_err = false;           // stderr into the same pipe as stdout
    std::string result_file;          // preset "Prime.txt" content ...
    bool preset_result_file = false;  // ... when true
    int timeout_seconds = 120;
    bool as_nobody = false;  // when run by root: drop to user and group 65534
    // Called in the working directory before the program starts.
    void (*prepare)(const std::string& dir) = nullptr;
};

ProgramRun run_program(const ProgramSetup& setup);
