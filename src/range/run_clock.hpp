// The stamps taken at the start and end of a run, and the elapsed time.
#pragma once

#include <cstdint>
#include <ctime>

struct RunStamp {
    std::time_t seconds;  // calendar time
    char date[9];         // local MM/DD/YY
    char time[9];         // local HH:MM:SS
};

struct ElapsedTime {
    std::uint32_t days, hours, minutes, seconds;
};

// Where stamps read the calendar time; std::time unless a test says otherwise.
using ClockSource = std::time_t (*)();
void set_clock_source(ClockSource source);

// Reads the clock once; the local date and time of day are of that reading.
RunStamp take_stamp();

// Whole seconds from start to end; a clock set back counts as no time.
std::uint32_t elapsed_seconds(const RunStamp& start, const RunStamp& end);

ElapsedTime split_elapsed(std::uint32_t seconds);
