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

// A clock that steps one second per reading, from 23:59:58 UTC on 12/31/2026.
std::time_t fake_now = 0;
std::time_t stepping_clock() { return fake_now++; }

}  // namespace

TEST(RunStamp, CrossesMidnightAndTheYear) {
    putenv(const_cast<char*>("TZ=UTC0"));
    tzset();
    fake_now = 1798761598;  // 2026-12-31 23:59:58 UTC
    set_clock_source(stepping_clock);
    const RunStamp start = take_stamp();  // seconds :58, date at :59, time at :00
    const RunStamp end = take_stamp();    // seconds :01
    set_clock_source(nullptr);
    EXPECT_EQ(std::string(start.date), "12/31/26");
    EXPECT_EQ(std::string(start.time), "00:00:00");
    EXPECT_EQ(std::string(end.date), "01/01/27");
    EXPECT_EQ(std::string(end.time), "00:00:03");
    EXPECT_EQ(elapsed_seconds(start, end), 3u);
    EXPECT_EQ(elapsed_seconds(end, start), 0u);  // a clock set back
}
