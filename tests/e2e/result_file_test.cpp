// The result file against what a hostile user or the system puts in its way:
// what stands at its name, overlapping and killed runs, resource limits,
// non-blocking streams; other users (real ones, when run by root), ACLs and
// extended attributes, a file system without unnamed files; on Windows,
// killed runs, programs that hold the old file, a hidden old file.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "e2e/session.hpp"
#include "support/console_capture.hpp"

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

namespace {

const std::string earlier = "earlier results\r\n";

Session mode_run(int mode, Number hi, bool written) {
    Session s;
    s.menu(std::to_string(mode)).range_entry(mode, {"1"}, 1, {std::to_string(hi)}, hi);
    s.run(mode, 1, hi, written).quit();
    return s;
}

void put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void hard_link(const std::string& dir) {
    put(dir + "/other.txt", "theirs");
    fs::create_hard_link(dir + "/other.txt", dir + "/Prime.txt");
}

#ifndef _WIN32
ProgramSetup with_earlier_file(const Session& s) {
    ProgramSetup setup = s.setup();
    setup.preset_result_file = true;
    setup.result_file = earlier;
    return setup;
}

void link_to_other_file(const std::string& dir) {
    put(dir + "/other.txt", "theirs");
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
    put(dir + "/Prime.txt", earlier);
    chmod((dir + "/Prime.txt").c_str(), 0640);
}
#endif

}  // namespace

TEST(ResultFile, AnythingButARegularFileIsLeftAloneAndReported) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links, FIFOs and sockets are POSIX files";
#else
    const Session failed = mode_run(4, 100, false);
    const std::pair<void (*)(const std::string&), Files> cases[] = {
        {link_to_other_file, {{"Prime.txt", "<link>"}, {"other.txt", "theirs"}}},
        {directory, {{"Prime.txt", "<directory>"}}},
        {fifo, {{"Prime.txt", "<fifo>"}}},  // never opened, so never blocks
        {socket_file, {{"Prime.txt", "<socket>"}}},
    };
    for (const auto& [prepare, left] : cases) {
        ProgramSetup setup = failed.setup();
        setup.prepare = prepare;
        setup.timeout_seconds = 10;
        const ProgramRun run = expect_session(failed, setup);
        EXPECT_EQ(run.work_files, left);
    }
#endif
}

TEST(ResultFile, ARegularFileIsReplacedWithItsPermissionsAndHardLinksKeepTheirs) {
    const Session written = mode_run(4, 100, true);
    ProgramSetup setup = written.setup();
    setup.prepare = hard_link;
    ProgramRun run = expect_session(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file());
    EXPECT_EQ(run.work_files.at("other.txt"), "theirs");
    EXPECT_EQ(run.work_files.size(), 2u);
#ifndef _WIN32  // Windows files have no permission bits to carry over
    setup.prepare = group_readable;
    run = expect_session(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file());
    EXPECT_EQ(run.result_mode, 0640u);
#endif
}

TEST(ResultFile, OverlappingRunsLeaveOneWholeResult) {
    // A long run, and a short one that starts and ends while it goes on.
    const fs::path shared_dir = fs::temp_directory_path() / "primesearch-shared";
    fs::remove_all(shared_dir);
    fs::create_directory(shared_dir);
    const std::string shared = shared_dir.string();
    ProgramSetup long_run = mode_run(4, 2, true).setup();
    long_run.input = "4\n1\n100000000\n\n1\n";
    long_run.work_dir = shared;
    const Session short_session = mode_run(4, 1000, true);
    ProgramSetup short_run = short_session.setup();
    short_run.work_dir = shared;
    StartedProgram first = start_program(long_run);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    StartedProgram second = start_program(short_run);
    // The long run is waited for first, so that reading the short run's
    // results cannot get in the way of its replacing the file.
    const ProgramRun long_done = finish_program(first);
    const ProgramRun short_done = finish_program(second);
    EXPECT_EQ(mask_times(short_done.out), short_session.screen());
    EXPECT_NE(long_done.out.find(shown(MSG_WRITTEN)), std::string::npos);
    // Whichever finished last left its whole file, and nothing else is there.
    const std::string& file = long_done.result_file;
    EXPECT_EQ(long_done.work_files.size(), 1u);
    EXPECT_EQ(file.find('\0'), std::string::npos);
    if (mask_times(file) != short_session.file()) {
        EXPECT_EQ(file.rfind(shown(MSG_LIST_HEADER, 1, 100000000), 0), 0u);
        EXPECT_NE(file.find("『 5761455個 』"), std::string::npos);
        EXPECT_EQ(file.find(shown(MSG_LIST_HEADER, 1, 1000), 1), std::string::npos);
    }
    fs::remove_all(shared);
}

TEST(ResultFile, AKilledRunLeavesThePreviousFileWholeAndNoLitter) {
#ifdef _WIN32
    GTEST_SKIP() << "signals are POSIX";
#else
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        for (const char* mode : {"2", "4"}) {
            ProgramSetup setup = with_earlier_file(Session());
            setup.input = std::string(mode) + "\n1\n2000000000\n\n1\n";
            setup.signal = sig;
            setup.signal_after_ms = 150;
            const ProgramRun run = run_program(setup);
            EXPECT_EQ(run.signal, sig);
            EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}})) << sig << " mode " << mode;
        }
    }
#endif
}

TEST(ResultFile, AFileSizeLimitIsReportedAsAFailedWrite) {
#ifdef _WIN32
    GTEST_SKIP() << "no file-size limit on Windows";
#else
    const Session failed = mode_run(4, 100000, false);
    ProgramSetup setup = with_earlier_file(failed);
    setup.file_size_limit = 16 << 10;
    const ProgramRun run = expect_session(failed, setup);
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
#endif
}

TEST(Platform, EveryModeWorksOnA64KiBStack) {
#ifdef _WIN32
    GTEST_SKIP() << "a Windows stack is sized by the linker";
#else
    Session s;
    for (int mode = 2; mode <= 5; ++mode) {
        s.menu(std::to_string(mode)).range_entry(mode, {"1"}, 1, {"3000"}, 3000).run(mode, 1, 3000);
    }
    s.menu("6").single({"2000000000"}, 2000000000).back().quit();
    ProgramSetup setup = s.setup();
    setup.stack_limit = 64 << 10;
    expect_session(s, setup);
#endif
}

TEST(Streams, NonBlockingOutputToASlowReaderLosesNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "non-blocking pipes are POSIX";
#else
    const Session s = mode_run(3, 300000, true);
    ProgramSetup setup = s.setup();
    setup.slow_output_reader = true;
    const ProgramRun run = run_program(setup);
    EXPECT_EQ(mask_times(run.out), s.screen());
    EXPECT_EQ(run.status, 0);
#endif
}

TEST(Streams, NonBlockingInputThatArrivesLateIsWaitedFor) {
#ifdef _WIN32
    GTEST_SKIP() << "non-blocking pipes are POSIX";
#else
    Session s;
    s.menu("6").single({"12"}, 12).back().quit();
    ProgramSetup setup = s.setup();
    setup.input_late_ms = 300;
    expect_session(s, setup);
#endif
}

#ifndef _WIN32
namespace {

// The hour of the first stamp in a times line, as two digits.
std::string first_stamp_hour(const std::string& out) {
    const std::string head = "★開始日時 ";
    const std::size_t at = out.find(head);
    return at == std::string::npos ? "" : out.substr(at + head.size() + 10, 2);
}

std::string tokyo_hour(std::time_t when) {
    const int hour = (std::gmtime(&when)->tm_hour + 9) % 24;
    return std::string(1, static_cast<char>('0' + hour / 10)) + static_cast<char>('0' + hour % 10);
}

}  // namespace
#endif

TEST(Clock, StampsKeepTheLocalZoneWhenDescriptorsRunShort) {
#ifdef _WIN32
    GTEST_SKIP() << "descriptor limits are POSIX";
#else
    const Session written = mode_run(4, 100, true);
    ProgramSetup setup = written.setup();
    setup.env = {"TZ=Asia/Tokyo"};
    setup.descriptor_limit = 4;
    const std::time_t before = std::time(nullptr);
    const ProgramRun run = expect_session(written, setup);
    const std::time_t after = std::time(nullptr);
    const std::string hour = first_stamp_hour(run.out);
    EXPECT_TRUE(hour == tokyo_hour(before) || hour == tokyo_hour(after)) << hour;
    EXPECT_EQ(mask_times(run.result_file), written.file());
#endif
}

#ifndef _WIN32
namespace {

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
    Directory(const std::string& name, Owner owner) : path(fs::temp_directory_path() / name) {
        fs::remove_all(path);
        fs::create_directory(path);
        EXPECT_EQ(chown(path.c_str(), owner.uid, owner.gid), 0);
        chmod(path.c_str(), owner.mode);
    }
    ~Directory() { fs::remove_all(path); }
    fs::path result() const { return path / "Prime.txt"; }
    void put_result(Owner owner) const {
        std::ofstream(result(), std::ios::binary) << earlier;
        EXPECT_EQ(chown(result().c_str(), owner.uid, owner.gid), 0);
        chmod(result().c_str(), owner.mode);
    }
};

ProgramSetup run_as(const Session& s, const Directory& dir, int uid, int gid,
                    std::vector<unsigned> groups) {
    ProgramSetup setup = s.setup();
    setup.work_dir = dir.path.string();
    setup.uid = uid;
    setup.gid = gid;
    setup.groups = std::move(groups);
    setup.umask = 002;
    return setup;
}

ProgramRun expect_written(const Session& s, const ProgramSetup& setup) {
    const ProgramRun run = expect_session(s, setup);
    EXPECT_EQ(mask_times(run.result_file), s.file());
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

}  // namespace

TEST(ResultFile, KeepsItsOwnerGroupAndModeWhoeverRunsIt) {
    if (geteuid() != 0) GTEST_SKIP() << "running as other users needs root";
    const Session written = mode_run(4, 100, true);
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
    home.put_result({1001, 1001, 0640});
    expect_written(written, run_as(written, home, -1, -1, {}));
    EXPECT_EQ(owner_of(home.result()), (Owner{1001, 1001, 0640}));
}

TEST(ResultFile, KeepsItsAclAndExtendedAttributes) {
    const Session written = mode_run(4, 100, true);
    const Directory dir("primesearch-acl", owner_of(fs::temp_directory_path()));
    chmod(dir.path.c_str(), 0755);
    dir.put_result(owner_of(dir.path));
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
    if (geteuid() != 0) GTEST_SKIP() << "running as other users needs root";
    const Directory tmp("primesearch-sticky", {0, 0, 01777});
    tmp.put_result({1001, 1001, 0666});
    const ProgramRun run = expect_session(mode_run(4, 100, false), run_as(mode_run(4, 100, false), tmp, 1002, 1002, {1002}));
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
    expect_written(mode_run(4, 100, true), run_as(mode_run(4, 100, true), tmp, 1001, 1001, {1001}));
}

TEST(ResultFile, ANamedNewFileLeavesNothingBehindHoweverTheRunEnds) {
    const Session written = mode_run(4, 100, true);
    ProgramSetup setup = written.setup();
    setup.without_unnamed_files = true;
    const ProgramRun run = expect_session(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file());
    EXPECT_EQ(run.work_files.size(), 1u);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        setup.input = "4\n1\n2000000000\n\n1\n";
        setup.preset_result_file = true;
        setup.result_file = earlier;
        setup.signal = sig;
        setup.signal_after_ms = 150;
        const ProgramRun killed = run_program(setup);
        EXPECT_EQ(killed.signal, sig);
        EXPECT_EQ(killed.work_files, (Files{{"Prime.txt", earlier}}))
            << "signal " << sig;
    }
}
#endif

#ifdef _WIN32
namespace {

// A working directory of the test's own holding the earlier result.
struct HeldDirectory {
    fs::path path = fs::temp_directory_path() / "primesearch-held";
    HeldDirectory() {
        fs::remove_all(path);
        fs::create_directory(path);
        std::ofstream(path / "Prime.txt", std::ios::binary) << earlier;
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
    setup.signal_after_ms = 500;
    const ProgramRun run = run_program(setup);
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
}

// The session run while this process holds the old file open with `sharing`.
ProgramRun run_while_held(const Session& s, DWORD sharing) {
    const HeldDirectory dir;
    const HANDLE holder = hold(dir, sharing);
    EXPECT_NE(holder, INVALID_HANDLE_VALUE);
    ProgramSetup setup = s.setup();
    setup.work_dir = dir.path.string();
    const ProgramRun run = expect_session(s, setup);
    CloseHandle(holder);
    return run;
}

TEST(ResultFile, AFileHeldByAProgramThatSharesWritingGetsTheResult) {
    const Session written = mode_run(4, 100, true);
    for (const DWORD sharing : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE},
                                DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        const ProgramRun run = run_while_held(written, sharing);
        EXPECT_EQ(mask_times(run.result_file), written.file()) << "sharing " << sharing;
        EXPECT_EQ(run.work_files.size(), 1u);
    }
}

TEST(ResultFile, AFileHeldWithoutWriteSharingIsReportedAndKept) {
    const ProgramRun run = run_while_held(mode_run(4, 100, false), FILE_SHARE_READ);
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
}

TEST(ResultFile, AHiddenFileStaysHidden) {
    const Session written = mode_run(4, 100, true);
    const HeldDirectory dir;
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
