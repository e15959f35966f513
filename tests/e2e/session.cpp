// Builds the input of a scripted session together with the expected bytes.
#include "e2e/session.hpp"

#include <gtest/gtest.h>

#include "console/number_entry.hpp"
#include "number/factorization.hpp"
#include "number/is_composite.hpp"
#include "support/console_capture.hpp"
#include "support/reference_primes.hpp"

namespace {

const std::string clear_sequence = "\x1b[2J";

bool shaped(const std::string& s, std::size_t at, const char* shape) {
    for (std::size_t i = 0; shape[i] != '\0'; ++i) {
        if (at + i >= s.size()) return false;
        const char c = s[at + i];
        if (shape[i] == '9' ? !(c >= '0' && c <= '9') : c != shape[i]) return false;
    }
    return true;
}

// Replaces the digits at `at` with `placeholder` when there are 1 to 5.
bool mask_number(std::string& s, std::size_t& at, const std::string& placeholder) {
    std::size_t end = at;
    while (end < s.size() && s[end] >= '0' && s[end] <= '9') ++end;
    if (end == at || end - at > 5) return false;
    s.replace(at, end - at, placeholder);
    at += placeholder.size();
    return true;
}

bool expect_text(const std::string& s, std::size_t& at, const std::string& text) {
    if (s.compare(at, text.size(), text) != 0) return false;
    at += text.size();
    return true;
}

bool mask_stamp(std::string& s, std::size_t& at) {
    if (!shaped(s, at, "99/99/99  99:99:99")) return false;
    s.replace(at, 18, "MM/DD/YY  HH:MM:SS");
    at += 18;
    return true;
}

}  // namespace

ProgramRun expect_session(const Session& s, const ProgramSetup& setup) {
    const ProgramRun run = run_program(setup);
    EXPECT_EQ(mask_times(run.out), s.screen());
    EXPECT_EQ(run.err, s.errors());
    EXPECT_EQ(run.status, 0);
    return run;
}

ProgramRun expect_session(const Session& s) {
    const ProgramRun run = expect_session(s, s.setup());
    if (!s.file().empty()) {
        EXPECT_TRUE(run.has_result_file);
        EXPECT_EQ(mask_times(run.result_file), s.file());
    }
    return run;
}

std::string mask_times(const std::string& bytes) {
    std::string s = bytes;
    const std::string head = "★開始日時 ";
    for (std::size_t at = s.find(head); at != std::string::npos; at = s.find(head, at)) {
        at += head.size();
        const bool ok = mask_stamp(s, at) && expect_text(s, at, " \r\n☆終了日時 ") &&
                        mask_stamp(s, at) && expect_text(s, at, " 、 τ(経過時間)=【") &&
                        mask_number(s, at, "D") && expect_text(s, at, "日 ") &&
                        mask_number(s, at, "H") && expect_text(s, at, "時間") &&
                        mask_number(s, at, "M") && expect_text(s, at, "分") &&
                        mask_number(s, at, "S") && expect_text(s, at, "秒】");
        if (!ok) break;
    }
    return s;
}

Session& Session::type(const std::string& line) {
    input_ += line + "\n";
    return *this;
}

Session& Session::shows(const std::string& bytes) {
    merged_ += bytes;
    return *this;
}

Session& Session::clears() {
    merged_ += clear_sequence;
    return *this;
}

Session& Session::menu(const std::string& choice, const std::vector<std::string>& rejected) {
    clears();
    for (const std::string& line : rejected) clears().shows(shown(MSG_MENU)).type(line);
    return clears().shows(shown(MSG_MENU)).type(choice).clears();
}

Session& Session::explanation(int count) {
    clears();
    for (const Message* m : {&MSG_EXPLAIN_TITLE, &MSG_EXPLAIN_PURPOSE, &MSG_EXPLAIN_USAGE,
                             &MSG_EXPLAIN_CAUTION, &MSG_EXPLAIN_LONG_RANGE, &MSG_EXPLAIN_ABORT,
                             &MSG_EXPLAIN_SCANDISK, &MSG_EXPLAIN_CHECK_DISK,
                             &MSG_EXPLAIN_NO_FAULTS})
        shows(shown(*m));
    return shows(shown(MSG_EXPLAIN_COUNT, count)).shows(shown(MSG_EXPLAIN_BACK)).type("");
}

Session& Session::quit() { return menu("1").clears().clears(); }

Session& Session::back() { return clears(); }

void Session::rejection(const std::string& line) {
    // What read_valid_number writes for a refused line, learnt by feeding it;
    // a complaint is followed by a pause for Enter.
    ConsoleCapture console(line + "\n\n");
    read_valid_number();
    const std::string complaint = console.screen();
    shows(complaint).type(line);
    if (!complaint.empty()) type("");
}

Session& Session::single(const std::vector<std::string>& entries, Number n) {
    for (const std::string& line : entries) {
        clears().shows(shown(MSG_BANNER_SINGLE)).shows(shown(MSG_LIMIT_NOTICE));
        shows(shown(MSG_PROMPT_SINGLE));
        if (&line != &entries.back()) rejection(line); else type(line);
    }
    return report(n);
}

Session& Session::report(Number n) {
    const bool composite = is_composite(n) != 0;
    shows(shown(composite ? MSG_NOT_PRIME : MSG_IS_PRIME, n));
    if (composite) {
        ConsoleCapture console;
        print_factorization(n);
        shows(console.screen());
    }
    return shows(shown(MSG_PRESS_ENTER_NL)).type("");
}

namespace {

const Message& banner_of(int mode) {
    switch (mode) {
        case 2: return MSG_BANNER_BOTH;
        case 3: return MSG_BANNER_SCREEN;
        case 4: return MSG_BANNER_FILE;
        default: return MSG_BANNER_COUNT;
    }
}

const std::string masked_times =
    crlf("★開始日時 MM/DD/YY  HH:MM:SS \n☆終了日時 MM/DD/YY  HH:MM:SS 、 τ(経過時間)=【D日 H時間M分S秒】");

}  // namespace

Session& Session::range_entry(int mode, const std::vector<std::string>& firsts, Number first,
                              const std::vector<std::string>& seconds, Number second) {
    const Message& banner = banner_of(mode);
    for (const std::string& line : firsts) {
        clears().shows(shown(banner)).shows(shown(MSG_LIMIT_NOTICE)).shows(shown(MSG_PROMPT_FIRST));
        if (&line != &firsts.back()) rejection(line); else type(line);
    }
    for (const std::string& line : seconds) {
        clears().shows(shown(banner)).shows(shown(MSG_LIMIT_NOTICE));
        shows(shown(MSG_FIRST_WAS, first)).shows(shown(MSG_PROMPT_SECOND));
        if (&line != &seconds.back()) rejection(line); else type(line);
    }
    return first == second ? report(first) : *this;
}

Session& Session::run(int mode, Number lo, Number hi, bool file_written) {
    const std::vector<Number> primes = primes_by_trial_division(lo, hi);
    const bool to_file = mode == 2 || mode == 4;
    const bool on_screen = mode == 2 || mode == 3;
    const auto k = static_cast<std::uint32_t>(primes.size());
    std::string file;
    clears();
    if (mode == 4) shows(shown(MSG_LOGGING));
    if (mode == 5) shows(shown(MSG_COUNTING));
    if (on_screen) shows(shown(MSG_LIST_HEADER, lo, hi)).shows(listed(primes, 6));
    if (to_file) {
        shows(shown(MSG_DONE)).shows(shown(file_written ? MSG_WRITTEN : MSG_WRITE_FAILED));
        file = shown(MSG_LIST_HEADER, lo, hi) + listed(primes, 10);
    } else {
        shows(shown(mode == 3 ? MSG_DONE_SCREEN : MSG_DONE));
    }
    if (k == 0) {
        shows(shown(MSG_NO_PRIMES, lo, hi));
        file += shown(MSG_NO_PRIMES, lo, hi);
    } else {
        const double gap = (static_cast<double>(hi - lo) + 1.0) / k;
        const double printed = mode == 5 ? gap : static_cast<float>(gap);
        shows(shown(MSG_SUMMARY, lo, hi, k, hi - lo)).shows(shown(MSG_AVERAGE, printed));
        shows(masked_times);
        file += shown(MSG_SUMMARY_FILE, lo, hi, k, hi - lo) + shown(MSG_AVERAGE, printed) +
                 masked_times;
    }
    if (to_file) file_ = file;
    return shows(shown(MSG_BACK_TO_MENU)).type("").back();
}

std::string Session::screen() const {
    std::string out = merged_;
    for (std::size_t at = out.find(clear_sequence); at != std::string::npos;
         at = out.find(clear_sequence, at))
        out.erase(at, clear_sequence.size());
    return out;
}

std::string Session::errors() const {
    std::string err;
    for (std::size_t at = merged_.find(clear_sequence); at != std::string::npos;
         at = merged_.find(clear_sequence, at + 1))
        err += clear_sequence;
    return err;
}

ProgramSetup Session::setup(bool merge_err) const {
    ProgramSetup s;
    s.input = input_;
    s.merge_err = merge_err;
    return s;
}
