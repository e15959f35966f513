// Carrying a file's owner, mode and extended attributes over to the file that
// replaces it, and the fallback of writing into the old file in place.
#include "result_file/file_takeover_linux.hpp"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

bool same_group(int fd, const struct stat& old) { return fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0; }

// Last, since a change of owner clears the set-user and set-group bits.
bool same_mode(int fd, const struct stat& old) {
    struct stat now;
    return fchmod(fd, old.st_mode & 07777) == 0 && fstat(fd, &now) == 0 &&
           (now.st_mode & 07777) == (old.st_mode & 07777);
}

// Copies the bytes from `from` up to `to` of `source` to the same places in `target`.
bool copy_range(int source, int target, off_t from, off_t to) {
    while (from < to) {
        const std::size_t want = static_cast<std::size_t>(std::min<off_t>(to - from, sizeof value));
        const ssize_t got = pread(source, value, want, from);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) continue;
            return false;
        }
        for (ssize_t put = 0; put < got;) {
            const ssize_t n = pwrite(target, value + put, static_cast<std::size_t>(got - put), from + put);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            put += n;
        }
        from += got;
    }
    return true;
}

// Back to the old length after a failure before the old bytes were touched.
// Room reserved past the end goes with it where the file system drops it
// at an unchanged length; elsewhere it stays reserved, which harms nothing.
bool give_back(int target, off_t old_size) {
    [[maybe_unused]] const int ignored = ftruncate(target, old_size);
    return false;
}

}  // namespace

bool take_over_attributes(int fd, const char* name, const struct stat& old) {
    return same_extended_attributes(fd, name) && same_owner(fd, old) && same_mode(fd, old);
}

void take_over_what_may_be(int fd, const char* name, const struct stat& old) {
    same_extended_attributes(fd, name);
    if (!same_owner(fd, old)) same_group(fd, old);
    same_mode(fd, old);
}

bool write_in_place(int source, int target) {
    struct stat content, now;
    if (fstat(source, &content) != 0 || fstat(target, &now) != 0) return false;
    const off_t size = content.st_size, old_size = now.st_size;
    // Reserving also fills any holes of a sparse old file. Without it (NFS
    // before 4.2, some FUSE file systems) the tail written first is the
    // test: overwriting the old bytes needs no new room.
    if (size > 0 && fallocate(target, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS)
        return give_back(target, old_size);
    if (size > old_size && !copy_range(source, target, old_size, size)) return give_back(target, old_size);
    return copy_range(source, target, 0, std::min(size, old_size)) && ftruncate(target, size) == 0 &&
           fdatasync(target) == 0;
}
