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
#include <vector>

#include "support/golden_session.hpp"

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

namespace {

const std::string earlier = "earlier results\r\n";

// Mode 4 over 1..100, written, and the same run where the file is refused.
GoldenSession written_run() { return load_golden("mode4-1-100"); }
GoldenSession refused_run() { return load_golden("mode4-refused"); }

// The session's arguments and input alone: each test sets up Prime.txt.
ProgramSetup plain(const GoldenSession& g) {
    ProgramSetup setup;
    setup.args = g.args;
    setup.input = g.input;
    return setup;
}

const std::string written_notice = "\b計算結果は、Prime.txt に書き出されています。\r\n";

void put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void hard_link(const std::string& dir) {
    put(dir + "/other.txt", "theirs");
    fs::create_hard_link(dir + "/other.txt", dir + "/Prime.txt");
}

#ifndef _WIN32
ProgramSetup with_earlier_file(const ProgramSetup& plain_setup) {
    ProgramSetup setup = plain_setup;
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
    const GoldenSession failed = refused_run();
    const std::pair<void (*)(const std::string&), Files> cases[] = {
        {link_to_other_file, {{"Prime.txt", "<link>"}, {"other.txt", "theirs"}}},
        {directory, {{"Prime.txt", "<directory>"}}},
        {fifo, {{"Prime.txt", "<fifo>"}}},  // never opened, so never blocks
        {socket_file, {{"Prime.txt", "<socket>"}}},
    };
    for (const auto& [prepare, left] : cases) {
        ProgramSetup setup = plain(failed);
        setup.prepare = prepare;
        setup.timeout_seconds = 10;
        const ProgramRun run = expect_golden_run(failed, setup);
        EXPECT_EQ(run.work_files, left);
    }
#endif
}

TEST(ResultFile, FailedWritesAreReportedNotClaimed) {
#ifdef _WIN32
    GTEST_SKIP() << "no /dev/full on Windows";
#else
    std::error_code missing;
    if (!fs::exists("/dev/full", missing)) GTEST_SKIP() << "no /dev/full here";
    const GoldenSession failed = refused_run();
    ProgramSetup setup = plain(failed);
    setup.prepare = [](const std::string& dir) { fs::create_symlink("/dev/full", dir + "/Prime.txt"); };
    expect_golden_run(failed, setup);
#endif
}

TEST(ResultFile, ReadOnlyFileIsReportedNotClaimed) {
    // Root writes read-only files, so root runs the program as nobody.
#ifndef _WIN32
    if (const std::string why = why_other_users_cannot_run(); geteuid() == 0 && !why.empty())
        GTEST_SKIP() << why;
#endif
    const GoldenSession failed = refused_run();
    ProgramSetup setup = plain(failed);
    setup.prepare = [](const std::string& dir) {
        put(dir + "/Prime.txt", "");
        fs::permissions(dir + "/Prime.txt", fs::perms::owner_read);
    };
    setup.as_nobody = true;
    const ProgramRun run = run_program(setup);
    EXPECT_EQ(mask_times(run.out), failed.out);
    EXPECT_EQ(run.result_file, "");
}

TEST(ResultFile, DanglingLinksAreRefusedAndNothingIsCreated) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#else
    const GoldenSession failed = refused_run();
    void (*const dangling[])(const std::string&) = {
        [](const std::string& dir) { fs::create_symlink("target.txt", dir + "/Prime.txt"); },
        [](const std::string& dir) { fs::create_symlink("missing/Prime.txt", dir + "/Prime.txt"); }};
    for (const auto prepare : dangling) {
        ProgramSetup setup = plain(failed);
        setup.prepare = prepare;
        const ProgramRun run = expect_golden_run(failed, setup);
        EXPECT_EQ(run.work_files, (Files{{"Prime.txt", "<link>"}}));
    }
#endif
}

TEST(ResultFile, ARegularFileIsReplacedWithItsPermissionsAndHardLinksKeepTheirs) {
    const GoldenSession written = written_run();
    ProgramSetup setup = plain(written);
    setup.prepare = hard_link;
    ProgramRun run = expect_golden_run(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file);
    EXPECT_EQ(run.work_files.at("other.txt"), "theirs");
    EXPECT_EQ(run.work_files.size(), 2u);
#ifndef _WIN32  // Windows files have no permission bits to carry over
    setup.prepare = group_readable;
    run = expect_golden_run(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file);
    EXPECT_EQ(run.result_mode, 0640u);
#endif
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

TEST(ResultFile, AKilledRunLeavesThePreviousFileWholeAndNoLitter) {
#ifdef _WIN32
    GTEST_SKIP() << "signals are POSIX";
#else
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
#endif
}

TEST(ResultFile, AFileSizeLimitIsReportedAsAFailedWrite) {
#ifdef _WIN32
    GTEST_SKIP() << "no file-size limit on Windows";
#else
    // Mode 4 over 1..100000: a screen far below the limit, a file above it.
    const GoldenSession failed = load_golden("mode4-large-refused");
    ProgramSetup setup = with_earlier_file(plain(failed));
    setup.file_size_limit = 16 << 10;
    const ProgramRun run = expect_golden_run(failed, setup);
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
#endif
}

TEST(Platform, EveryModeWorksOnA64KiBStack) {
#ifdef _WIN32
    GTEST_SKIP() << "a Windows stack is sized by the linker";
#else
    for (const char* name : {"mode2-1-100", "mode3-1-10", "mode4-second-run", "mode5-whole-span",
                             "single-2000000000"}) {
        const GoldenSession s = load_golden(name);
        ProgramSetup setup = plain(s);
        setup.stack_limit = 64 << 10;
        expect_golden_run(s, setup);
    }
#endif
}

TEST(Streams, NonBlockingOutputToASlowReaderLosesNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "non-blocking pipes are POSIX";
#else
    // Mode 3 over 1..300000, read at once and read slowly.
    ProgramSetup setup;
    setup.input = "3\n1\n300000\n\n1\n";
    const ProgramRun at_once = run_program(setup);
    setup.slow_output_reader = true;
    const ProgramRun run = run_program(setup);
    EXPECT_GT(run.out.size(), 150000u);
    EXPECT_EQ(mask_times(run.out), mask_times(at_once.out));
    EXPECT_EQ(run.status, 0);
#endif
}

TEST(Streams, NonBlockingInputThatArrivesLateIsWaitedFor) {
#ifdef _WIN32
    GTEST_SKIP() << "non-blocking pipes are POSIX";
#else
    const GoldenSession s = load_golden("single-2147483648");
    ProgramSetup setup = plain(s);
    setup.input_late_ms = 300;
    expect_golden_run(s, setup);
#endif
}

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

TEST(Clock, StampsKeepTheLocalZoneWhenDescriptorsRunShort) {
#ifdef _WIN32
    GTEST_SKIP() << "descriptor limits are POSIX";
#else
    const GoldenSession written = written_run();
    ProgramSetup setup = plain(written);
    setup.env = {"TZ=Asia/Tokyo"};
    setup.descriptor_limit = 4;
    const std::time_t before = std::time(nullptr);
    const ProgramRun run = expect_golden_run(written, setup);
    const std::time_t after = std::time(nullptr);
    const std::string hour = first_stamp_hour(run.out);
    EXPECT_TRUE(hour == tokyo_hour(before) || hour == tokyo_hour(after)) << hour;
    EXPECT_EQ(mask_times(run.result_file), written.file);
#endif
}

TEST(Clock, ATimeZoneInAnotherFormIsIgnoredOnWindows) {
#ifndef _WIN32
    GTEST_SKIP() << "the C library's own form of TZ is a Windows matter";
#else
    // MSYS and Cygwin shells export TZ=Asia/Tokyo, which the C library
    // would read as offset 0 with daylight saving; its own form still counts.
    const GoldenSession written = written_run();
    const auto stamp_hour = [&written](std::vector<std::string> env) {
        ProgramSetup setup = plain(written);
        setup.env = std::move(env);
        return first_stamp_hour(expect_golden_run(written, setup).out);
    };
    const std::time_t before = std::time(nullptr);
    const std::string system_hour = stamp_hour({});
    EXPECT_EQ(stamp_hour({"TZ=Asia/Tokyo"}), system_hour);
    const std::string tokyo = stamp_hour({"TZ=JST-9"});
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(tokyo == tokyo_hour(before) || tokyo == tokyo_hour(after)) << tokyo;
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
    Directory(const std::string& name, Owner owner)
        : path(fs::temp_directory_path() / (name + "-" + std::to_string(getpid()))) {
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

ProgramSetup run_as(const GoldenSession& s, const Directory& dir, int uid, int gid,
                    std::vector<unsigned> groups) {
    ProgramSetup setup = plain(s);
    setup.work_dir = dir.path.string();
    setup.uid = uid;
    setup.gid = gid;
    setup.groups = std::move(groups);
    setup.umask = 002;
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

}  // namespace

TEST(ResultFile, ALargeEarlierFileIsReplacedWholeWithNoRoomLeftOver) {
    // Past 64 MiB the new file gets its room up front and the old one is let
    // go of by another process: the result is still whole, with no room
    // allocated past its end, and a killed run still leaves the old file as
    // it was.
    const Directory dir("primesearch-large", owner_of(fs::temp_directory_path()));
    const auto put_large_old_file = [&dir] {
        put(dir.result().string(), earlier);
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
    home.put_result({1001, 1001, 0640});
    expect_written(written, run_as(written, home, -1, -1, {}));
    EXPECT_EQ(owner_of(home.result()), (Owner{1001, 1001, 0640}));
}

TEST(ResultFile, KeepsItsAclAndExtendedAttributes) {
    const GoldenSession written = written_run();
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
    if (const std::string why = why_other_users_cannot_run(); !why.empty()) GTEST_SKIP() << why;
    const Directory tmp("primesearch-sticky", {0, 0, 01777});
    tmp.put_result({1001, 1001, 0666});
    const GoldenSession refused = refused_run(), written = written_run();
    const ProgramRun run = expect_golden_run(refused, run_as(refused, tmp, 1002, 1002, {1002}));
    EXPECT_EQ(run.work_files, (Files{{"Prime.txt", earlier}}));
    expect_written(written, run_as(written, tmp, 1001, 1001, {1001}));
}

TEST(ResultFile, ANamedNewFileLeavesNothingBehindHoweverTheRunEnds) {
    const GoldenSession written = written_run();
    ProgramSetup setup = plain(written);
    setup.without_unnamed_files = true;
    const ProgramRun run = expect_golden_run(written, setup);
    EXPECT_EQ(mask_times(run.result_file), written.file);
    EXPECT_EQ(run.work_files.size(), 1u);
    // Every signal that ends the process and can be caught; SIGQUIT and
    // SIGXCPU would dump core.
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGXCPU, SIGRTMIN + 3}) {
        setup.input = "4\n1\n2000000000\n\n1\n";
        setup.preset_result_file = true;
        setup.result_file = earlier;
        setup.signal = sig;
        const ProgramRun killed = run_program(setup);
        EXPECT_EQ(killed.signal, sig);
        EXPECT_EQ(killed.work_files, (Files{{"Prime.txt", earlier}}))
            << "signal " << sig;
    }
}
#endif

