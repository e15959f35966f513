// The program started with arguments: one verdict per argument, status 1.
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

TEST(CommandLine, CompositeArgumentGetsItsFactorization) {
    const ProgramRun run = check({"12"});
    EXPECT_EQ(run.out, crlf("12 は、素数ではありません" + factor_block(" * 2 * 2 * 3") + done));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.has_result_file);
}

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
