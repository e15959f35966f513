// The result file on Windows against what other programs do to it: a run
// that is killed, an old file that a viewer or a scanner holds open, and a
// hidden old file.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "e2e/session.hpp"

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

namespace {

const std::string earlier = "earlier results\r\n";

Session mode4_to_100(bool written) {
    Session s;
    s.menu("4").range_entry(4, {"1"}, 1, {"100"}, 100).run(4, 1, 100, written).quit();
    return s;
}

// A working directory of the test's own holding the earlier result.
struct Directory {
    fs::path path = fs::temp_directory_path() / "primesearch-held";
    Directory() {
        fs::remove_all(path);
        fs::create_directory(path);
        std::ofstream(path / "Prime.txt", std::ios::binary) << earlier;
    }
    ~Directory() { fs::remove_all(path); }
    std::wstring result() const { return (path / "Prime.txt").wstring(); }
};

// The old file held open by this process, as another program would.
HANDLE hold(const Directory& dir, DWORD sharing) {
    return CreateFileW(dir.result().c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TEST(ResultFile, AKilledRunLeavesNothingButTheEarlierFile) {
    const Directory dir;
    ProgramSetup setup;
    setup.work_dir = dir.path.string();
    setup.input = "4\n1\n2000000000\n\n1\n";
    setup.signal = 9;  // here: TerminateProcess
    setup.signal_after_ms = 500;
    const ProgramRun run = run_program(setup);
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
}

TEST(ResultFile, AFileHeldByAProgramThatSharesWritingGetsTheResult) {
    const Session written = mode4_to_100(true);
    for (const DWORD sharing : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE},
                                DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        const Directory dir;
        const HANDLE holder = hold(dir, sharing);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        ProgramSetup setup = written.setup();
        setup.work_dir = dir.path.string();
        const ProgramRun run = expect_session(written, setup);
        CloseHandle(holder);
        EXPECT_EQ(mask_times(run.result_file), written.file()) << "sharing " << sharing;
        EXPECT_EQ(run.work_files.size(), 1u);
    }
}

TEST(ResultFile, AFileHeldWithoutWriteSharingIsReportedAndKept) {
    const Session failed = mode4_to_100(false);
    const Directory dir;
    const HANDLE holder = hold(dir, FILE_SHARE_READ);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ProgramSetup setup = failed.setup();
    setup.work_dir = dir.path.string();
    const ProgramRun run = expect_session(failed, setup);
    CloseHandle(holder);
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
}

TEST(ResultFile, AHiddenFileStaysHidden) {
    const Session written = mode4_to_100(true);
    const Directory dir;
    SetFileAttributesW(dir.result().c_str(), FILE_ATTRIBUTE_HIDDEN);
    ProgramSetup setup = written.setup();
    setup.work_dir = dir.path.string();
    const ProgramRun run = expect_session(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file());
    EXPECT_EQ(run.work_files.size(), 1u);
    const DWORD attributes = GetFileAttributesW(dir.result().c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
}
#endif
