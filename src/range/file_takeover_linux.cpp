// Carrying a file's owner, mode and extended attributes over to the file that
// replaces it, and the fallback of writing into the old file in place.
#include "range/file_takeover_linux.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>

#include "console/stream_io.hpp"

namespace {

// Lists and values of extended attributes; a file with more than these hold
// is written in place instead.
char old_names[16384];
char new_names[16384];
char value[65536];

bool listed(const char* names, long size, const char* wanted) {
    for (long at = 0; at < size; at += static_cast<long>(std::strlen(names + at)) + 1)
        if (std::strcmp(names + at, wanted) == 0) return true;
    return false;
}

// A file system without extended attributes has none to carry over.
long attribute_names(long listed_size) { return listed_size < 0 && errno == ENOTSUP ? 0 : listed_size; }

bool same_extended_attributes(int fd, const char* name) {
    const long old_size = attribute_names(llistxattr(name, old_names, sizeof old_names));
    if (old_size < 0) return false;
    for (long at = 0; at < old_size; at += static_cast<long>(std::strlen(old_names + at)) + 1) {
        const ssize_t length = lgetxattr(name, old_names + at, value, sizeof value);
        if (length < 0 || fsetxattr(fd, old_names + at, value, static_cast<size_t>(length), 0) != 0)
            return false;
    }
    // What the new file got by itself, such as a directory's default ACL.
    const long new_size = attribute_names(flistxattr(fd, new_names, sizeof new_names));
    if (new_size < 0) return false;
    for (long at = 0; at < new_size; at += static_cast<long>(std::strlen(new_names + at)) + 1)
        if (!listed(old_names, old_size, new_names + at) && fremovexattr(fd, new_names + at) != 0)
            return false;
    return true;
}

bool same_owner(int fd, const struct stat& old) {
    struct stat now;
    if (fstat(fd, &now) != 0) return false;
    if (now.st_uid == old.st_uid && now.st_gid == old.st_gid) return true;
    return fchown(fd, old.st_uid, old.st_gid) == 0;
}

// Last, since a change of owner clears the set-user and set-group bits.
bool same_mode(int fd, const struct stat& old) {
    struct stat now;
    return fchmod(fd, old.st_mode & 07777) == 0 && fstat(fd, &now) == 0 &&
           (now.st_mode & 07777) == (old.st_mode & 07777);
}

bool copy_content(int source, int target) {
    if (ftruncate(target, 0) != 0) return false;
    off_t at = 0;
    for (;;) {
        const ssize_t n = pread(source, value, sizeof value, at);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (!write_all(target, value, static_cast<std::size_t>(n))) return false;
        at += n;
    }
}

}  // namespace

bool take_over_attributes(int fd, const char* name, const struct stat& old) {
    return same_extended_attributes(fd, name) && same_owner(fd, old) && same_mode(fd, old);
}

bool write_in_place(int source, const char* name, const struct stat& old) {
    // Never through a link, never into a FIFO planted meanwhile (O_NONBLOCK
    // keeps the open from waiting for a reader), only into the file looked at.
    const int target = open(name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (target < 0) return false;
    struct stat now;
    bool ok = fstat(target, &now) == 0 && S_ISREG(now.st_mode) && now.st_dev == old.st_dev &&
              now.st_ino == old.st_ino && now.st_nlink == 1;
    // An interrupt now would leave the old file half overwritten: the copy is
    // finished first, and the signal then ends the process as usual.
    sigset_t ending, before;
    sigemptyset(&ending);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&ending, sig);
    sigprocmask(SIG_BLOCK, &ending, &before);
    ok = ok && copy_content(source, target);
    if (close(target) != 0) ok = false;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return ok;
}
