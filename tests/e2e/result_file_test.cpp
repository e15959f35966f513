// The result file against what stands in its way on every platform: a
// read-only file, a second name, and a run that overlaps another. The
// platforms' own cases are in result_file_linux_test.cpp and
// result_file_windows_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/result_file_cases.hpp"

namespace fs = std::filesystem;

TEST(ResultFile, ReadOnlyFileIsReportedNotClaimed) {
    // Root writes read-only files, so root runs the program as nobody.
    if (const std::string why = why_other_users_cannot_run(); writes_read_only_files() && !why.empty())
        GTEST_SKIP() << why;
    const GoldenSession failed = refused_run();
    ProgramSetup setup = plain(failed);
    setup.prepare = [](const std::string& dir) {
        put_file(dir + "/Prime.txt", "");
        fs::permissions(dir + "/Prime.txt", fs::perms::owner_read);
    };
    setup.as.nobody = true;
    const ProgramRun run = run_program(setup);
    EXPECT_EQ(mask_times(run.out), failed.out);
    EXPECT_EQ(run.result_file, "");
}

TEST(ResultFile, AHardLinkedFileIsReplacedAndTheOtherNameKeepsItsContent) {
    const GoldenSession written = written_run();
    ProgramSetup setup = plain(written);
    setup.prepare = [](const std::string& dir) {
        put_file(dir + "/other.txt", "theirs");
        fs::create_hard_link(dir + "/other.txt", dir + "/Prime.txt");
    };
    ProgramRun run = expect_golden_run(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file);
    EXPECT_EQ(run.work_files.at("other.txt"), "theirs");
    EXPECT_EQ(run.work_files.size(), 2u);
}

TEST(ResultFile, OverlappingRunsLeaveOneWholeResult) {
    // A long run is stopped once it is writing its new file; a short one
    // starts and ends meanwhile; then the long one goes on, and its whole
    // result replaces the short one's.
    const fs::path shared_dir = fs::temp_directory_path() / "primesearch-shared";
    fs::remove_all(shared_dir);
    fs::create_directory(shared_dir);
    ProgramSetup long_run;
    long_run.input = "4\n1\n300000000\n\n1\n";
    long_run.work_dir = shared_dir.string();
    const GoldenSession short_session = written_run();
    ProgramSetup short_run = plain(short_session);
    short_run.work_dir = long_run.work_dir;
    StartedProgram first = start_program(long_run);
    const bool overlapped = wait_until_writing(first);
    if (overlapped) pause_program(first);
    const ProgramRun short_done = run_program(short_run);
    if (overlapped) resume_program(first);
    const ProgramRun long_done = finish_program(first);
    ASSERT_TRUE(overlapped) << "the long run ended before it was seen writing";
    EXPECT_EQ(mask_times(short_done.out), short_session.out);
    EXPECT_EQ(mask_times(short_done.result_file), short_session.file);
    EXPECT_NE(long_done.out.find(written_notice), std::string::npos);
    std::string names;
    for (const auto& entry : long_done.work_files) names += " " + entry.first;
    EXPECT_EQ(names, " Prime.txt");
    const std::string& file = long_done.result_file;
    EXPECT_EQ(file.rfind("〓〓〓〓〓 1 から 300000000 までの 素数は以下の通りです。 〓〓〓〓〓\r\n→\r\n", 0), 0u);
    EXPECT_NE(file.find("『 16252325個 』"), std::string::npos);  // primesieve's count
    EXPECT_EQ(file.find("〓〓〓〓〓 1 から 100 までの"), std::string::npos);
    fs::remove_all(shared_dir);
}
