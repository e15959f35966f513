// A second thread of the process: POSIX threads.
#include "listing/worker.hpp"

#include <pthread.h>

namespace {

void* run(void* started) {
    const Worker& worker = *static_cast<const Worker*>(started);
    worker.work(worker.arg);
    return nullptr;
}

}  // namespace

bool start_worker(Worker& worker, void (*work)(void*), void* arg) {
    worker.work = work;
    worker.arg = arg;
    static pthread_t thread;
    if (pthread_create(&thread, nullptr, run, &worker) != 0) return false;
    worker.handle = &thread;
    return true;
}

void join_worker(Worker& worker) {
    if (worker.handle == nullptr) return;
    pthread_join(*static_cast<pthread_t*>(worker.handle), nullptr);
    worker.handle = nullptr;
}
