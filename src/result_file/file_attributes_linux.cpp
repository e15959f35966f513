// Carrying a file's owner, mode and extended attributes over.
#include "result_file/file_attributes_linux.hpp"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// Lists of attribute names and one value; a file with more than these hold
// is written in place instead.
struct AttributeBuffers {
    std::vector<char> old_names = std::vector<char>(16384), new_names = std::vector<char>(16384),
                      value = std::vector<char>(65536);
};

// A file system without extended attributes has none to carry over.
long names_listed(long size) {
    return size < 0 && errno == ENOTSUP ? 0 : size;
}

template <typename Each>
bool each_name(const std::vector<char>& names, long size, Each each) {
    for (long at = 0; at < size; at += static_cast<long>(std::strlen(names.data() + at)) + 1)
        if (!each(names.data() + at)) return false;
    return true;
}

bool listed(const std::vector<char>& names, long size, const char* wanted) {
    return !each_name(names, size,
                      [wanted](const char* name) { return std::strcmp(name, wanted) != 0; });
}

bool same_extended_attributes(int fd, int old) {
    AttributeBuffers b;
    const long old_size = names_listed(flistxattr(old, b.old_names.data(), b.old_names.size()));
    const long new_size = names_listed(flistxattr(fd, b.new_names.data(), b.new_names.size()));
    if (old_size < 0 || new_size < 0) return false;
    const bool copied = each_name(b.old_names, old_size, [&](const char* name) {
        const ssize_t length = fgetxattr(old, name, b.value.data(), b.value.size());
        return length >= 0 &&
               fsetxattr(fd, name, b.value.data(), static_cast<size_t>(length), 0) == 0;
    });
    // What the new file got by itself, such as a directory's default ACL, goes.
    return copied && each_name(b.new_names, new_size, [&](const char* name) {
               return listed(b.old_names, old_size, name) || fremovexattr(fd, name) == 0;
           });
}

bool same_owner(int fd, const struct stat& old) {
    struct stat now;
    if (fstat(fd, &now) != 0) return false;
    return (now.st_uid == old.st_uid && now.st_gid == old.st_gid) ||
           fchown(fd, old.st_uid, old.st_gid) == 0;
}

// As another user: the old file's group, where it is one of the user's.
bool same_group(int fd, const struct stat& old) {
    return fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
}

// Last, since a change of owner clears the set-user and set-group bits.
bool same_mode(int fd, const struct stat& old) {
    struct stat now;
    return fchmod(fd, old.st_mode & 07777) == 0 && fstat(fd, &now) == 0 &&
           (now.st_mode & 07777) == (old.st_mode & 07777);
}

}  // namespace

bool carry_attributes(int fd, int old) {
    struct stat st;
    return fstat(old, &st) == 0 && same_extended_attributes(fd, old) && same_owner(fd, st) &&
           same_mode(fd, st);
}

void carry_permitted_attributes(int fd, int old) {
    struct stat st;
    if (fstat(old, &st) != 0) return;
    same_extended_attributes(fd, old);
    if (!same_owner(fd, st)) same_group(fd, st);
    same_mode(fd, st);
}
