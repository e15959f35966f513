// The stamps taken at the start and end of a run, and the elapsed time.
#include "range/run_clock.hpp"

#include <cstring>

// Stamps and elapsed times past 2038 need a 64-bit calendar time, which
// glibc and mingw-w64 (32-bit Windows included) both give by default.
static_assert(sizeof(std::time_t) == 8, "the calendar time must be 64 bits");

namespace {

std::time_t system_clock() { return std::time(nullptr); }

ClockSource clock_source = system_clock;

void format_local(char (&out)[9], std::time_t when, const char* format) {
    const std::tm* local = std::localtime(&when);
    if (local == nullptr || std::strftime(out, sizeof out, format, local) != 8)
        std::memcpy(out, "--------", sizeof out);
}

}  // namespace

void set_clock_source(ClockSource source) {
    clock_source = source != nullptr ? source : system_clock;
}

RunStamp take_stamp() {
    // One reading: a date and a time read apart could straddle midnight
    // and show a moment a day away from the real one.
    RunStamp stamp;
    stamp.seconds = clock_source();
    format_local(stamp.date, stamp.seconds, "%m/%d/%y");
    format_local(stamp.time, stamp.seconds, "%H:%M:%S");
    return stamp;
}

std::uint32_t elapsed_seconds(const RunStamp& start, const RunStamp& end) {
    // Whole seconds on both platforms, so a plain difference; difftime would
    // import _difftime64, which Windows XP's C library lacks.
    const long long seconds = static_cast<long long>(end.seconds) - static_cast<long long>(start.seconds);
    return seconds > 0 ? static_cast<std::uint32_t>(seconds) : 0;
}

ElapsedTime split_elapsed(std::uint32_t seconds) {
    return {seconds / 86400, seconds % 86400 / 3600, seconds % 86400 % 3600 / 60, seconds % 60};
}
