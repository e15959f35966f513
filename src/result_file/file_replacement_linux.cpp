// A file replaced whole or not at all, on Linux. The new file is
// created exclusively beside the old one (in the temporary directory when
// the old one's directory allows no new file); where the system has
// O_TMPFILE it has no name, so an interrupted run leaves nothing behind, and
// it is linked in at the end. Where it has a name all along, every signal
// that ends the process removes it first. rename() then puts it in place of
// the old name in one step, without following a link that may stand there.
// Whatever the way, the old file is locked (flock) from the moment it is
// looked at for the last time until it has been replaced or rewritten, so
// that two runs never write into it at once nor rename over it mid-copy.
#include "result_file/file_replacement.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

#include "result_file/file_takeover_linux.hpp"

namespace {

// Every signal whose default action ends the process and which can be
// caught: the user's (interrupt and quit keys, a closed terminal, kill), a closed
// pipe, the timers, the CPU limit, the real-time ones. SIGKILL cannot be
// caught. The faults (SIGSEGV and the like) are the sanitizers' to report.
// SIGXFSZ is ignored from the start: a write past the size limit fails.
constexpr int fixed_ending_signals[] = {SIGINT,    SIGTERM, SIGHUP,  SIGQUIT, SIGPIPE, SIGALRM,
                                        SIGUSR1,   SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF, SIGPOLL,
                                        SIGSTKFLT, SIGPWR};

template <typename Each>
void for_each_ending_signal(Each each) {
    for (const int sig : fixed_ending_signals) each(sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) each(sig);
}

sigset_t ending_signals() {
    sigset_t set;
    sigemptyset(&set);
    for_each_ending_signal([&set](int sig) { sigaddset(&set, sig); });
    return set;
}

// What each signal did before the new file had a name.
struct sigaction before_naming[NSIG];

// The new file's name while it stands in a directory, for the handler.
char named_file[sizeof Replacement::temp_name];
volatile sig_atomic_t file_is_named = 0;

extern "C" void remove_named_file_and_end(int sig) {
    if (file_is_named) unlink(named_file);
    // The handler was reset to the default action and the signal is not
    // blocked in it: raising it again ends the process as the signal does.
    raise(sig);
}

void guard_name(const char* name) {
    std::memcpy(named_file, name, sizeof named_file);
    file_is_named = 1;
    struct sigaction remove{};
    remove.sa_handler = remove_named_file_and_end;
    remove.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&remove.sa_mask);
    for_each_ending_signal([&remove](int sig) {
        sigaction(sig, nullptr, &before_naming[sig]);
        // A signal the user chose to ignore (nohup) stays ignored, and one
        // the program handles itself keeps its handler.
        if (before_naming[sig].sa_handler == SIG_DFL) sigaction(sig, &remove, nullptr);
    });
}

void release_name() {
    if (!file_is_named) return;
    for_each_ending_signal([](int sig) { sigaction(sig, &before_naming[sig], nullptr); });
    file_is_named = 0;
}

enum class Standing { absent, replaceable, refused };

// Linux's protected_regular rule: in a sticky, world-writable directory such
// as /tmp, another user's file is not taken over unless the directory's
// owner owns it, since anybody may have put it there.
bool planted_in_shared_directory(const struct stat& file) {
    struct stat dir;
    if (stat(".", &dir) != 0) return true;
    const bool shared = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
    return shared && file.st_uid != geteuid() && file.st_uid != dir.st_uid;
}

// What may be replaced: nothing at all, or a regular file the user may write.
Standing look_at(const char* name, struct stat& st) {
    if (lstat(name, &st) != 0) return errno == ENOENT ? Standing::absent : Standing::refused;
    if (!S_ISREG(st.st_mode) || planted_in_shared_directory(st)) return Standing::refused;
    return faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) == 0 ? Standing::replaceable
                                                             : Standing::refused;
}

// Gives the new file a fresh name, `name` followed by what it is: a link for a file
// made by O_TMPFILE (`fd` given), or a new empty file (`fd` -1).
bool make_named(Replacement& r, const char* name, int fd, mode_t mode) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const int length = std::snprintf(r.temp_name, sizeof r.temp_name, "%s.incomplete-%ld-%u", name,
                                          static_cast<long>(getpid()), attempt);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof r.temp_name) return false;
        guard_name(r.temp_name);
        if (fd >= 0) {
            char path[64];
            std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
            if (linkat(fd, "", AT_FDCWD, r.temp_name, AT_EMPTY_PATH) == 0 ||
                linkat(AT_FDCWD, path, AT_FDCWD, r.temp_name, AT_SYMLINK_FOLLOW) == 0) {
                r.named = true;
                return true;
            }
        } else {
            r.fd = open(r.temp_name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (r.fd >= 0) {
                r.named = true;
                return true;
            }
        }
        const int error = errno;
        release_name();
        if (error != EEXIST) return false;
    }
    return false;
}

// Files from this size on are worth the measures against waiting at the end.
constexpr std::uint64_t large_file = std::uint64_t{64} << 20;

// The old file's pages in the page cache are of no more use to this run,
// and writing a new file as large while they are held makes many runs far
// slower: in make bench's row for a second run of mode 4 over 1..2e9
// (medians of five, beside primesieve writing a file as large), six series
// without dropping them took 0.46 to 1.48 s, 0.98 s in the middle, against
// 0.41 to 0.55 s with it. They are dropped (the file itself is untouched)
// on a thread of its own, joined before the replacement ends, so that the
// process has no second thread when it forks. One result file at a time,
// so one such thread.
struct PageDropper {
    std::thread thread;
    ~PageDropper() { wait(); }
    void wait() {
        if (thread.joinable()) thread.join();
    }
};
PageDropper page_dropper;

void drop_cached_pages_of(const char* name, const struct stat& old, std::uint64_t expected_size) {
    if (static_cast<std::uint64_t>(old.st_size) < large_file || expected_size < large_file) return;
    const int fd = open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
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
    const unsigned a = static_cast<unsigned>(std::min(one, other)), b = static_cast<unsigned>(std::max(one, other));
    // Descriptors from `first` up to, not including, `end`.
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
// file: the last holder to close a file is the one that frees it.
bool close_in_other_process(int fd) {
    int gate[2];
    if (pipe2(gate, O_CLOEXEC) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
        // Of the descriptors, the helper keeps the file and its end of the
        // pipe: holding standard output, say, would keep a reader at the
        // other end of a pipe waiting for it.
        keep_only(fd, gate[0]);
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            char byte;
            while (read(gate[0], &byte, 1) < 0 && errno == EINTR) {
            }
            close(fd);
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

// The old file, held open across the rename, is freed when let go of. For a
// large file that takes the system a while, and a process waits at its end
// for its files to be freed: another process lets go of it, so that neither
// the end of the run nor the end of the program waits for it. Measured
// whole, a second run of mode 4 over 1..2e9 (a 1 GB file replaced) takes
// 1.8 to 1.9 times as long when this process closes it itself (a thread of
// its own gains nothing: the process waits for it at its end), mode 2 over
// 1..5e8 1.2 times. Where no process can be made, it is closed here.
void let_go_of_old_file(int fd) {
    if (!close_in_other_process(fd)) close(fd);
}

// The room given up front beyond the content goes back.
// Should that fail, the room stays allocated past the end: harmless.
void drop_unused_room(const Replacement& r) {
    struct stat st;
    if (!r.preallocated || fstat(r.fd, &st) != 0) return;
    [[maybe_unused]] const int ignored = ftruncate(r.fd, st.st_size);
}

bool can_link_unnamed() {
    struct stat st;
    return stat("/proc/self/fd", &st) == 0;
}

// The system's temporary directory, where the new file goes when the old
// one's directory takes no new file.
const char* temporary_directory() {
    const char* dir = std::getenv("TMPDIR");
    return dir != nullptr && dir[0] == '/' ? dir : "/tmp";
}

// A new file in the temporary directory, only ever copied into the old file.
bool begin_elsewhere(Replacement& r, const char* name) {
    const char* dir = temporary_directory();
    if (can_link_unnamed()) r.fd = open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (r.fd < 0) {
        // A directory whose path leaves no room for the name is not used cut short.
        char in_dir[sizeof r.temp_name];
        const int length = std::snprintf(in_dir, sizeof in_dir, "%s/%s", dir, name);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof in_dir || !make_named(r, in_dir, -1, 0600))
            return false;
    }
    r.elsewhere = true;
    return true;
}

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The old file, open for writing and locked against every other run's
// replacement of it; -1 when what stands at `name` is no longer it (then
// look again). A run that holds the lock finishes within moments.
int lock_old_file(const char* name, const struct stat& old) {
    const int fd = open(name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat held, now;
    int locked;
    while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    // The file may have been replaced while this run waited for it.
    if (locked == 0 && fstat(fd, &held) == 0 && same_file(held, old) && lstat(name, &now) == 0 &&
        same_file(now, old))
        return fd;
    close(fd);
    return -1;
}

// The new file's content goes into the old file `target`; the new file is
// dropped. Every ending signal waits until the copy is done, so that it
// never leaves the old file half overwritten.
bool replace_in_place(Replacement& r, int target) {
    const sigset_t ending = ending_signals();
    sigset_t before;
    sigprocmask(SIG_BLOCK, &ending, &before);
    const bool ok = write_in_place(r.fd, target);
    abandon_replacement(r);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return ok;
}

// Renames the new file over `name`. False, the new file kept, when the
// directory refuses.
bool move_into_place(Replacement& r, const char* name) {
    drop_unused_room(r);
    if (!r.named && !make_named(r, name, r.fd, 0)) return false;
    if (rename(r.temp_name, name) != 0) return false;
    release_name();
    r.named = false;
    close(r.fd);
    r.fd = -1;
    return true;
}

enum class Outcome { done, failed, look_again };

// The end of the run over the old file `old`, locked as `target`, which
// this closes (or, replaced and large, hands on to be let go of).
Outcome replace_locked(Replacement& r, const char* name, int target, const struct stat& old) {
    // A file with another name too is not written through: this name gets
    // the new file and the other keeps its content.
    const bool alone = old.st_nlink == 1;
    bool renamed = false;
    if (!r.elsewhere) {
        const bool taken_over = take_over_attributes(r.fd, name, old);
        if (!taken_over && !alone) take_over_what_may_be(r.fd, name, old);
        renamed = (taken_over || !alone) && move_into_place(r, name);
    }
    if (renamed && static_cast<std::uint64_t>(old.st_size) >= large_file) {
        let_go_of_old_file(target);
        return Outcome::done;
    }
    // Otherwise, and where the directory lets the user write the file but
    // not replace it (a sticky one that is not the user's, or one that
    // takes no new file at all), the old file takes the content.
    const bool ok = renamed || (r.fd >= 0 && alone && replace_in_place(r, target));
    close(target);
    return ok ? Outcome::done : Outcome::failed;
}

Outcome finish_once(Replacement& r, const char* name) {
    // What stands at `name` may have changed during a long run: look again.
    struct stat old;
    const Standing standing = look_at(name, old);
    if (standing == Standing::refused || (standing == Standing::absent && r.elsewhere)) return Outcome::failed;
    if (standing == Standing::absent) return move_into_place(r, name) ? Outcome::done : Outcome::failed;
    const int target = lock_old_file(name, old);
    return target < 0 ? Outcome::look_again : replace_locked(r, name, target, old);
}

}  // namespace

bool begin_replacement(Replacement& r, const char* name, std::uint64_t expected_size) {
    page_dropper.wait();
    r = Replacement{};
    struct stat old;
    const Standing standing = look_at(name, old);
    if (standing == Standing::refused) return false;
    // Until the end, the new file is no more open to others than the old one.
    const mode_t mode = standing == Standing::replaceable ? (old.st_mode & 0777) : 0666;
    if (can_link_unnamed()) r.fd = open(".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (r.fd < 0 && !make_named(r, name, -1, mode))
        return standing == Standing::replaceable && begin_elsewhere(r, name);
    // A rename over an existing file makes ext4 allocate the new file's
    // delayed blocks there and then (auto_da_alloc): for a large file the
    // user would wait for that at the end. Blocks given up front have
    // nothing left to allocate: without them, a second run of mode 4 over
    // 1..2e9 takes 1.48 times as long, of mode 2 over 1..5e8 1.41 times.
    // Failure only costs that time.
    if (standing == Standing::replaceable && expected_size >= large_file)
        r.preallocated = fallocate(r.fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(expected_size)) == 0;
    if (standing == Standing::replaceable) drop_cached_pages_of(name, old, expected_size);
    return true;
}

bool finish_replacement(Replacement& r, const char* name) {
    page_dropper.wait();
    Outcome outcome = Outcome::look_again;
    for (unsigned attempt = 0; attempt < 100 && outcome == Outcome::look_again; ++attempt)
        outcome = finish_once(r, name);
    if (outcome != Outcome::done) abandon_replacement(r);
    return outcome == Outcome::done;
}

void abandon_replacement(Replacement& r) {
    page_dropper.wait();
    if (r.fd >= 0) close(r.fd);
    if (r.named) unlink(r.temp_name);
    release_name();
    r = Replacement{};
}
