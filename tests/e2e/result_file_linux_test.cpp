// The result file on Linux: what stands at its name (links, devices,
// directories), permissions, owners, ACLs and extended attributes kept for
// whoever runs it, killed runs, a file-size limit, a large earlier file, a
// file system without unnamed files; and where the new file cannot simply
// take the old one's name (another user's file, a closed directory, a second
// name): one run at a time, room first, nothing left behind. Run by root,
// the program runs as other users (1001, 1002, nobody).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/result_file_cases.hpp"

namespace fs = std::filesystem;

namespace {

ProgramSetup with_earlier_file(const ProgramSetup& plain_setup) {
    ProgramSetup setup = plain_setup;
    setup.result_file = earlier;
    return setup;
}

void link_to_other_file(const std::string& dir) {
    put_file(dir + "/other.txt", "theirs");
    fs::create_symlink("other.txt", dir + "/Prime.txt");
}
void directory(const std::string& dir) { fs::create_directory(dir + "/Prime.txt"); }
void fifo(const std::string& dir) { mkfifo((dir + "/Prime.txt").c_str(), 0644); }
void socket_file(const std::string& dir) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = dir + "/Prime.txt";
    if (path.size() >= sizeof address.sun_path) return;
    path.copy(address.sun_path, path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    close(fd);
}
void group_readable(const std::string& dir) {
    put_file(dir + "/Prime.txt", earlier);
    chmod((dir + "/Prime.txt").c_str(), 0640);
}


struct Owner {
    unsigned uid, gid, mode;
    bool operator==(const Owner&) const = default;
};

void PrintTo(const Owner& o, std::ostream* os) {
    *os << o.uid << ":" << o.gid << " " << std::oct << o.mode << std::dec;
}

Owner owner_of(const fs::path& path) {
    struct stat st{};
    lstat(path.c_str(), &st);
    return {st.st_uid, st.st_gid, st.st_mode & 07777u};
}

// A directory of the test's own with the given owner and mode.
struct Directory {
    fs::path path;
    Directory(const std::string& name, Owner owner)
        : path(fs::temp_directory_path() / (name + "-" + std::to_string(getpid()))) {
        fs::remove_all(path);
        fs::create_directory(path);
        EXPECT_EQ(chown(path.c_str(), owner.uid, owner.gid), 0);
        chmod(path.c_str(), owner.mode);
    }
    ~Directory() { fs::remove_all(path); }
    fs::path result() const { return path / "Prime.txt"; }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

ProgramSetup run_as(const GoldenSession& s, const Directory& dir, int uid, int gid,
                    std::vector<unsigned> groups) {
    ProgramSetup setup = plain(s);
    setup.work_dir = dir.path.string();
    setup.as.uid = uid;
    setup.as.gid = gid;
    setup.as.groups = std::move(groups);
    setup.as.umask = 002;
    return setup;
}

ProgramRun expect_written(const GoldenSession& s, const ProgramSetup& setup) {
    const ProgramRun run = expect_golden_run(s, setup);
    EXPECT_EQ(mask_times(run.result_file), s.file);
    EXPECT_EQ(run.work_files.size(), 1u);
    return run;
}

// An access ACL in the kernel's form: version 2, then (tag, permissions, id)
// entries: the owner rw, user 1234 rw, the group r, the mask rw, others r.
std::string access_acl() {
    const std::uint32_t any = 0xFFFFFFFF;
    const struct { std::uint16_t tag, perm; std::uint32_t id; } entries[] = {
        {0x01, 6, any}, {0x02, 6, 1234}, {0x04, 4, any}, {0x10, 6, any}, {0x20, 4, any}};
    std::string acl("\x02\0\0\0", 4);
    for (const auto& e : entries) acl.append(reinterpret_cast<const char*>(&e), sizeof e);
    return acl;
}

std::string attribute(const fs::path& path, const char* name) {
    char value[256];
    const ssize_t n = lgetxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? "<none>" : std::string(value, static_cast<std::size_t>(n));
}

// Gives the file at `path` this owner and mode.
void own(const fs::path& path, Owner owner) {
    EXPECT_EQ(chown(path.c_str(), owner.uid, owner.gid), 0);
    chmod(path.c_str(), owner.mode);
}

ProgramSetup as_nobody_in(const Directory& dir, const GoldenSession* s = nullptr) {
    ProgramSetup setup;
    if (s != nullptr) {
        setup.args = s->args;
        setup.input = s->input;
    }
    setup.work_dir = dir.path.string();
    setup.as.nobody = true;
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
    const Directory dir("primesearch-two-runs", {0, 0, 0777});
    for (const bool second_as_nobody : {true, false}) {
        put_file(dir.file("Prime.txt"), earlier);
        own(dir.file("Prime.txt"), {0, 0, 0666});
        ProgramSetup first_setup = as_nobody_in(dir);
        first_setup.input = "4\n1\n100000000\n\n1\n";
        ProgramSetup second_setup = as_nobody_in(dir, &second_session);
        second_setup.as.nobody = second_as_nobody;
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
        EXPECT_EQ(owner_of(dir.file("Prime.txt")), (Owner{0, 0, 0666}));
    }
}

TEST(ResultFileInPlace, AFullDiskLeavesTheOldFileAsItWas) {
    // 24 pages: room for the new file of mode 4 over 1..100000 (58349
    // bytes, 15 pages), not for a copy of it in the old file as well.
    SKIP_UNLESS_OTHER_USERS_RUN();
    const Directory dir("primesearch-full", {0, 0, 0777});
    if (mount("tmpfs", dir.path.c_str(), "tmpfs", 0, "size=96k,mode=0777") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    const std::string old = "OLD RESULT\r\n";
    put_file(dir.file("Prime.txt"), old);
    own(dir.file("Prime.txt"), {0, 0, 0666});
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
    const Directory dir("primesearch-closed", {0, 0, 0755}), tmp("primesearch-tmp", {0, 0, 01777});
    for (const bool named : {false, true}) {
        put_file(dir.file("Prime.txt"), earlier);
        own(dir.file("Prime.txt"), {65534, 65534, 0644});
        ProgramSetup setup = as_nobody_in(dir, &written);
        setup.env = {"TMPDIR=" + tmp.path.string()};
        setup.limits.without_unnamed_files = named;
        const ProgramRun run = expect_golden_run(written, setup);
        EXPECT_EQ(mask_times(run.result_file), written.file) << "named " << named;
        EXPECT_EQ(run.work_files.size(), 1u);
        EXPECT_TRUE(fs::is_empty(tmp.path)) << "named " << named;
        EXPECT_EQ(owner_of(dir.file("Prime.txt")), (Owner{65534, 65534, 0644}));
    }
}

TEST(ResultFileInPlace, AHardLinkedFileKeepsItsModeAndTheOtherNameItsContent) {
    // This name gets the new file, with what nobody may give it of the old
    // one: the permission bits, not root's ownership.
    SKIP_UNLESS_OTHER_USERS_RUN();
    const GoldenSession written = load_golden("mode4-1-100");
    const Directory dir("primesearch-linked", {0, 0, 0777});
    put_file(dir.file("other.txt"), earlier);
    own(dir.file("other.txt"), {0, 0, 0666});
    fs::create_hard_link(dir.file("other.txt"), dir.file("Prime.txt"));
    const ProgramRun run = expect_golden_run(written, as_nobody_in(dir, &written));
    EXPECT_EQ(mask_times(run.result_file), written.file);
    EXPECT_EQ(run.work_files.at("other.txt"), earlier);
    EXPECT_EQ(owner_of(dir.file("Prime.txt")), (Owner{65534, 65534, 0666}));
    EXPECT_EQ(owner_of(dir.file("other.txt")), (Owner{0, 0, 0666}));
}

TEST(ResultFile, AnythingButARegularFileIsLeftAloneAndReported) {
    const GoldenSession failed = refused_run();
    const std::pair<void (*)(const std::string&), Files> cases[] = {
        {link_to_other_file, {{"Prime.txt", "<link>"}, {"other.txt", "theirs"}}},
        {directory, {{"Prime.txt", "<directory>"}}},
        {fifo, {{"Prime.txt", "<fifo>"}}},  // never opened, so never blocks
        {socket_file, {{"Prime.txt", "<socket>"}}},
        // Dangling, and to a device that fails every write: refused as links.
        {[](const std::string& dir) { fs::create_symlink("target.txt", dir + "/Prime.txt"); },
         {{"Prime.txt", "<link>"}}},
        {[](const std::string& dir) { fs::create_symlink("missing/Prime.txt", dir + "/Prime.txt"); },
         {{"Prime.txt", "<link>"}}},
        {[](const std::string& dir) { fs::create_symlink("/dev/full", dir + "/Prime.txt"); },
         {{"Prime.txt", "<link>"}}},
    };
    for (const auto& [prepare, left] : cases) {
        ProgramSetup setup = plain(failed);
        setup.prepare = prepare;
        setup.timeout_seconds = 10;
        const ProgramRun run = expect_golden_run(failed, setup);
        EXPECT_EQ(run.work_files, left);
    }
}

TEST(ResultFile, AReplacedFileKeepsItsPermissions) {
    const GoldenSession written = written_run();
    ProgramSetup setup = plain(written);
    setup.prepare = group_readable;
    const ProgramRun run = expect_golden_run(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file);
    EXPECT_EQ(run.result_mode, 0640u);
}

TEST(ResultFile, AKilledRunLeavesThePreviousFileWholeAndNoLitter) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        for (const char* mode : {"2", "4"}) {
            ProgramSetup setup = with_earlier_file(ProgramSetup());
            setup.input = std::string(mode) + "\n1\n2000000000\n\n1\n";
            setup.signal = sig;
            const ProgramRun run = run_program(setup);
            EXPECT_EQ(run.signal, sig);
            EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}})) << sig << " mode " << mode;
        }
    }
}

TEST(ResultFile, AFileSizeLimitIsReportedAsAFailedWrite) {
    // Mode 4 over 1..100000: a screen far below the limit, a file above it.
    const GoldenSession failed = load_golden("mode4-large-refused");
    ProgramSetup setup = with_earlier_file(plain(failed));
    setup.limits.file_size = 16 << 10;
    const ProgramRun run = expect_golden_run(failed, setup);
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
}

TEST(ResultFile, ALargeEarlierFileIsReplacedWholeWithNoRoomLeftOver) {
    // Past 64 MiB the new file gets its room up front and the old one is let
    // go of by another process: the result is still whole, with no room
    // allocated past its end, and a killed run still leaves the old file as
    // it was.
    const Directory dir("primesearch-large", owner_of(fs::temp_directory_path()));
    const auto put_large_old_file = [&dir] {
        put_file(dir.result().string(), earlier);
        fs::resize_file(dir.result(), std::uintmax_t{96} << 20);
    };
    ProgramSetup setup;
    setup.work_dir = dir.path.string();
    setup.input = "4\n1\n150000000\n\n1\n";
    put_large_old_file();
    const ProgramRun run = run_program(setup);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(written_notice), std::string::npos);
    EXPECT_EQ(run.result_file.rfind("〓〓〓〓〓 1 から 150000000 までの", 0), 0u);
    EXPECT_NE(run.result_file.find("『 8444396個 』"), std::string::npos);
    struct stat st{};
    ASSERT_EQ(stat(dir.result().c_str(), &st), 0);
    EXPECT_EQ(st.st_size, static_cast<off_t>(run.result_file.size()));
    EXPECT_LE(static_cast<std::uint64_t>(st.st_blocks) * 512, run.result_file.size() + (1u << 20));
    EXPECT_EQ(run.work_files.size(), 1u);

    // The whole span takes ten times as long as the run above: still
    // running when the signal comes.
    put_large_old_file();
    setup.input = "4\n1\n2000000000\n\n1\n";
    setup.signal = SIGTERM;
    const ProgramRun killed = run_program(setup);
    EXPECT_EQ(killed.signal, SIGTERM);
    ASSERT_EQ(killed.work_files.size(), 1u);
    EXPECT_EQ(killed.work_files.begin()->second.size(), std::size_t{96} << 20);
    EXPECT_EQ(killed.work_files.begin()->second.rfind(earlier, 0), 0u);
}

TEST(ResultFile, KeepsItsOwnerGroupAndModeWhoeverRunsIt) {
    if (const std::string why = why_other_users_cannot_run(); !why.empty()) GTEST_SKIP() << why;
    const GoldenSession written = written_run();
    {
        // Users 1001 and 1002 share group 5000; 1002's own group is 1002.
        const Directory shared("primesearch-shared-group", {0, 5000, 0775});
        expect_written(written, run_as(written, shared, 1001, 5000, {5000}));
        EXPECT_EQ(owner_of(shared.result()), (Owner{1001, 5000, 0664}));
        expect_written(written, run_as(written, shared, 1002, 1002, {1002, 5000}));
        EXPECT_EQ(owner_of(shared.result()), (Owner{1001, 5000, 0664}));
        expect_written(written, run_as(written, shared, 1001, 5000, {5000}));
        EXPECT_EQ(owner_of(shared.result()), (Owner{1001, 5000, 0664}));
    }
    // sudo in a user's own directory.
    const Directory home("primesearch-home", {1001, 1001, 0755});
    put_file(home.result(), earlier);
    own(home.result(), {1001, 1001, 0640});
    expect_written(written, run_as(written, home, -1, -1, {}));
    EXPECT_EQ(owner_of(home.result()), (Owner{1001, 1001, 0640}));
}

TEST(ResultFile, KeepsItsAclAndExtendedAttributes) {
    const GoldenSession written = written_run();
    const Directory dir("primesearch-acl", owner_of(fs::temp_directory_path()));
    chmod(dir.path.c_str(), 0755);
    put_file(dir.result(), earlier);
    own(dir.result(), owner_of(dir.path));
    const std::string acl = access_acl();
    if (lsetxattr(dir.result().c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
        lsetxattr(dir.result().c_str(), "user.origin", "kept", 4, 0) != 0)
        GTEST_SKIP() << "the temporary directory has no ACLs or extended attributes";
    const Owner before = owner_of(dir.result());
    expect_written(written, run_as(written, dir, -1, -1, {}));
    EXPECT_EQ(attribute(dir.result(), "system.posix_acl_access"), acl);
    EXPECT_EQ(attribute(dir.result(), "user.origin"), "kept");
    EXPECT_EQ(owner_of(dir.result()), before);
}

TEST(ResultFile, AnotherUsersFileInAStickySharedDirectoryIsRefused) {
    if (const std::string why = why_other_users_cannot_run(); !why.empty()) GTEST_SKIP() << why;
    const Directory tmp("primesearch-sticky", {0, 0, 01777});
    put_file(tmp.result(), earlier);
    own(tmp.result(), {1001, 1001, 0666});
    const GoldenSession refused = refused_run(), written = written_run();
    const ProgramRun run = expect_golden_run(refused, run_as(refused, tmp, 1002, 1002, {1002}));
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
    expect_written(written, run_as(written, tmp, 1001, 1001, {1001}));
}

TEST(ResultFile, ANamedNewFileLeavesNothingBehindHoweverTheRunEnds) {
    const GoldenSession written = written_run();
    ProgramSetup setup = plain(written);
    setup.limits.without_unnamed_files = true;
    const ProgramRun run = expect_golden_run(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file);
    EXPECT_EQ(run.work_files.size(), 1u);
    // Every signal that ends the process and can be caught; SIGQUIT and
    // SIGXCPU would dump core.
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGXCPU, SIGRTMIN + 3}) {
        setup.input = "4\n1\n2000000000\n\n1\n";
        setup.result_file = earlier;
        setup.signal = sig;
        const ProgramRun killed = run_program(setup);
        EXPECT_EQ(killed.signal, sig);
        EXPECT_EQ(killed.work_files, (Files{{"Prime.txt", earlier}}))
            << "signal " << sig;
    }
}
