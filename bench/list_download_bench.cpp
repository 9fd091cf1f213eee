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

// Per iteration: the download to the first module alone, then to all N.
void BM_DownloadToAllModules(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    OnlineRig rig;
    std::string error;
    if (!rig.MakeProject(kZoneModule, error) || !rig.StartModules(count))
        return state.SkipWithError(("set-up failed: " + error).c_str());
    double one = 0, all = 0, cpu = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!DownloadTo(rig, 1, error)) return state.SkipWithError(("one module: " + error).c_str());
        const double single = Milliseconds(Clock::now() - start);
        const double cpuBefore = OwnCpuSeconds() + CpuSeconds(rig.sim.Pid());
        start = Clock::now();
        if (!DownloadTo(rig, count, error)) return state.SkipWithError(("all modules: " + error).c_str());
        const double every = Milliseconds(Clock::now() - start);
        cpu += 1000 * (OwnCpuSeconds() + CpuSeconds(rig.sim.Pid()) - cpuBefore);
        state.SetIterationTime(every / 1000);
        one += single;
        all += every;
    }
    state.counters["one_module_ms"] = Figure(one);
    state.counters["all_ms"] = Figure(all);
    state.counters["ratio"] = benchmark::Counter(one > 0 ? all / one : 0);
    state.counters["all_cpu_ms"] = Figure(cpu);  // both processes
    state.counters["modules"] = benchmark::Counter(count);
}
BENCHMARK(BM_DownloadToAllModules)
    ->Arg(1)
    ->Arg(16)
    ->Arg(64)
    ->Arg(256)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pontra::bench
