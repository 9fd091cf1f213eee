// SPDX-License-Identifier: GPL-3.0-or-later
// A joinable thread with a small stack for the list download, which starts one per
// module, up to 256 at once: with the system's default stack (8 MB on Linux), mapping and
// unmapping the stacks took longer than the downloads themselves.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace pontra {

// The workers keep a few packets and sockets on their stacks.
constexpr size_t kWorkerStackBytes = 256 * 1024;

class WorkerThread {
public:
    // Runs `body` on a new thread; when no thread can be started, runs it here and now
    // instead, so that the work is still done (one after another).
    explicit WorkerThread(std::function<void()> body, size_t stackBytes = kWorkerStackBytes);
    // Joins.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void Join();
    bool RanInPlace() const { return ranInPlace_; }

private:
    struct Native;
    std::unique_ptr<Native> native_;
    bool ranInPlace_ = false;
};

} // namespace pontra
