// A range search run: the list where the mode sends it, then the summary.
#include "range/range_run.hpp"

#include "console/line_input.hpp"
#include "console/messages.hpp"
#include "console/say.hpp"
#include "console/screen.hpp"
#include "sieve/range_count.hpp"
#include "result_file/list_size.hpp"
#include "listing/prime_list.hpp"
#include "listing/prime_pipeline.hpp"
#include "result_file/result_file.hpp"
#include "range/run_clock.hpp"

namespace {

struct RunResult {
    Number lo, hi;
    std::uint32_t count;
    double average;  // as printed: rounded to float in the listing modes
    RunStamp start, end;
};

// The file's header goes first: it is not on the screen, so its place
// against the clearing cannot be seen.
void write_preamble(const RangeMode& m, Number lo, Number hi) {
    if (m.writes_result_file()) say_to(result_file, MSG_LIST_HEADER, lo, hi);
    clear_screen();
    say(*m.screen_preamble, lo, hi);
}

// Lists the primes of [lo, hi] where the mode says; returns their count.
std::uint32_t scan_range(const RangeMode& m, Number lo, Number hi) {
    // Nothing to list: the count comes from prime counting, not the sieve.
    if (m.screen_line_primes == 0 && m.file_line_primes == 0) return count_primes(lo, hi);
    PrimeList screen{&screen_channel(), m.screen_line_primes}, file{&result_file, m.file_line_primes};
    if (m.screen_line_primes != 0 && m.file_line_primes != 0) return list_primes(lo, hi, file, &screen);
    return list_primes(lo, hi, m.screen_line_primes != 0 ? screen : file, nullptr);
}

}  // namespace

double average_gap(const RangeMode& m, Number lo, Number hi, std::uint32_t count) {
    const double gap = (static_cast<double>(hi - lo) + 1.0) / count;
    // Kept on purpose: the listing modes have always printed the gap after
    // rounding it to single precision (1..173 shows 4.32 there, 4.33 in
    // mode 5), and users compare these figures.
    return m.average_as_float ? static_cast<double>(static_cast<float>(gap)) : gap;
}

namespace {

// The no-primes line, or the summary, average and times line.
void write_results(Channel& channel, const Message& summary, const RunResult& run) {
    if (run.count == 0) {
        say_to(channel, MSG_NO_PRIMES, run.lo, run.hi);
        return;
    }
    const ElapsedTime elapsed = split_elapsed(elapsed_seconds(run.start, run.end));
    say_to(channel, summary, run.lo, run.hi, run.count, run.hi - run.lo);
    say_to(channel, MSG_AVERAGE, run.average);
    say_to(channel, MSG_TIMES, run.start.date, run.start.time, run.end.date, run.end.time,
           elapsed.days, elapsed.hours, elapsed.minutes, elapsed.seconds);
}

}  // namespace

void run_range(const RangeMode& m, Number lo, Number hi) {
    if (m.writes_result_file()) open_result_file(result_file_size_bound(lo, hi));
    RunResult run{lo, hi, 0, 0.0, take_stamp(), {}};
    write_preamble(m, lo, hi);
    run.count = scan_range(m, lo, hi);
    if (run.count > 0) run.average = average_gap(m, lo, hi, run.count);
    if (m.writes_result_file()) {
        // The file is finished and closed before the screen says whether
        // it was written, so that it never claims a write that failed.
        run.end = take_stamp();
        write_results(result_file, MSG_SUMMARY_FILE, run);
        const bool written = close_result_file();
        say(*m.end_message);
        say(written ? MSG_WRITTEN : MSG_WRITE_FAILED);
    } else {
        say(*m.end_message);
        run.end = take_stamp();
    }
    write_results(screen_channel(), MSG_SUMMARY, run);
    say(MSG_BACK_TO_MENU);
    read_integer();
}
