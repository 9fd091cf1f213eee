// SPDX-License-Identifier: GPL-3.0-or-later
// List download at line scale: "Download to All Modules" to N soft modules of one
// pontra-sim process, against the same command to one of them, in the same iteration.
// The whole command is timed as the user waits for it: verify, build, then one worker per
// module (ping, connect, identity registers, TFTP upload of the image with its CRC).
#include "OnlineRig.h"
#include "online/ModuleList.h"

namespace pontra::bench {
namespace {

// The program of a zone module on a line: 200 rungs, an image of about 4.5 KB.
constexpr LineProgram kZoneModule{200, 0};

bool DownloadTo(OnlineRig& rig, int count, std::string& error) {
    ModuleListDialog dialog(rig.frame);
    dialog.addresses.clear();
    for (int i = 0; i < count; ++i) dialog.addresses.push_back(rig.sim.Address(i));
    if (dialog.DownloadToAllModules()) return true;
    for (const auto& line : dialog.output)
        if (line.find(" OK") == std::string::npos) error += line + "; ";
    return false;
}

// Per iteration: the download to the first module alone and to all N, in turns first.
// Single downloads vary from 3 to 15 ms on the shared machine, so the figures are the
// medians of the iterations, after one download to all that is not counted.
void BM_DownloadToAllModules(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    OnlineRig rig;
    std::string error;
    if (!rig.MakeProject(kZoneModule, error) || !rig.StartModules(count) || !DownloadTo(rig, count, error))
        return state.SkipWithError(("set-up failed: " + error).c_str());
    std::vector<double> one, all, cpu;
    bool oneFirst = true;
    for (auto _ : state) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool alone = (turn == 0) == oneFirst;
            const double cpuBefore = OwnCpuSeconds() + CpuSeconds(rig.sim.Pid());
            const auto start = Clock::now();
            if (!DownloadTo(rig, alone ? 1 : count, error))
                return state.SkipWithError(((alone ? "one module: " : "all modules: ") + error).c_str());
            const double took = Milliseconds(Clock::now() - start);
            (alone ? one : all).push_back(took);
            if (!alone) {
                cpu.push_back(1000 * (OwnCpuSeconds() + CpuSeconds(rig.sim.Pid()) - cpuBefore));
                state.SetIterationTime(took / 1000);
            }
        }
        oneFirst = !oneFirst;
    }
    state.counters["one_module_ms"] = benchmark::Counter(Median(one));
    state.counters["all_ms"] = benchmark::Counter(Median(all));
    state.counters["ratio"] = benchmark::Counter(Median(one) > 0 ? Median(all) / Median(one) : 0);
    state.counters["all_cpu_ms"] = benchmark::Counter(Median(cpu));  // both processes
    state.counters["modules"] = benchmark::Counter(count);
}
BENCHMARK(BM_DownloadToAllModules)
    ->Arg(1)
    ->Arg(16)
    ->Arg(64)
    ->Arg(256)
    ->Iterations(9)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pontra::bench
