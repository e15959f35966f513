// The recorded sessions of tests/golden: each file says what is typed and,
// as readable UTF-8 text, what the program must write. Loading one turns it
// into code page 932 bytes with the system's own converter.
#pragma once

#include <string>
#include <vector>

#include "support/program_run.hpp"

struct GoldenSession {
    std::string name;
    std::string platform;  // "windows", "posix", or empty: everywhere
    std::vector<std::string> args;
    std::string input;
    // Prime.txt before the run: none, a directory, or this content.
    enum class Before { none, directory, file } before = Before::none;
    std::string before_file;
    int status = 0;
    // Prime.txt after the run: no regular file, the earlier one, or `file`.
    enum class After { absent, unchanged, written } after = After::absent;
    std::string screen;  // standard output and standard error in one stream
    std::string out, err;
    std::string file;
};

std::vector<std::string> golden_session_names();
GoldenSession load_golden(const std::string& name);

// Arguments, input and the earlier Prime.txt of a session.
ProgramSetup golden_setup(const GoldenSession& g);

// Runs the program as set up and checks standard output, standard error
// and exit status against the session.
ProgramRun expect_golden_run(const GoldenSession& g, const ProgramSetup& setup);

// UTF-8 text as code page 932 bytes, by the system's converter.
std::string to_cp932(const std::string& utf8);

// The times line with its stamps and elapsed parts replaced by placeholders,
// after checking that they have the right shape.
std::string mask_times(const std::string& bytes);

// Equal bytes, or a failure that shows where they part.
void expect_same_bytes(const std::string& actual, const std::string& expected,
                       const std::string& what);
