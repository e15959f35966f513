// The result file keeps what it was whoever replaces it: owner, group, mode,
// ACL and extended attributes; and a run on a file system without unnamed
// files leaves nothing behind however it ends. Real users, when run by root.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "e2e/session.hpp"

namespace fs = std::filesystem;

namespace {

const std::string earlier = "earlier results\r\n";

Session mode4_to_100(bool written) {
    Session s;
    s.menu("4").range_entry(4, {"1"}, 1, {"100"}, 100).run(4, 1, 100, written).quit();
    return s;
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
    const Session written = mode4_to_100(true);
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
    const Session written = mode4_to_100(true);
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
    const ProgramRun run = expect_session(mode4_to_100(false), run_as(mode4_to_100(false), tmp, 1002, 1002, {1002}));
    EXPECT_EQ(run.work_files, (std::map<std::string, std::string>{{"Prime.txt", earlier}}));
    expect_written(mode4_to_100(true), run_as(mode4_to_100(true), tmp, 1001, 1001, {1001}));
}

TEST(ResultFile, ANamedNewFileLeavesNothingBehindHoweverTheRunEnds) {
    const Session written = mode4_to_100(true);
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
        EXPECT_EQ(killed.work_files, (std::map<std::string, std::string>{{"Prime.txt", earlier}}))
            << "signal " << sig;
    }
}
#endif
