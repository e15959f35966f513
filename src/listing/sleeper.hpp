// One side of the two-thread listing that may have to wait for the other:
// it spins a moment, then sleeps at its doorbell until the other side's
// progress has reached what it asked for. The other side looks at one flag
// after each step of progress, and rings only for a sleeper whose wish it
// has met, so its fast path stays a store and a load.
#pragma once

#include <atomic>
#include <cstdint>

#include "listing/doorbell.hpp"

struct Sleeper {
    Doorbell bell;
    std::atomic<bool> asleep{false};
    std::atomic<std::uint64_t> wants{0};  // the progress to wake it at
};

// About 2 microseconds of looking before a sleep (a look at a line no
// other core is writing takes 0.26 ns here): a wait that short is not worth
// a system call each way.
constexpr unsigned spin_before_sleep = 8000;

// Wakes the sleeper, whatever it wants.
inline void wake(Sleeper& sleeper) {
    if (sleeper.asleep.exchange(false, std::memory_order_seq_cst)) ring_doorbell(sleeper.bell);
}

// After the other side stored its progress (memory_order_seq_cst): wakes
// the sleeper when it wants no more, or whatever it wants when `finished`.
inline void progress_made(Sleeper& sleeper, std::uint64_t progress, bool finished = false) {
    if (!sleeper.asleep.load(std::memory_order_seq_cst)) return;
    if (finished || progress >= sleeper.wants.load(std::memory_order_relaxed)) wake(sleeper);
}

// Returns once `ready()`. A sleep asks to be woken once the other side's
// progress reaches `wants`, which must be at least what makes ready() true
// and no more than the other side reaches before it may itself wait; a
// `partner` that may be asleep wishing for more than this side has given
// it is woken first, so that the two never sleep at once. ready() reads
// the progress with memory_order_seq_cst, as it is stored: then either the
// sleeper sees the progress or the other side sees it asleep.
template <typename Ready>
void wait_for(Sleeper& sleeper, std::uint64_t wants, Ready ready, Sleeper* partner = nullptr) {
    for (unsigned spin = 0; spin < spin_before_sleep; ++spin)
        if (ready()) return;
    while (!ready()) {
        const std::uint32_t seen = sleeper.bell.rings.load(std::memory_order_seq_cst);
        sleeper.wants.store(wants, std::memory_order_relaxed);
        sleeper.asleep.store(true, std::memory_order_seq_cst);
        if (partner != nullptr) wake(*partner);
        if (!ready()) sleep_at(sleeper.bell, seen);
        sleeper.asleep.store(false, std::memory_order_seq_cst);
    }
}
