// The program started with arguments: one verdict per argument, status 1.
// (The recorded sessions hold 12, 1 7, 007, abc, -5 and 4294967295.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/console_capture.hpp"
#include "support/program_run.hpp"

namespace {

ProgramRun check(std::vector<std::string> args) {
    ProgramSetup setup;
    setup.args = std::move(args);
    return run_program(setup);
}

std::string factor_block(const std::string& factors) {
    return "\n\n☆素因数分解は☆\n 1" + factors + "\n です。\n";
}

const std::string done = "終了します。!\n";

}  // namespace

TEST(CommandLine, VerdictsShowTheArgumentAsTyped) {
    const ProgramRun run = check({"1", "7", "007", "abc", "-5", "0", "  -12x"});
    EXPECT_EQ(run.out, crlf("1 は、素数ではありません7 は、素数です\n"
                            "007 は、素数です\n"
                            "abc は、素数ではありません"
                            "-5 は、素数です\n"
                            "0 は、素数ではありません"
                            "  -12x は、素数ではありません" +
                            factor_block(" * 2 * 2 * 23 * 46684427") + done));
    EXPECT_EQ(run.status, 1);
}

TEST(CommandLine, ValuesAtTheTopOf32Bits) {
    std::string thirty_one_twos;
    for (int i = 0; i < 31; ++i) thirty_one_twos += " * 2";
    const ProgramRun run = check({"4294967295", "2147483648", "4292870399", "4294967291"});
    EXPECT_EQ(run.out, crlf("4294967295 は、素数ではありません" +
                            factor_block(" * 3 * 5 * 17 * 257 * 65537") +
                            "2147483648 は、素数ではありません" + factor_block(thirty_one_twos) +
                            "4292870399 は、素数ではありません" + factor_block(" * 65519 * 65521") +
                            "4294967291 は、素数です\n" + done));
    EXPECT_EQ(run.status, 1);
}

TEST(CommandLine, WithoutArgumentsAndNoInputEndsQuietly) {
    const ProgramRun run = check({});
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
