// SPDX-License-Identifier: GPL-3.0-or-later
// Live values: from the poll timer of the debug monitor to data-valid, on a soft module
// whose tag memory is (nearly) the whole 10,000 bytes: ten reads of 1,000 bytes, which the
// datagram worker sends no faster than one every 10 ms.
#include "OnlineRig.h"
#include "online/DownloadProgram.h"
#include "online/OnlineSession.h"
#include "online/StartDebugging.h"

namespace pontra::bench {
namespace {

using namespace std::chrono_literals;

void BM_PollToDataValid(benchmark::State& state) {
    OnlineRig rig;
    std::string error;
    // 200 rungs and a DINT array: 9,988 bytes of tag memory
    if (!rig.MakeProject({200, 9500}, error) || !rig.StartModules(1))
        return state.SkipWithError(("set-up failed: " + error).c_str());
    rig.frame.online().restartWaitMs = 50;
    rig.host.defaultAnswer = true;
    if (!DownloadProgram(rig.frame) || !StartDebugging(rig.frame) ||
        !rig.host.PumpUntil([&] { return !rig.frame.online().AwaitingStart(); }, 10s) || !rig.frame.debugMode)
        return state.SkipWithError("could not go online");
    OnlineSession& online = rig.frame.online();
    const auto tagBytes = static_cast<double>(online.TagMemory().size());

    std::vector<double> times;
    for (auto _ : state) {
        const uint64_t before = online.CompleteReads();
        const auto start = Clock::now();
        rig.host.FireTimer(kPollTimer);
        if (!rig.host.PumpUntil([&] { return online.CompleteReads() > before; }, 3s) || !online.DataValid())
            return state.SkipWithError("no complete read of the tag memory");
        const double took = Milliseconds(Clock::now() - start);
        state.SetIterationTime(took / 1000);
        times.push_back(took);
    }
    online.StopDebugging();
    rig.host.PumpUntil(
        [&] {
            rig.host.FireTimer(kStopTimer);
            return rig.frame.debugMode == 0;
        },
        3s);
    state.counters["poll_to_valid_ms"] = benchmark::Counter(Median(times));  // of the iterations
    state.counters["target_ms"] = benchmark::Counter(150);
    state.counters["tag_bytes"] = benchmark::Counter(tagBytes);
}
BENCHMARK(BM_PollToDataValid)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pontra::bench
