// The result file's operations on Linux. The new file is made without a
// name (O_TMPFILE) where the file system allows, and linked in at the end;
// rename() puts it in place without following a link that may stand there;
// the old file is locked with flock(), which a rename passes.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "result_file/ending_signals_linux.hpp"
#include "result_file/file_attributes_linux.hpp"
#include "result_file/file_operations.hpp"

namespace {

int old_fd(const Replacement& r) {
    return static_cast<int>(r.old);
}

// Linux's protected_regular rule: in a sticky, world-writable directory such
// as /tmp, another user's file is not taken over unless the directory's
// owner owns it, since anybody may have put it there.
bool planted_in_shared_directory(const struct stat& file) {
    struct stat dir;
    if (stat(".", &dir) != 0) return true;
    const bool shared = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
    return shared && file.st_uid != geteuid() && file.st_uid != dir.st_uid;
}

FileIdentity identity(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Until the end the new file is no more open to others than the old one;
// in the shared temporary directory it is the user's alone.
mode_t new_file_mode(const Replacement& r, const Look& old) {
    if (r.elsewhere) return 0600;
    return old.standing == Standing::replaceable ? static_cast<mode_t>(old.permissions) : 0666;
}

Made made_or(int result) {
    if (result == 0) return Made::made;
    return errno == EEXIST ? Made::name_taken : Made::failed;
}

struct LinuxFiles final : FileOperations {
    Look look_at(const char* name) override {
        struct stat st;
        if (lstat(name, &st) != 0) return errno == ENOENT ? Look{} : refused(Refusal::unreadable);
        if (!S_ISREG(st.st_mode)) return refused(Refusal::not_a_plain_file);
        if (planted_in_shared_directory(st)) return refused(Refusal::planted);
        if (faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) != 0) return refused(Refusal::not_writable);
        return {Standing::replaceable, Refusal::none, identity(st),
                static_cast<std::uint64_t>(st.st_nlink),
                static_cast<std::uint32_t>(st.st_mode & 0777)};
    }

    const char* temporary_directory() override {
        const char* dir = std::getenv("TMPDIR");
        return dir != nullptr && dir[0] == '/' ? dir : "/tmp";
    }

    unsigned long process_id() override { return static_cast<unsigned long>(getpid()); }

    bool make_unnamed(Replacement& r, const char* directory, const Look& old) override {
        // Linked in at the end through /proc/self/fd where AT_EMPTY_PATH is not allowed.
        struct stat st;
        if (stat("/proc/self/fd", &st) != 0) return false;
        r.fd = open(directory, O_TMPFILE | O_RDWR | O_CLOEXEC, new_file_mode(r, old));
        return r.fd >= 0;
    }

    Made make_named(Replacement& r, const Look& old) override {
        r.fd = open(r.temp_name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    new_file_mode(r, old));
        return made_or(r.fd >= 0 ? 0 : -1);
    }

    Made give_name(Replacement& r) override {
        if (linkat(r.fd, "", AT_FDCWD, r.temp_name, AT_EMPTY_PATH) == 0) return Made::made;
        char path[64];
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", r.fd);
        return made_or(linkat(AT_FDCWD, path, AT_FDCWD, r.temp_name, AT_SYMLINK_FOLLOW));
    }

    void guard(const Replacement& r) override { remove_on_ending_signal(r.temp_name); }
    void unguard() override { keep_on_ending_signal(); }

    bool carry_all(Replacement& r, const char*, const Look&) override {
        return carry_attributes(r.fd, old_fd(r));
    }
    void carry_what_may_be(Replacement& r, const char*, const Look&) override {
        carry_permitted_attributes(r.fd, old_fd(r));
    }

    Locked lock_old(Replacement& r, const char* name, const Look& old) override {
        const int fd = open(name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return errno == ENOENT || errno == ELOOP || errno == ENXIO ? Locked::changed
                                                                       : Locked::failed;
        int locked;
        while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        // The file may have been replaced while this run waited for it.
        struct stat held, now;
        const bool same = locked == 0 && fstat(fd, &held) == 0 && identity(held) == old.id &&
                          lstat(name, &now) == 0 && identity(now) == old.id;
        if (!same) {
            close(fd);
            return locked == 0 ? Locked::changed : Locked::failed;
        }
        r.old = fd;
        return Locked::held;
    }

    void unlock_old(Replacement& r) override {
        if (r.old >= 0) close(old_fd(r));
        r.old = -1;
    }

    Renamed rename_over(Replacement& r, const char* name) override {
        return rename(r.temp_name, name) == 0 ? Renamed::done : Renamed::failed;
    }

    void pause_for_holder() override { usleep(100000); }

    bool sizes(Replacement& r, std::uint64_t& new_size, std::uint64_t& old_size) override {
        struct stat content, old;
        if (fstat(r.fd, &content) != 0 || fstat(old_fd(r), &old) != 0) return false;
        new_size = static_cast<std::uint64_t>(content.st_size);
        old_size = static_cast<std::uint64_t>(old.st_size);
        return true;
    }

    // Reserving also fills any holes of a sparse old file.
    Reserved reserve_room(Replacement& r, std::uint64_t size) override {
        if (fallocate(old_fd(r), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0)
            return Reserved::reserved;
        return errno == EOPNOTSUPP || errno == ENOSYS ? Reserved::unsupported : Reserved::failed;
    }

    bool copy_range(Replacement& r, std::uint64_t from, std::uint64_t to) override {
        constexpr std::size_t block_size = 65536;
        const auto block = std::make_unique_for_overwrite<char[]>(block_size);
        while (from < to) {
            const ssize_t got =
                pread(r.fd, block.get(), std::min<std::uint64_t>(to - from, block_size),
                      static_cast<off_t>(from));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            for (ssize_t put = 0; put < got;) {
                const ssize_t n =
                    pwrite(old_fd(r), block.get() + put, static_cast<std::size_t>(got - put),
                           static_cast<off_t>(from) + put);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) return false;
                put += n;
            }
            from += static_cast<std::uint64_t>(got);
        }
        return true;
    }

    bool set_old_length(Replacement& r, std::uint64_t length) override {
        return ftruncate(old_fd(r), static_cast<off_t>(length)) == 0;
    }
    bool sync_old(Replacement& r) override { return fdatasync(old_fd(r)) == 0; }
    void hold_ending_signals() override { hold_ending_signals_back(); }
    void release_ending_signals() override { let_ending_signals_through(); }

    void drop_new_file(Replacement& r) override {
        if (r.fd >= 0) close(r.fd);
        if (r.named) unlink(r.temp_name);
        r.fd = -1;
        r.named = false;
    }
};

}  // namespace

FileOperations& system_files() {
    static LinuxFiles files;
    return files;
}
