// Range runs of modes 2 to 5 and the result file, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/session.hpp"
#include "support/console_capture.hpp"
#include "support/reference_primes.hpp"

namespace {

// One range run in one mode, typed as `first` then `second`.
Session one_run(int mode, Number first, Number second) {
    Session s;
    s.menu(std::to_string(mode))
        .range_entry(mode, {std::to_string(first)}, first, {std::to_string(second)}, second)
        .run(mode, std::min(first, second), std::max(first, second));
    s.quit();
    return s;
}

}  // namespace

TEST(RangeRun, TypicalRequestOfMode2) {
    const Session s = one_run(2, 10, 30);
    const ProgramRun run = expect_session(s);
    // The list as the user reads it, and the file with CR LF line ends.
    EXPECT_NE(run.out.find(" 11 13 17 19 23 29\r\n...計算終了しました。"), std::string::npos);
    EXPECT_NE(run.out.find("平均して 3.50 ごと"), std::string::npos);
    EXPECT_EQ(run.result_file.substr(0, run.result_file.find("■")),
              crlf("〓〓〓〓〓 10 から 30 までの 素数は以下の通りです。 〓〓〓〓〓\n→\n"
                   " 11 13 17 19 23 29\n\n"));
}

TEST(RangeRun, NoPrimesInEveryMode) {
    for (int mode = 2; mode <= 5; ++mode) {
        const ProgramRun run = expect_session(one_run(mode, 24, 28));
        if (mode == 2 || mode == 4) {
            EXPECT_EQ(run.result_file, crlf("〓〓〓〓〓 24 から 28 までの 素数は以下の通りです。 "
                                            "〓〓〓〓〓\n→\n24 から 28 までには、素数が一つもありませんでした。"));
        }
    }
}

TEST(RangeRun, ListsBreakOnScreenAndFileLines) {
    for (int mode = 2; mode <= 4; ++mode) {
        expect_session(one_run(mode, 1, 100));
        expect_session(one_run(mode, 29, 1));  // reverse order; the 10th prime ends a line
        expect_session(one_run(mode, 1, 13));  // the 6th prime ends a screen line
        expect_session(one_run(mode, 2, 3));
    }
    expect_session(one_run(5, 1, 2));
}

TEST(RangeRun, AverageIsRoundedTwiceAndToFloatInListingModes) {
    const std::pair<Number, std::string> cases[] = {
        {21, "2.63"}, {132, "4.13"}, {173, "4.32"}, {177, "4.43"}};
    for (const auto& [hi, listed] : cases) {
        const ProgramRun run = expect_session(one_run(4, 1, hi));
        EXPECT_NE(run.out.find("平均して " + listed + " ごと"), std::string::npos) << hi;
    }
    const std::pair<Number, std::string> counted[] = {{21, "2.63"}, {173, "4.33"}, {177, "4.42"}};
    for (const auto& [hi, shown_average] : counted) {
        const ProgramRun run = expect_session(one_run(5, 1, hi));
        EXPECT_NE(run.out.find("平均して " + shown_average + " ごと"), std::string::npos) << hi;
    }
}

TEST(RangeRun, ARangeOf409NumbersWith40PrimesAverages10_23) {
    // 6984 to 7392 holds 40 primes.
    ASSERT_EQ(primes_by_trial_division(6984, 7392).size(), 40u);
    for (int mode : {3, 5}) {
        const ProgramRun run = expect_session(one_run(mode, 6984, 7392));
        EXPECT_NE(run.out.find("平均して 10.23 ごと"), std::string::npos);
    }
}

TEST(RangeRun, EqualEndsLeaveTheResultFileAlone) {
    for (int mode = 2; mode <= 5; ++mode) {
        Session s;
        s.menu(std::to_string(mode)).range_entry(mode, {"7"}, 7, {"7"}, 7);
        s.menu(std::to_string(mode)).range_entry(mode, {"9"}, 9, {"9"}, 9).quit();
        ProgramSetup setup = s.setup();
        setup.preset_result_file = true;
        setup.result_file = "earlier results";
        EXPECT_EQ(expect_session(s, setup).result_file, "earlier results");
    }
}

TEST(RangeRun, RejectedEntriesKeepTheFirstNumber) {
    Session s;
    s.menu("3").range_entry(3, {"x", "0.5", "100"}, 100, {"0", "2000000001", "10"}, 10);
    s.run(3, 10, 100).quit();
    expect_session(s);
}

TEST(RangeRun, SecondRunReplacesTheFile) {
    Session s;
    s.menu("4").range_entry(4, {"1"}, 1, {"1000"}, 1000).run(4, 1, 1000);
    s.menu("4").range_entry(4, {"50"}, 50, {"60"}, 60).run(4, 50, 60);
    s.menu("5").range_entry(5, {"1"}, 1, {"10"}, 10).run(5, 1, 10).quit();
    expect_session(s);
}

namespace {

void make_directory(const std::string& dir) {
    std::filesystem::create_directory(dir + "/Prime.txt");
}

void link_to_full_device(const std::string& dir) {
    std::filesystem::create_symlink("/dev/full", dir + "/Prime.txt");
}

void expect_write_failure(void (*prepare)(const std::string&)) {
    for (int mode : {2, 4}) {
        Session s;
        s.menu(std::to_string(mode)).range_entry(mode, {"1"}, 1, {"5000"}, 5000);
        s.run(mode, 1, 5000, false).quit();
        ProgramSetup setup = s.setup();
        setup.prepare = prepare;
        expect_session(s, setup);
    }
}

}  // namespace

TEST(ResultFile, UnopenableFileIsReportedNotClaimed) { expect_write_failure(make_directory); }

TEST(ResultFile, FailedWritesAreReportedNotClaimed) {
#ifdef _WIN32
    GTEST_SKIP() << "no /dev/full on Windows";
#endif
    std::error_code missing;
    if (!std::filesystem::exists("/dev/full", missing)) GTEST_SKIP() << "no /dev/full here";
    expect_write_failure(link_to_full_device);
}

TEST(RangeRun, CountingTheWholeSpan) {
    Session s;
    s.menu("5").range_entry(5, {"1"}, 1, {"2000000000"}, 2000000000);
    s.shows("").clears().shows(shown(MSG_COUNTING)).shows(shown(MSG_DONE));
    s.shows(crlf("■   ∈ 1 から2000000000 の間の ∋ 素数は『 98222287個 』あります.\n"
                 "□【 区間幅 1999999999 】この区間に平均して 20.36 ごとに素数が存在します。\n\n"));
    s.shows(crlf("★開始日時 MM/DD/YY  HH:MM:SS \n☆終了日時 MM/DD/YY  HH:MM:SS 、 "
                 "τ(経過時間)=【D日 H時間M分S秒】"));
    s.shows(shown(MSG_BACK_TO_MENU)).type("").back().quit();
    expect_session(s);
}
