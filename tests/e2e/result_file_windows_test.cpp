// The result file on Windows: killed runs, programs that hold the old file,
// two runs written in place at once, a hidden old file.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "e2e/result_file_cases.hpp"

namespace fs = std::filesystem;

namespace {

// A working directory of the test's own holding the earlier result; CTest
// runs the tests that use one side by side.
struct HeldDirectory {
    fs::path path = fs::temp_directory_path() / ("primesearch-held-" + std::to_string(GetCurrentProcessId()));
    HeldDirectory() {
        fs::remove_all(path);
        fs::create_directory(path);
        put_file((path / "Prime.txt").string(), earlier);
    }
    ~HeldDirectory() { fs::remove_all(path); }
    std::wstring result() const { return (path / "Prime.txt").wstring(); }
};

// The old file held open by this process, as another program would.
HANDLE hold(const HeldDirectory& dir, DWORD sharing) {
    return CreateFileW(dir.result().c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TEST(ResultFile, AKilledRunLeavesNothingButTheEarlierFile) {
    const HeldDirectory dir;
    ProgramSetup setup;
    setup.work_dir = dir.path.string();
    setup.input = "4\n1\n2000000000\n\n1\n";
    setup.signal = 9;  // here: TerminateProcess
    const ProgramRun run = run_program(setup);
    EXPECT_EQ(run.signal, 9);
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
}

// The session run while this process holds the old file open with `sharing`.
ProgramRun run_while_held(const GoldenSession& s, DWORD sharing) {
    const HeldDirectory dir;
    const HANDLE holder = hold(dir, sharing);
    EXPECT_NE(holder, INVALID_HANDLE_VALUE);
    ProgramSetup setup = plain(s);
    setup.work_dir = dir.path.string();
    const ProgramRun run = expect_golden_run(s, setup);
    CloseHandle(holder);
    return run;
}

TEST(ResultFile, AFileHeldByAProgramThatSharesWritingGetsTheResult) {
    const GoldenSession written = load_golden("mode4-1-100");
    for (const DWORD sharing : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE},
                                DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        const ProgramRun run = run_while_held(written, sharing);
        EXPECT_EQ(mask_times(run.result_file), written.file) << "sharing " << sharing;
        EXPECT_EQ(run.work_files.size(), 1u);
    }
}

TEST(ResultFile, AFileHeldWithoutWriteSharingIsReportedAndKept) {
    const ProgramRun run = run_while_held(load_golden("mode4-refused"), FILE_SHARE_READ);
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
}

TEST(ResultFile, AHiddenFileStaysHidden) {
    const GoldenSession written = load_golden("mode4-1-100");
    const HeldDirectory dir;
    SetFileAttributesW(dir.result().c_str(), FILE_ATTRIBUTE_HIDDEN);
    ProgramSetup setup = plain(written);
    setup.work_dir = dir.path.string();
    const ProgramRun run = expect_golden_run(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file);
    EXPECT_EQ(run.work_files.size(), 1u);
    const DWORD attributes = GetFileAttributesW(dir.result().c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
}

TEST(ResultFile, TwoRunsWrittenInPlaceAtOnceLeaveTheLaterOnesWholeResult) {
    // A holder that shares writing, not deletion, keeps either run from
    // renaming: both write in place. The first is stopped while it does;
    // the second starts and writes its new file meanwhile, then, once the
    // first goes on, writes its own whole result over the first's.
    const GoldenSession second_session = load_golden("mode4-1-100");
    const HeldDirectory dir;
    const HANDLE holder = hold(dir, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ProgramSetup first_setup;
    first_setup.work_dir = dir.path.string();
    first_setup.input = "4\n1\n100000000\n\n1\n";
    ProgramSetup second_setup = plain(second_session);
    second_setup.work_dir = first_setup.work_dir;
    StartedProgram first = start_program(first_setup);
    const bool rewriting = wait_until_rewriting(first, earlier);
    if (rewriting) pause_program(first);
    StartedProgram second = start_program(second_setup);
    const bool overlapped = rewriting && wait_until_writing(second);
    if (rewriting) resume_program(first);
    const ProgramRun first_done = finish_program(first);
    const ProgramRun second_done = finish_program(second);
    CloseHandle(holder);
    ASSERT_TRUE(rewriting) << "the first run was not seen writing the old file";
    ASSERT_TRUE(overlapped) << "the second run was not seen writing its new file";
    EXPECT_NE(first_done.out.find(written_notice), std::string::npos);
    EXPECT_EQ(mask_times(second_done.out), second_session.out);
    EXPECT_EQ(mask_times(second_done.result_file), second_session.file);
    EXPECT_EQ(second_done.work_files.size(), 1u);
}
