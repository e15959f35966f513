// What keeps replacing a large result file off the user's path on Linux.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>

#include "result_file/replacement_speed.hpp"

namespace {

// Files from this size on are worth the measures against waiting at the end.
constexpr std::uint64_t large_file = std::uint64_t{64} << 20;

std::uint64_t size_of(int fd) {
    struct stat st;
    return fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)
               ? static_cast<std::uint64_t>(st.st_size)
               : 0;
}

// One result file at a time: the room given to it, and the thread that
// drops the old file's cached pages, joined before the end so that the
// process has no second thread when it forks.
bool room_given = false;
struct PageDropper {
    std::thread thread;
    ~PageDropper() { wait(); }
    void wait() {
        if (thread.joinable()) thread.join();
    }
} page_dropper;

// The old file's pages in the page cache are of no more use to this run,
// and writing a new file as large while they are held makes many runs far
// slower: a second run of mode 4 over 1..2e9, beside primesieve writing a
// file as large, takes 1.7 to 3.5 times as long without dropping them
// (medians of three series of seven; single runs up to 2.9 s against 0.4 s),
// mode 2 over 1..5e8 0.92 to 0.95 times. The file itself is untouched.
void drop_cached_pages(int fd) {
    const auto drop = [fd] {
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        close(fd);
    };
    try {
        page_dropper.thread = std::thread(drop);
    } catch (const std::system_error&) {
        drop();
    }
}

// Closes every descriptor but two.
void keep_only(int one, int other) {
    const unsigned a = static_cast<unsigned>(std::min(one, other)),
                   b = static_cast<unsigned>(std::max(one, other));
    const auto close_below = [](unsigned first, unsigned end) {
        return first >= end || close_range(first, end - 1, 0) == 0;
    };
    if (close_below(0, a) && close_below(a + 1, b) && close_below(b + 1, ~0u)) return;
    const long open_max = sysconf(_SC_OPEN_MAX);
    for (int d = 0; d < (open_max > 0 && open_max < 65536 ? open_max : 65536); ++d)
        if (d != one && d != other) close(d);
}

// Hands the file to a process of its own, which closes it after this one
// has, and ends; false when no such process could be made. A grandchild
// does it, adopted by init at once, so that nothing waits for it and no
// zombie is left. It waits on a pipe that this process closes after the
// file: the last holder to close a file is the one that frees it. Of the
// descriptors it keeps the file and its end of the pipe: holding standard
// output, say, would keep a reader at the other end of a pipe waiting.
bool close_in_other_process(int fd) {
    int gate[2];
    if (pipe2(gate, O_CLOEXEC) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
        keep_only(fd, gate[0]);
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            char byte;
            while (read(gate[0], &byte, 1) < 0 && errno == EINTR) {
            }
            _exit(0);
        }
        _exit(grandchild > 0 ? 0 : 1);
    }
    close(gate[0]);
    int status = 0;
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool handed = child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (handed) close(fd);
    close(gate[1]);
    return handed;
}

}  // namespace

void speed_up_start(const Replacement& r, const char* name, std::uint64_t expected_size) {
    page_dropper.wait();
    room_given = false;
    if (expected_size < large_file || r.elsewhere) return;
    const int old = open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const std::uint64_t old_size = size_of(old);
    // A rename over an existing file makes ext4 allocate the new file's
    // delayed blocks there and then (auto_da_alloc): for a large file the
    // user would wait for that at the end. Blocks given up front have
    // nothing left to allocate: without them, a second run of mode 4 over
    // 1..2e9 takes 1.8 to 2.1 times as long, of mode 2 over 1..5e8 1.6 times.
    if (old >= 0)
        room_given =
            fallocate(r.fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(expected_size)) == 0;
    if (old_size >= large_file)
        drop_cached_pages(old);
    else if (old >= 0)
        close(old);
}

// The room given beyond the content goes back; should that fail, it stays
// allocated past the end, which harms nothing.
void speed_up_end(const Replacement& r) {
    page_dropper.wait();
    struct stat st;
    if (room_given && r.fd >= 0 && fstat(r.fd, &st) == 0) {
        [[maybe_unused]] const int ignored = ftruncate(r.fd, st.st_size);
    }
    room_given = false;
}

// The old file, held open across the rename, is freed when let go of. For a
// large file that takes the system a while, and a process waits at its end
// for its files to be freed: another process lets go of it, so that neither
// the end of the run nor the end of the program waits for it. Without it a
// second run of mode 4 over 1..2e9 (a 1 GB file replaced) takes 1.4 to 1.6
// times as long, mode 2 over 1..5e8 1.1 times; a thread of its own gains
// nothing over closing it here (1.56 and 1.11), as the process waits for
// it at its end. Where no process can be made, it is closed here.
void let_go_of_old_file(Replacement& r) {
    const int fd = static_cast<int>(r.old);
    if (size_of(fd) >= large_file && close_in_other_process(fd)) r.old = -1;
}
