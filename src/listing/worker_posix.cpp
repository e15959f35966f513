// A second thread of the process: POSIX threads.
#include "listing/worker.hpp"

#include <pthread.h>

#include <cstring>

static_assert(sizeof(pthread_t) <= sizeof Worker::thread, "a thread id fits in a Worker");

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
    pthread_t thread;
    if (pthread_create(&thread, nullptr, run, &worker) != 0) return false;
    std::memcpy(worker.thread, &thread, sizeof thread);
    worker.started = true;
    return true;
}

void join_worker(Worker& worker) {
    if (!worker.started) return;
    pthread_t thread;
    std::memcpy(&thread, worker.thread, sizeof thread);
    pthread_join(thread, nullptr);
    worker.started = false;
}
