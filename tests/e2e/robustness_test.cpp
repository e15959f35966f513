// Hostile input: very long lines, and standard input ending at every byte
// of a session.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/golden_session.hpp"

namespace {

ProgramRun run_with_input(const std::string& input) {
    ProgramSetup setup;
    setup.input = input;
    setup.timeout_seconds = 60;
    return run_program(setup);
}

// Runs the session once with `long_line` at a given line of its input, once
// with that line cut to 255 bytes: the program must not tell them apart.
void expect_cut_to_255(const std::vector<std::string>& lines, std::size_t at,
                       const std::string& long_line) {
    std::string with_long, with_cut;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        with_long += (i == at ? long_line : lines[i]) + "\n";
        with_cut += (i == at ? long_line.substr(0, 255) : lines[i]) + "\n";
    }
    const ProgramRun a = run_with_input(with_long);
    const ProgramRun b = run_with_input(with_cut);
    EXPECT_FALSE(a.timed_out);
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(mask_times(a.out), mask_times(b.out)) << "line " << at << ", " << long_line.size();
    EXPECT_EQ(a.err, b.err);
    EXPECT_EQ(mask_times(a.result_file), mask_times(b.result_file));
}

}  // namespace

TEST(LongLines, BehaveAsTheirFirst255BytesAtEveryPrompt) {
    // Menu, explanation pause, mode 6 prompt and its pause, both range
    // prompts, a rejection pause and the pause after a run.
    const std::vector<std::string> lines = {"", "", "6", "7", "", "2", "x", "", "10", "30", "", "1"};
    for (const std::size_t size : {std::size_t{256}, std::size_t{1} << 20, std::size_t{16} << 20}) {
        std::string digits(size, '0');
        digits[0] = '5';
        for (std::size_t at = 0; at < lines.size() - 1; ++at) expect_cut_to_255(lines, at, digits);
    }
    // A line that is all spaces but for its tail: the cut drops the tail.
    expect_cut_to_255(lines, 0, std::string(300, ' ') + "1");
}

TEST(EndOfInput, AtEveryByteOfCompleteSessions) {
    // Sessions typed in one-byte answers, so that a cut inside a line gives
    // the same line.
    const std::string written = "\b計算結果は、Prime.txt に書き出されています。";
    for (const char* name : {"short-answers-menu-and-single", "short-answers-mode2",
                             "short-answers-modes-4-5-3"}) {
        const GoldenSession session = load_golden(name);
        const std::string& input = session.input;
        std::size_t shown_before = 0;
        for (std::size_t cut = 0; cut <= input.size(); ++cut) {
            const ProgramRun run = run_with_input(input.substr(0, cut));
            ASSERT_FALSE(run.timed_out) << cut;
            ASSERT_EQ(run.status, 0) << cut;
            const std::string out = mask_times(run.out);
            ASSERT_EQ(out, session.out.substr(0, out.size())) << name << ", cut after " << cut << " bytes";
            ASSERT_GE(out.size(), shown_before) << cut;
            shown_before = out.size();
            // Once the screen says the file was written, it is complete.
            if (out.find(written) != std::string::npos) {
                ASSERT_EQ(mask_times(run.result_file), session.file) << cut;
            }
        }
        EXPECT_EQ(shown_before, session.out.size());
    }
}

TEST(Streams, AReaderThatPausesCostsNoProcessorTime) {
    // Mode 3 over 1..3e7 lists on two threads; its reader stops reading
    // once the pipe is full. Both threads then sleep: over a second the
    // program uses a small fraction of it (a spinning thread used all).
    ProgramSetup setup;
    setup.input = "3\n1\n30000000\n\n1\n";
    setup.pipes = Pipes::paused_reader;
    StartedProgram started = start_program(setup);
    const bool waiting = wait_until_output_waits(started, 4096);
    const double before = processor_seconds(started);
    // A span of time to measure over, not a state to reach.
    if (waiting) std::this_thread::sleep_for(std::chrono::seconds(1));
    const double used = processor_seconds(started) - before;
    const ProgramRun run = finish_program(started);
    ASSERT_TRUE(waiting) << "the program ended before its output filled the pipe";
    EXPECT_LT(used, 0.1);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("『 1857859個 』"), std::string::npos);  // primesieve's count
}
