// A second thread of the process: CreateThread.
#include "range/worker.hpp"

#include <windows.h>

namespace {

struct Start {
    void (*work)(void*);
    void* arg;
};

Start start;

DWORD WINAPI run(void*) {
    start.work(start.arg);
    return 0;
}

}  // namespace

bool start_worker(Worker& worker, void (*work)(void*), void* arg) {
    start = {work, arg};
    worker.handle = CreateThread(nullptr, 0, run, nullptr, 0, nullptr);
    return worker.handle != nullptr;
}

void join_worker(Worker& worker) {
    if (worker.handle == nullptr) return;
    WaitForSingleObject(worker.handle, INFINITE);
    CloseHandle(worker.handle);
    worker.handle = nullptr;
}

void yield_processor() { SwitchToThread(); }
