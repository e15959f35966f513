// Hostile input: very long lines, stray bytes, huge argument lists, and
// standard input ending at every byte of a session.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/session.hpp"
#include "support/console_capture.hpp"

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

TEST(StrayBytes, NulsLoneCarriageReturnsAndInvalidShiftJis) {
    Session expected;
    expected.menu("6").single({"7"}, 7).back().menu("", {"9"}).explanation(1).quit();
    // The same session typed with stray bytes the program must read the same way.
    const std::string input = std::string("6\0junk\n", 7) + "\r7\r\n\n9\x81\n\x81\n\n1\x85\xff\n";
    const ProgramRun run = run_with_input(input);
    EXPECT_EQ(run.out, expected.screen());
    EXPECT_EQ(run.status, 0);
}

TEST(CommandLine, TwentyThousandArgumentsAndAHundredKilobyteOne) {
#ifdef _WIN32
    GTEST_SKIP() << "a Windows command line holds at most 32767 characters";
#endif
    ProgramSetup setup;
    setup.args.assign(20000, "7");
    std::string expected;
    for (int i = 0; i < 20000; ++i) expected += crlf("7 は、素数です\n");
    // 10^99999 is a multiple of 2^32: the value wraps to 0, not a prime.
    std::string huge(100000, '0');
    huge[0] = '1';
    setup.args.push_back(huge);
    expected += huge + crlf(" は、素数ではありません終了します。!\n");
    const ProgramRun run = run_program(setup);
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.status, 1);
}

TEST(EndOfInput, AtEveryByteOfCompleteSessions) {
    // Single-byte answers, so that a cut inside a line gives the same line.
    std::vector<Session> sessions(3);
    sessions[0].menu("", {"8"}).explanation(0).menu("6").single({"x", "0", "9"}, 9).back().quit();
    sessions[1].menu("2").range_entry(2, {"9"}, 9, {"x", "2"}, 2).run(2, 2, 9).quit();
    sessions[2].menu("4").range_entry(4, {"5"}, 5, {"5"}, 5);
    sessions[2].menu("5").range_entry(5, {"1"}, 1, {"9"}, 9).run(5, 1, 9);
    sessions[2].menu("3").range_entry(3, {"9"}, 9, {"1"}, 1).run(3, 1, 9).quit();
    for (const Session& session : sessions) {
        const std::string& input = session.input();
        const std::string full = session.screen();
        std::size_t shown_before = 0;
        for (std::size_t cut = 0; cut <= input.size(); ++cut) {
            const ProgramRun run = run_with_input(input.substr(0, cut));
            ASSERT_FALSE(run.timed_out) << cut;
            ASSERT_EQ(run.status, 0) << cut;
            const std::string out = mask_times(run.out);
            ASSERT_EQ(out, full.substr(0, out.size())) << "cut after " << cut << " bytes";
            ASSERT_GE(out.size(), shown_before) << cut;
            shown_before = out.size();
            // Once the screen says the file was written, it is complete.
            if (out.find(shown(MSG_WRITTEN)) != std::string::npos) {
                ASSERT_EQ(mask_times(run.result_file), session.file()) << cut;
            }
        }
        EXPECT_EQ(shown_before, full.size());
    }
}

namespace {

void make_read_only(const std::string& dir) {
    const std::string path = dir + "/Prime.txt";
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fclose(f);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
}

void link_into_missing_directory(const std::string& dir) {
    std::filesystem::create_symlink("missing/Prime.txt", dir + "/Prime.txt");
}

void link_to_absent_file(const std::string& dir) {
    std::filesystem::create_symlink("target.txt", dir + "/Prime.txt");
}

Session mode4_run(bool written) {
    Session s;
    s.menu("4").range_entry(4, {"1"}, 1, {"100"}, 100).run(4, 1, 100, written).quit();
    return s;
}

}  // namespace

TEST(ResultFile, ReadOnlyFileIsReportedNotClaimed) {
    // Root writes read-only files, so root runs the program as nobody.
    const Session s = mode4_run(false);
    ProgramSetup setup = s.setup();
    setup.prepare = make_read_only;
    setup.as_nobody = true;
    const ProgramRun run = run_program(setup);
    if (run.status == 126 || run.status == 127) GTEST_SKIP() << "cannot run as another user here";
    EXPECT_EQ(mask_times(run.out), s.screen());
    EXPECT_EQ(run.result_file, "");
}

TEST(ResultFile, DanglingLinksAreRefusedAndNothingIsCreated) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    const Session failed = mode4_run(false);
    for (auto prepare : {link_to_absent_file, link_into_missing_directory}) {
        ProgramSetup setup = failed.setup();
        setup.prepare = prepare;
        const ProgramRun run = run_program(setup);
        EXPECT_EQ(mask_times(run.out), failed.screen());
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.work_files, (std::map<std::string, std::string>{{"Prime.txt", "<link>"}}));
    }
}
