// The result file against what a hostile user or the system puts in its way:
// what stands at its name, overlapping and killed runs, resource limits,
// non-blocking streams.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

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
