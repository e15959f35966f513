// A range search run: the list where the mode sends it, then the summary.
#include "range/range_run.hpp"

#include <algorithm>
#include <iterator>

#include "console/line_input.hpp"
#include "console/messages.hpp"
#include "console/say.hpp"
#include "console/screen.hpp"
#include "number/prime_scan.hpp"
#include "range/prime_list.hpp"
#include "range/result_file.hpp"
#include "range/run_clock.hpp"

namespace {

constexpr unsigned screen_line_primes = 6;
constexpr unsigned file_line_primes = 10;

struct RunResult {
    Number lo, hi;
    std::uint32_t count;
    double average;  // as printed: rounded to float in the listing modes
    RunStamp start, end;
};

bool writes_file(Mode mode) { return mode == 2 || mode == 4; }
bool lists_on_screen(Mode mode) { return mode == 2 || mode == 3; }

void write_preamble(Mode mode, Number lo, Number hi) {
    if (mode == 4) {
        say_to(result_file, MSG_LIST_HEADER, lo, hi);
        clear_screen();
        say(MSG_LOGGING);
        return;
    }
    clear_screen();
    if (mode == 2) say_to(result_file, MSG_LIST_HEADER, lo, hi);
    if (mode == 5) say(MSG_COUNTING);
    if (lists_on_screen(mode)) say(MSG_LIST_HEADER, lo, hi);
}

// Lists the primes of [lo, hi] where the mode says; returns their count.
std::uint32_t scan_range(Mode mode, Number lo, Number hi) {
    if (mode == 5) return count_primes(lo, hi);
    PrimeList screen_list{&screen_channel(), screen_line_primes};
    PrimeList file_list{&result_file, file_line_primes};
    // The sieve's state and the batch are far larger than a small stack.
    static PrimeScan scan;
    static Number batch[4096];
    prime_scan_start(scan, lo, hi);
    std::uint32_t count = 0;
    while (const std::size_t found = prime_scan_next(scan, batch, std::size(batch))) {
        if (lists_on_screen(mode)) write_prime_list(screen_list, batch, found);
        if (writes_file(mode)) write_prime_list(file_list, batch, found);
        count += static_cast<std::uint32_t>(found);
    }
    return count;
}

// The average distance between primes: numbers of the range over primes.
double average_gap(Mode mode, Number lo, Number hi, std::uint32_t count) {
    const double gap = (static_cast<double>(hi - lo) + 1.0) / count;
    // The listing modes print the gap after rounding it to single precision.
    return mode == 5 ? gap : static_cast<double>(static_cast<float>(gap));
}

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

void run_range(Mode mode, Number lo, Number hi) {
#ifdef PRIMESEARCH_FUZZING
    // Fuzzing looks for faults, not primes: narrow ranges keep inputs fast.
    hi = std::min(hi, lo + 3000);
#endif
    if (writes_file(mode)) open_result_file();
    RunResult run{lo, hi, 0, 0.0, take_stamp(), {}};
    write_preamble(mode, lo, hi);
    run.count = scan_range(mode, lo, hi);
    if (run.count > 0) run.average = average_gap(mode, lo, hi, run.count);
    if (writes_file(mode)) {
        // The file is finished and closed before the screen says whether
        // it was written, so that it never claims a write that failed.
        run.end = take_stamp();
        write_results(result_file, MSG_SUMMARY_FILE, run);
        const bool written = close_result_file();
        say(MSG_DONE);
        say(written ? MSG_WRITTEN : MSG_WRITE_FAILED);
    } else {
        say(mode == 3 ? MSG_DONE_SCREEN : MSG_DONE);
        run.end = take_stamp();
    }
    write_results(screen_channel(), MSG_SUMMARY, run);
    say(MSG_BACK_TO_MENU);
    read_integer();
}
