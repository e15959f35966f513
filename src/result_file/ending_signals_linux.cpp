// The signals that end the process, against a named new file.
#include "result_file/ending_signals_linux.hpp"

#include <signal.h>
#include <unistd.h>

#include <cstring>

namespace {

// Every signal whose default action ends the process and which can be
// caught: the user's (interrupt and quit keys, a closed terminal, kill), a
// closed pipe, the timers, the CPU limit, the real-time ones. SIGKILL cannot
// be caught. The faults (SIGSEGV and the like) are the sanitizers' to
// report. SIGXFSZ is ignored from the start: a write past the size limit fails.
constexpr int fixed_ending_signals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGPIPE,
                                        SIGALRM, SIGUSR1, SIGUSR2,   SIGXCPU, SIGVTALRM,
                                        SIGPROF, SIGPOLL, SIGSTKFLT, SIGPWR};

template <typename Each>
void for_each_ending_signal(Each each) {
    for (const int sig : fixed_ending_signals) each(sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) each(sig);
}

// What each signal did before the name was guarded, and the mask before
// the signals were held back: one result file at a time.
struct sigaction before_guard[NSIG];
sigset_t before_hold;

// The name while it stands in a directory, for the handler.
char guarded_name[256];
volatile sig_atomic_t name_is_guarded = 0;

extern "C" void remove_name_and_end(int sig) {
    if (name_is_guarded) unlink(guarded_name);
    // The handler was reset to the default action and the signal is not
    // blocked in it: raising it again ends the process as the signal does.
    raise(sig);
}

}  // namespace

void remove_on_ending_signal(const char* name) {
    std::strncpy(guarded_name, name, sizeof guarded_name - 1);
    name_is_guarded = 1;
    struct sigaction remove {};
    remove.sa_handler = remove_name_and_end;
    remove.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&remove.sa_mask);
    for_each_ending_signal([&remove](int sig) {
        sigaction(sig, nullptr, &before_guard[sig]);
        // A signal the user chose to ignore (nohup) stays ignored, and one
        // the program handles itself keeps its handler.
        if (before_guard[sig].sa_handler == SIG_DFL) sigaction(sig, &remove, nullptr);
    });
}

void keep_on_ending_signal() {
    if (!name_is_guarded) return;
    for_each_ending_signal([](int sig) { sigaction(sig, &before_guard[sig], nullptr); });
    name_is_guarded = 0;
}

void hold_ending_signals_back() {
    sigset_t ending;
    sigemptyset(&ending);
    for_each_ending_signal([&ending](int sig) { sigaddset(&ending, sig); });
    sigprocmask(SIG_BLOCK, &ending, &before_hold);
}

void let_ending_signals_through() {
    sigprocmask(SIG_SETMASK, &before_hold, nullptr);
}
