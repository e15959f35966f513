// Builds the input of a scripted session together with the bytes the program
// must write for it: the screen with every erase-display sequence in place
// (as a 2>&1 capture sees it) and the result file.
#pragma once

#include <string>
#include <vector>

#include "console/messages.hpp"
#include "number/number.hpp"
#include "support/program_run.hpp"

class Session;

// Runs the program on the session's input and checks screen, standard error
// and exit status 0; the second form also checks the result file, when the
// session writes one.
ProgramRun expect_session(const Session& s, const ProgramSetup& setup);
ProgramRun expect_session(const Session& s);

// The times line with its stamps and elapsed parts replaced by placeholders,
// after checking that they have the right shape.
std::string mask_times(const std::string& bytes);

class Session {
public:
    // A visit to the menu: rejected choices, then the choice that is taken.
    Session& menu(const std::string& choice, const std::vector<std::string>& rejected = {});
    Session& explanation(int count);
    Session& quit();
    // Mode 6 with the lines typed until one is valid; ends at the report.
    Session& single(const std::vector<std::string>& entries, Number n);
    // The two-step range dialogue of modes 2 to 5.
    Session& range_entry(int mode, const std::vector<std::string>& firsts, Number first,
                         const std::vector<std::string>& seconds, Number second);
    // The run of modes 2 to 5 over [lo, hi], up to and including the final Enter.
    Session& run(int mode, Number lo, Number hi, bool file_written = true);
    // A finished mode: back through the menu loop's clearing.
    Session& back();

    Session& type(const std::string& line);  // one line of input
    Session& shows(const std::string& bytes);  // screen bytes
    Session& clears();

    const std::string& input() const { return input_; }
    const std::string& merged() const { return merged_; }
    std::string screen() const;  // standard output alone
    std::string errors() const;  // standard error alone
    const std::string& file() const { return file_; }

    ProgramSetup setup(bool merge_err = false) const;

private:
    void rejection(const std::string& line);
    Session& report(Number n);  // the single-number report and its pause
    std::string input_, merged_, file_;
};
