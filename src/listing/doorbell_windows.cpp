// A thread's sleep until woken, on Windows: an auto-reset event, which
// stays set for a sleep that comes after the ring.
#include "listing/doorbell.hpp"

#include <windows.h>

bool open_doorbell(Doorbell& bell) {
    bell.event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return bell.event != nullptr;
}

void close_doorbell(Doorbell& bell) {
    if (bell.event != nullptr) CloseHandle(bell.event);
    bell.event = nullptr;
}

void sleep_at(Doorbell& bell, std::uint32_t) { WaitForSingleObject(bell.event, INFINITE); }

void ring_doorbell(Doorbell& bell) {
    bell.rings.fetch_add(1, std::memory_order_seq_cst);
    SetEvent(bell.event);
}
