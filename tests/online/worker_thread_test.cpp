// SPDX-License-Identifier: GPL-3.0-or-later
// The list download's worker threads: the body runs on a thread of its own and is done
// when joined; when no thread can be had, it still runs, in place.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "online/WorkerThread.h"

namespace pontra::test {
namespace {

TEST(WorkerThread, RunsTheBodyOnItsOwnThreadOrElseInPlace) {
    const struct {
        size_t stack;
        bool inPlace;
    } cases[] = {
        {kWorkerStackBytes, false},
        {size_t{1} << 46, true},  // a stack no system maps: no thread
    };
    for (const auto& c : cases) {
        std::atomic<bool> done{false};
        std::thread::id ranOn;
        WorkerThread worker(
            [&] {
                ranOn = std::this_thread::get_id();
                done = true;
            },
            c.stack);
        worker.Join();
        EXPECT_TRUE(done) << c.stack;
        EXPECT_EQ(worker.RanInPlace(), c.inPlace) << c.stack;
        EXPECT_EQ(ranOn == std::this_thread::get_id(), c.inPlace) << c.stack;
    }
}

} // namespace
} // namespace pontra::test
