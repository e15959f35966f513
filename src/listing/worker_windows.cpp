// A second thread of the process: CreateThread.
#include "listing/worker.hpp"

#include <windows.h>

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
    worker.handle = CreateThread(nullptr, 0, run, &worker, 0, nullptr);
    return worker.handle != nullptr;
}

void join_worker(Worker& worker) {
    if (worker.handle == nullptr) return;
    WaitForSingleObject(worker.handle, INFINITE);
    CloseHandle(worker.handle);
    worker.handle = nullptr;
}
