// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/WorkerThread.h"

#include <system_error>
#include <thread>

#if !defined(_WIN32)
#include <pthread.h>
#endif

namespace pontra {

#if defined(_WIN32)

struct WorkerThread::Native {
    std::thread thread;
};

WorkerThread::WorkerThread(std::function<void()> body, size_t) {
    try {
        native_ = std::make_unique<Native>(Native{std::thread(body)});
    } catch (const std::system_error&) {
        ranInPlace_ = true;
        body();
    }
}

void WorkerThread::Join() {
    if (native_ && native_->thread.joinable()) native_->thread.join();
}

#else

struct WorkerThread::Native {
    pthread_t thread{};
    bool joinable = false;
};

namespace {

void* Trampoline(void* argument) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
    return nullptr;
}

} // namespace

WorkerThread::WorkerThread(std::function<void()> body, size_t stackBytes) : native_(std::make_unique<Native>()) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    pthread_attr_t attributes;
    bool started = false;
    if (pthread_attr_init(&attributes) == 0) {
        pthread_attr_setstacksize(&attributes, stackBytes);
        started = pthread_create(&native_->thread, &attributes, Trampoline, owned.get()) == 0;
        pthread_attr_destroy(&attributes);
    }
    if (started) {
        owned.release(); // the thread owns it now
        native_->joinable = true;
        return;
    }
    ranInPlace_ = true;
    (*owned)();
}

void WorkerThread::Join() {
    if (!native_->joinable) return;
    pthread_join(native_->thread, nullptr);
    native_->joinable = false;
}

#endif

WorkerThread::~WorkerThread() {
    Join();
}

} // namespace pontra
