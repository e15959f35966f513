// The program on a POSIX system's own terms: a 64 KiB stack, non-blocking
// standard streams, a run out of file descriptors.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "e2e/result_file_cases.hpp"
#include "e2e/stamp_hour.hpp"

TEST(Platform, EveryModeWorksOnA64KiBStack) {
    for (const char* name : {"mode2-1-100", "mode3-1-10", "mode4-second-run", "mode5-whole-span",
                             "single-2000000000"}) {
        const GoldenSession s = load_golden(name);
        ProgramSetup setup = plain(s);
        setup.limits.stack = 64 << 10;
        expect_golden_run(s, setup);
    }
}

TEST(Streams, NonBlockingOutputToASlowReaderLosesNothing) {
    // Mode 3 over 1..300000, read at once and read slowly.
    ProgramSetup setup;
    setup.input = "3\n1\n300000\n\n1\n";
    const ProgramRun at_once = run_program(setup);
    setup.pipes = Pipes::slow_reader;
    const ProgramRun run = run_program(setup);
    EXPECT_GT(run.out.size(), 150000u);
    EXPECT_EQ(mask_times(run.out), mask_times(at_once.out));
    EXPECT_EQ(run.status, 0);
}

TEST(Streams, NonBlockingInputThatArrivesLateIsWaitedFor) {
    const GoldenSession s = load_golden("single-2147483648");
    ProgramSetup setup = plain(s);
    setup.pipes = Pipes::late_input;
    setup.input_late_ms = 300;
    expect_golden_run(s, setup);
}

TEST(Clock, StampsKeepTheLocalZoneWhenDescriptorsRunShort) {
    const GoldenSession written = written_run();
    ProgramSetup setup = plain(written);
    setup.env = {"TZ=Asia/Tokyo"};
    setup.limits.descriptors = 4;
    const std::time_t before = std::time(nullptr);
    const ProgramRun run = expect_golden_run(written, setup);
    const std::time_t after = std::time(nullptr);
    const std::string hour = first_stamp_hour(run.out);
    EXPECT_TRUE(hour == tokyo_hour(before) || hour == tokyo_hour(after)) << hour;
    EXPECT_EQ(mask_times(run.result_file), written.file);
}
