// Reads and writes on POSIX descriptors: EINTR is retried, and EAGAIN on a
// non-blocking descriptor waits for it to become ready instead of failing.
#include "console/stream_io.hpp"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Waits until the descriptor is ready; false when waiting itself failed.
bool wait_until_ready(int fd, short events) {
    pollfd entry{fd, events, 0};
    for (;;) {
        if (poll(&entry, 1, -1) >= 0) return true;
        if (errno != EINTR) return false;
    }
}

bool try_again(int fd, short events) {
    if (errno == EINTR) return true;
    return (errno == EAGAIN || errno == EWOULDBLOCK) && wait_until_ready(fd, events);
}

}  // namespace

bool write_all(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0) {
            if (try_again(fd, POLLOUT)) continue;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

long read_some(int fd, char* bytes, std::size_t size, bool& last) {
    last = false;  // a POSIX stream has no end-of-input byte
    for (;;) {
        const ssize_t n = read(fd, bytes, size);
        if (n >= 0) return static_cast<long>(n);
        if (!try_again(fd, POLLIN)) return -1;
    }
}

std::uint64_t stream_position(int fd) {
    const off_t at = lseek(fd, 0, SEEK_CUR);
    return at > 0 ? static_cast<std::uint64_t>(at) : 0;
}

bool is_console(int fd) { return isatty(fd) != 0; }

std::int64_t monotonic_nanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}
