// The result file on Linux where the new file cannot simply take the old
// one's name (another user's file, a closed directory, a second name): one
// run at a time, room first, nothing left behind. Run by root, the program
// runs as nobody (65534).
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "support/golden_session.hpp"

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

namespace {

const std::string earlier = "earlier results\r\n";
const std::string written_notice = "\b計算結果は、Prime.txt に書き出されています。\r\n";

// A root-owned directory of the test's own among the temporary files.
struct Scratch {
    fs::path path;
    Scratch(const std::string& name, mode_t mode)
        : path(fs::temp_directory_path() / (name + "-" + std::to_string(getpid()))) {
        fs::remove_all(path);
        fs::create_directory(path);
        chmod(path.c_str(), mode);
    }
    ~Scratch() { fs::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

void put(const std::string& path, const std::string& bytes, uid_t uid, mode_t mode) {
    std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_EQ(chown(path.c_str(), uid, uid), 0);
    chmod(path.c_str(), mode);
}

std::string owner_of(const std::string& path) {
    struct stat st{};
    lstat(path.c_str(), &st);
    std::ostringstream text;
    text << st.st_uid << ":" << st.st_gid << " " << std::oct << (st.st_mode & 07777);
    return text.str();
}

ProgramSetup as_nobody_in(const Scratch& dir, const GoldenSession* s = nullptr) {
    ProgramSetup setup;
    if (s != nullptr) {
        setup.args = s->args;
        setup.input = s->input;
    }
    setup.work_dir = dir.path.string();
    setup.as_nobody = true;
    return setup;
}

// Whether /proc/locks shows the process holding a whole-file lock, or
// (`waiting`) waiting for one.
bool flock_of(int pid, bool waiting) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, advisory, access;
        int owner = 0;
        fields >> number >> kind;
        const bool blocked = kind == "->";
        if (blocked) fields >> kind;
        fields >> advisory >> access >> owner;
        if (kind == "FLOCK" && owner == pid && blocked == waiting) return true;
    }
    return false;
}

#define SKIP_UNLESS_OTHER_USERS_RUN()                                                \
    do {                                                                             \
        if (const std::string why = why_other_users_cannot_run(); !why.empty()) \
            GTEST_SKIP() << why;                                                     \
    } while (false)

}  // namespace

TEST(ResultFileInPlace, TwoRunsAtOnceLeaveTheLaterOnesWholeResult) {
    // Nobody cannot give a new file root's ownership, so writes root's file
    // in place. The first run is stopped while it holds the old file; the
    // second, written in place by nobody or renamed by root, must wait for
    // it, and then leaves its own whole result.
    SKIP_UNLESS_OTHER_USERS_RUN();
    const GoldenSession second_session = load_golden("mode4-1-100");
    const Scratch dir("primesearch-two-runs", 0777);
    for (const bool second_as_nobody : {true, false}) {
        put(dir.file("Prime.txt"), earlier, 0, 0666);
        ProgramSetup first_setup = as_nobody_in(dir);
        first_setup.input = "4\n1\n100000000\n\n1\n";
        ProgramSetup second_setup = as_nobody_in(dir, &second_session);
        second_setup.as_nobody = second_as_nobody;
        StartedProgram first = start_program(first_setup);
        const bool locked = wait_while_running(first, [&first] { return flock_of(first.pid, false); });
        if (locked) pause_program(first);
        StartedProgram second = start_program(second_setup);
        const bool waited = locked && wait_while_running(second, [&second] { return flock_of(second.pid, true); });
        if (locked) resume_program(first);
        const ProgramRun first_done = finish_program(first);
        const ProgramRun second_done = finish_program(second);
        ASSERT_TRUE(locked) << "the first run was not seen holding the old file";
        ASSERT_TRUE(waited) << "the second run was not seen waiting for it";
        EXPECT_NE(first_done.out.find(written_notice), std::string::npos);
        EXPECT_EQ(mask_times(second_done.out), second_session.out);
        EXPECT_EQ(mask_times(second_done.result_file), second_session.file);
        EXPECT_EQ(second_done.work_files.size(), 1u);
        EXPECT_EQ(owner_of(dir.file("Prime.txt")), "0:0 666");
    }
}

TEST(ResultFileInPlace, AFullDiskLeavesTheOldFileAsItWas) {
    // 24 pages: room for the new file of mode 4 over 1..100000 (58349
    // bytes, 15 pages), not for a copy of it in the old file as well.
    SKIP_UNLESS_OTHER_USERS_RUN();
    const Scratch dir("primesearch-full", 0777);
    if (mount("tmpfs", dir.path.c_str(), "tmpfs", 0, "size=96k,mode=0777") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    const std::string old = "OLD RESULT\r\n";
    put(dir.file("Prime.txt"), old, 0, 0666);
    const GoldenSession refused = load_golden("mode4-large-refused");
    const ProgramRun run = expect_golden_run(refused, as_nobody_in(dir, &refused));
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", old}}));
    umount(dir.path.c_str());
}

TEST(ResultFileInPlace, AWritableFileInAClosedDirectoryGetsTheResult) {
    // The new file goes to the temporary directory, named or not, and
    // nothing of it stays there.
    SKIP_UNLESS_OTHER_USERS_RUN();
    const GoldenSession written = load_golden("mode4-1-100");
    const Scratch dir("primesearch-closed", 0755), tmp("primesearch-tmp", 01777);
    for (const bool named : {false, true}) {
        put(dir.file("Prime.txt"), earlier, 65534, 0644);
        ProgramSetup setup = as_nobody_in(dir, &written);
        setup.env = {"TMPDIR=" + tmp.path.string()};
        setup.without_unnamed_files = named;
        const ProgramRun run = expect_golden_run(written, setup);
        EXPECT_EQ(mask_times(run.result_file), written.file) << "named " << named;
        EXPECT_EQ(run.work_files.size(), 1u);
        EXPECT_TRUE(fs::is_empty(tmp.path)) << "named " << named;
        EXPECT_EQ(owner_of(dir.file("Prime.txt")), "65534:65534 644");
    }
}

TEST(ResultFileInPlace, AHardLinkedFileKeepsItsModeAndTheOtherNameItsContent) {
    // This name gets the new file, with what nobody may give it of the old
    // one: the permission bits, not root's ownership.
    SKIP_UNLESS_OTHER_USERS_RUN();
    const GoldenSession written = load_golden("mode4-1-100");
    const Scratch dir("primesearch-linked", 0777);
    put(dir.file("other.txt"), earlier, 0, 0666);
    fs::create_hard_link(dir.file("other.txt"), dir.file("Prime.txt"));
    const ProgramRun run = expect_golden_run(written, as_nobody_in(dir, &written));
    EXPECT_EQ(mask_times(run.result_file), written.file);
    EXPECT_EQ(run.work_files.at("other.txt"), earlier);
    EXPECT_EQ(owner_of(dir.file("Prime.txt")), "65534:65534 666");
    EXPECT_EQ(owner_of(dir.file("other.txt")), "0:0 666");
}
