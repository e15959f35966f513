// A second thread of the process: CreateThread.
#include "listing/worker.hpp"

#include <windows.h>

#include <cstring>

static_assert(sizeof(HANDLE) <= sizeof Worker::thread, "a thread handle fits in a Worker");

namespace {

DWORD WINAPI run(void* started) {
    const Worker& worker = *static_cast<const Worker*>(started);
    worker.work(worker.arg);
    return 0;
}

}  // namespace

bool start_worker(Worker& worker, void (*work)(void*), void* arg) {
    worker.work = work;
    worker.arg = arg;
    const HANDLE thread = CreateThread(nullptr, 0, run, &worker, 0, nullptr);
    if (thread == nullptr) return false;
    std::memcpy(worker.thread, &thread, sizeof thread);
    worker.started = true;
    return true;
}

void join_worker(Worker& worker) {
    if (!worker.started) return;
    HANDLE thread;
    std::memcpy(&thread, worker.thread, sizeof thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    worker.started = false;
}
