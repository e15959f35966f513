// The program on Windows' own terms: the C library's form of the time zone.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "e2e/result_file_cases.hpp"
#include "e2e/stamp_hour.hpp"

TEST(Clock, ATimeZoneInAnotherFormIsIgnoredOnWindows) {
    // MSYS and Cygwin shells export TZ=Asia/Tokyo, which the C library
    // would read as offset 0 with daylight saving; its own form still counts.
    const GoldenSession written = written_run();
    const auto stamp_hour = [&written](std::vector<std::string> env) {
        ProgramSetup setup = plain(written);
        setup.env = std::move(env);
        return first_stamp_hour(expect_golden_run(written, setup).out);
    };
    const std::time_t before = std::time(nullptr);
    const std::string system_hour = stamp_hour({});
    EXPECT_EQ(stamp_hour({"TZ=Asia/Tokyo"}), system_hour);
    const std::string tokyo = stamp_hour({"TZ=JST-9"});
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(tokyo == tokyo_hour(before) || tokyo == tokyo_hour(after)) << tokyo;
}
