// A thread's sleep until woken, on Linux: a private futex on the ring count.
#include "listing/doorbell.hpp"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The futex is the count itself; an atomic of 32 bits is laid out as one.
std::uint32_t* word_of(Doorbell& bell) { return reinterpret_cast<std::uint32_t*>(&bell.rings); }
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

}  // namespace

bool open_doorbell(Doorbell&) { return true; }

void close_doorbell(Doorbell&) {}

void sleep_at(Doorbell& bell, std::uint32_t seen) {
    syscall(SYS_futex, word_of(bell), FUTEX_WAIT_PRIVATE, seen, nullptr, nullptr, 0);
}

void ring_doorbell(Doorbell& bell) {
    bell.rings.fetch_add(1, std::memory_order_seq_cst);
    syscall(SYS_futex, word_of(bell), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}
