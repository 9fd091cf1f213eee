// SPDX-License-Identifier: GPL-3.0-or-later
// Scenario tests on the simulated clock: a ten-minute scenario of the 2,000-rung line
// program at a 10 ms scan (60,000 scans), from checking the file to the last
// expectation. Target: over 20,000 scans a second.
#include <benchmark/benchmark.h>

#include "OnlineRig.h"
#include "scenario/ScenarioSuite.h"
#include "scenario/SimulatedModuleFactory.h"

namespace pontra::bench {
namespace {

constexpr const char* kTenMinutes =
    "TEST \"ten minutes of the line program\"\n"
    "    SET B0 = 1\n"
    "    RUN 5 min\n"
    "    EXPECT Scans = 30000\n"
    "    SET B0 = 0\n"
    "    RUN 5 min\n"
    "    EXPECT Scans = 60000\n"
    "END\n";

void BM_TenMinuteScenario(benchmark::State& state) {
    OnlineRig rig;
    std::string error;
    if (!rig.MakeProject({2000, 0}, error)) return state.SkipWithError(("set-up failed: " + error).c_str());
    auto module = scenario::MakeSimulatedModule(rig.frame, 10);
    if (!module) return state.SkipWithError("the program did not build");
    scenario::ScenarioSuite suite;
    std::vector<scenario::ScenarioError> errors;
    if (!suite.LoadText(kTenMinutes, "ten.test", errors) || !suite.Bind(rig.frame.project(), errors))
        return state.SkipWithError(("scenario error: " + errors.front().Text()).c_str());
    uint64_t scans = 0;
    for (auto _ : state) {
        const uint64_t before = module->ScansRun();
        const auto results = suite.Run(*module);
        if (results.size() != 1 || !results[0].Passed())
            return state.SkipWithError(("the scenario failed: " +
                                        (results.empty() ? std::string("no result") : results[0].failures[0].Text()))
                                           .c_str());
        scans += module->ScansRun() - before;
    }
    state.counters["scans"] = Figure(static_cast<double>(scans));
    // per second of processor time: on a shared machine the wall clock measures the load
    state.counters["scans_per_second"] = benchmark::Counter(static_cast<double>(scans), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TenMinuteScenario)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pontra::bench
