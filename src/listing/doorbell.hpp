// A thread's sleep until another thread wakes it, through the platform's
// own means: a futex on Linux, an auto-reset event on Windows (which
// Windows XP has; WaitOnAddress came with Windows 8).
#pragma once

#include <atomic>
#include <cstdint>

struct Doorbell {
    std::atomic<std::uint32_t> rings{0};  // how often it was rung
    void* event = nullptr;                // Windows: the event
};

// Makes the bell ready for use, and lets its resources go; false when the
// system has none to give (the caller then works on one thread).
bool open_doorbell(Doorbell& bell);
void close_doorbell(Doorbell& bell);

// Sleeps until the bell is rung, unless it has been rung since `rings`
// read `seen`; it may also return early, so the caller looks again.
void sleep_at(Doorbell& bell, std::uint32_t seen);

// Wakes the thread that sleeps at the bell, or makes its next sleep end
// at once.
void ring_doorbell(Doorbell& bell);
