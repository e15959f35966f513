// Run stamps and the split of an elapsed time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "range/run_clock.hpp"

TEST(SplitElapsed, DaysHoursMinutesSeconds) {
    const ElapsedTime a = split_elapsed(86400 + 3600 + 60 + 1);
    EXPECT_EQ(a.days, 1u);
    EXPECT_EQ(a.hours, 1u);
    EXPECT_EQ(a.minutes, 1u);
    EXPECT_EQ(a.seconds, 1u);
    const ElapsedTime b = split_elapsed(59);
    EXPECT_EQ(b.days + b.hours + b.minutes, 0u);
    EXPECT_EQ(b.seconds, 59u);
    const ElapsedTime c = split_elapsed(4294967295u);
    EXPECT_EQ(c.days, 49710u);
    EXPECT_EQ(c.hours, 6u);
    EXPECT_EQ(c.minutes, 28u);
    EXPECT_EQ(c.seconds, 15u);
}

namespace {

// A clock that steps one second per reading.
std::time_t fake_now = 0;
std::time_t stepping_clock() { return fake_now++; }

}  // namespace

// A stamp's date and time are of one moment, even one second before
// midnight on the last day of the year.
TEST(RunStamp, DateAndTimeAreOfOneMomentAcrossMidnight) {
    putenv(const_cast<char*>("TZ=UTC0"));
    tzset();
    fake_now = 1798761599;  // 2026-12-31 23:59:59 UTC
    set_clock_source(stepping_clock);
    const RunStamp start = take_stamp();
    const RunStamp end = take_stamp();
    set_clock_source(nullptr);
    EXPECT_EQ(std::string(start.date) + " " + start.time, "12/31/26 23:59:59");
    EXPECT_EQ(std::string(end.date) + " " + end.time, "01/01/27 00:00:00");
    EXPECT_EQ(elapsed_seconds(start, end), 1u);
    EXPECT_EQ(elapsed_seconds(end, start), 0u);  // a clock set back
}
