// A file replaced whole or not at all, on POSIX systems. The new file is
// created exclusively beside the old one; where the system has O_TMPFILE it
// has no name, so an interrupted run leaves nothing behind, and it is linked
// in at the end. rename() then puts it in place of the old name in one step,
// without following a link that may stand there.
#include "range/file_replacement.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

// What may be replaced: nothing at all, or a regular file the user may write.
// Its permission bits carry over to the new file (-1: none stands there).
bool replaceable(const char* name, int& old_mode) {
    struct stat st;
    if (lstat(name, &st) != 0) {
        old_mode = -1;
        return errno == ENOENT;
    }
    old_mode = static_cast<int>(st.st_mode & 07777);
    return S_ISREG(st.st_mode) && faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) == 0;
}

// Gives the temporary a fresh name that says what it is: a link for a file
// made by O_TMPFILE (`fd` given), or a new empty file (`fd` -1).
bool make_named(Replacement& r, const char* name, int fd, mode_t mode) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::snprintf(r.temp_name, sizeof r.temp_name, "%s.incomplete-%ld-%u", name,
                      static_cast<long>(getpid()), attempt);
        if (fd >= 0) {
            char path[64];
            std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
            if (linkat(fd, "", AT_FDCWD, r.temp_name, AT_EMPTY_PATH) == 0 ||
                linkat(AT_FDCWD, path, AT_FDCWD, r.temp_name, AT_SYMLINK_FOLLOW) == 0) {
                r.named = true;
                return true;
            }
        } else {
            r.fd = open(r.temp_name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (r.fd >= 0) {
                r.named = true;
                return true;
            }
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool can_link_unnamed() {
    struct stat st;
    return stat("/proc/self/fd", &st) == 0;
}

}  // namespace

bool begin_replacement(Replacement& r, const char* name) {
    r = Replacement{};
    int old_mode;
    if (!replaceable(name, old_mode)) return false;
    const mode_t mode = old_mode >= 0 ? static_cast<mode_t>(old_mode) : 0666;
    if (can_link_unnamed()) r.fd = open(".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (r.fd < 0 && !make_named(r, name, -1, mode)) return false;
    // The umask must not narrow the bits of the file being replaced.
    if (old_mode >= 0 && fchmod(r.fd, static_cast<mode_t>(old_mode)) != 0) {
        abandon_replacement(r);
        return false;
    }
    return true;
}

bool finish_replacement(Replacement& r, const char* name) {
    // What stands at `name` may have changed during a long run: look again.
    int old_mode;
    bool ok = replaceable(name, old_mode);
    if (ok && !r.named) ok = make_named(r, name, r.fd, 0);
    if (close(r.fd) != 0) ok = false;
    r.fd = -1;
    if (ok && rename(r.temp_name, name) == 0) {
        r.named = false;
        return true;
    }
    abandon_replacement(r);
    return false;
}

void abandon_replacement(Replacement& r) {
    if (r.fd >= 0) close(r.fd);
    if (r.named) unlink(r.temp_name);
    r = Replacement{};
}
