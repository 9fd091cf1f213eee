// SPDX-License-Identifier: GPL-3.0-or-later
// Network calls that may wait seconds (a connect to a silent module, a register read,
// one TFTP block) run on a thread of their own while the model's thread keeps pumping
// the host, so the user interface stays alive. The callers run one such call at a time
// and keep the order of their steps.
#pragma once

#include <atomic>
#include <thread>
#include <type_traits>

#include "host/Host.h"

namespace pontra {

template <typename Work> auto RunPumping(Host& host, Work&& work) -> std::invoke_result_t<Work&> {
    using Result = std::invoke_result_t<Work&>;
    std::atomic<bool> done{false};
    if constexpr (std::is_void_v<Result>) {
        std::thread worker([&] {
            work();
            done = true;
        });
        while (!done) host.Wait(1);
        worker.join();
    } else {
        Result result{};
        std::thread worker([&] {
            result = work();
            done = true;
        });
        while (!done) host.Wait(1);
        worker.join();
        return result;
    }
}

} // namespace pontra
