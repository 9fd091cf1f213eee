// SPDX-License-Identifier: GPL-3.0-or-later
// A thread-safe queue of work for the model's thread, with a wait that wakes when work
// arrives. Hosts build their event delivery on it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace pontra {

class EventQueue {
public:
    void Push(std::function<void()> work);
    // Runs every item queued so far (items posted meanwhile wait for the next call).
    // Returns how many ran.
    size_t RunPending();
    // Blocks until an item is queued or the time passes; true when one is queued.
    bool WaitFor(std::chrono::milliseconds timeout);
    bool Empty() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> items_;
};

}  // namespace pontra
