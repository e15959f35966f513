// A second thread of the process, through the platform's own threads (the
// 32-bit Windows build's standard library has none).
#pragma once

// One at a time; it must stay in place until joined.
struct Worker {
    void (*work)(void*) = nullptr;
    void* arg = nullptr;
    bool started = false;
    // The platform's thread (a pthread_t, a HANDLE), in bytes of its own.
    alignas(8) unsigned char thread[8] = {};
};

// Starts `work(arg)` on a thread of its own; false when none could be made.
bool start_worker(Worker& worker, void (*work)(void*), void* arg);

// Waits for the thread to end.
void join_worker(Worker& worker);
