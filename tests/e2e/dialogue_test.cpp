// The interactive program driven through scripted standard input: menu,
// explanation screen, single-number check and number entry.
#include <gtest/gtest.h>

#include "e2e/session.hpp"
#include "support/console_capture.hpp"

TEST(Menu, QuitAtOnce) {
    Session s;
    s.quit();
    expect_session(s);
    EXPECT_EQ(s.errors().size(), 5u * 4);  // loop, menu, choice, then two on quitting
}

TEST(Menu, RejectedChoicesAndTheExplanationCount) {
    Session s;
    s.menu("", {"7", "99", "-2", "600"}).explanation(0);
    s.menu("6").single({"2"}, 2).back();
    s.menu("6").single({"2000000000"}, 2000000000).back();
    s.menu("2").range_entry(2, {"7"}, 7, {"7"}, 7);  // equal ends still count
    s.menu("0").explanation(3);
    s.quit();
    expect_session(s);
}

TEST(SingleNumber, EveryKindOfRejectedEntryThenAValidOne) {
    Session s;
    s.menu("6").single({"", "0", "-5", "abc", "0.5", "1e999", "2000000001", "12345678901",
                        " 2000000000", "2000000000\r\r", "１２", "1e3"},
                       1);
    s.back().menu("6").single({"07"}, 7).back().quit();
    expect_session(s);
}

TEST(SingleNumber, CompositeReportShowsTheFactorization) {
    Session s;
    s.menu("6").single({"1"}, 1).back().menu("6").single({"1024"}, 1024).back().quit();
    expect_session(s);
    EXPECT_NE(s.screen().find(crlf("\n1024 は、素数ではありません。\n\n☆素因数分解は☆\n 1 * 2 * 2 * 2 "
                                   "* 2 * 2 * 2 * 2 * 2 * 2 * 2\n です。\n")),
              std::string::npos);
}

TEST(Output, ClearSequencesLandWhereTheyWereWritten) {
    // stdout and stderr share one pipe, as with 2>&1.
    Session s;
    s.menu("", {"9"}).explanation(0).menu("6").single({"x", "13"}, 13).back();
    s.menu("3").range_entry(3, {"1"}, 1, {"30"}, 30).run(3, 1, 30).quit();
    const ProgramRun run = run_program(s.setup(true));
    EXPECT_EQ(mask_times(run.out), s.merged());
    EXPECT_EQ(run.status, 0);
}

TEST(EndOfInput, CtrlZThenEnterEndsTheProgramQuietlyOnWindows) {
    Session s;
    s.menu("6").single({"12"}, 12);
    ProgramSetup setup = s.setup();
    // Ctrl+Z then Enter at the pause after the report, then a choice to quit.
    setup.input.back() = '\x1a';
    setup.input += "\n1\n";
#ifndef _WIN32
    s.back().quit();  // elsewhere 0x1A is an ordinary byte of the line
#endif
    expect_session(s, setup);
}
