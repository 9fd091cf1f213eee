// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/EventQueue.h"

namespace pontra {

void EventQueue::Push(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(work));
    }
    ready_.notify_all();
}

size_t EventQueue::RunPending() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(items_);
    }
    for (auto& work : batch) work();
    return batch.size();
}

bool EventQueue::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return ready_.wait_for(lock, timeout, [this] { return !items_.empty(); });
}

bool EventQueue::Empty() const {
    std::lock_guard lock(mutex_);
    return items_.empty();
}

}  // namespace pontra
