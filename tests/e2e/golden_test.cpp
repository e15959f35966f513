// Every recorded session of tests/golden, run as it was recorded: standard
// output, standard error, the exit status and Prime.txt byte for byte, then
// once more with both streams in one pipe, where each erase-display
// sequence must land where it was written.
#include <gtest/gtest.h>

#include "support/golden_session.hpp"

namespace {

#ifdef _WIN32
const char* const this_platform = "windows";
#else
const char* const this_platform = "posix";
#endif

class Golden : public testing::TestWithParam<std::string> {};

TEST_P(Golden, Session) {
    const GoldenSession g = load_golden(GetParam());
    if (!g.platform.empty() && g.platform != this_platform) GTEST_SKIP() << "a " << g.platform << " session";
    ProgramSetup setup = golden_setup(g);
    const ProgramRun run = expect_golden_run(g, setup);
    switch (g.after) {
        case GoldenSession::After::written:
            EXPECT_TRUE(run.has_result_file);
            expect_same_bytes(mask_times(run.result_file), g.file, "Prime.txt");
            break;
        case GoldenSession::After::unchanged:
            EXPECT_EQ(run.work_files, (std::map<std::string, std::string>{
                                          {"Prime.txt", g.before == GoldenSession::Before::directory ? "<directory>"
                                                                                   : g.before_file}}));
            break;
        case GoldenSession::After::absent:
            EXPECT_TRUE(run.work_files.empty());
            break;
    }
    setup.merge_err = true;
    expect_golden_run(g, setup);
}

std::string test_name(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, Golden, testing::ValuesIn(golden_session_names()), test_name);

}  // namespace
