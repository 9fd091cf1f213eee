// SPDX-License-Identifier: GPL-3.0-or-later
// Soft module capacity: N modules in one pontra-sim process pinned to one core, each
// running a 2,000-rung program at a 10 ms scan.
//
// "Runs" is measured from outside, over the datagram channel: the program's last rung
// adds 1 to the DINT "Scans" every scan. Each module's counter is read at the start and
// at the end of a 5 s window (each read timed on its own); scans done / scans due
// (elapsed / 10 ms) is the module's kept scan rate. The modules run when the worst of
// them keeps 99% of its scans. The process's CPU time over the window (from /proc) gives
// the cost of one module scan, and from it the modules one whole core could carry.
#include <sched.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

#include "OnlineRig.h"
#include "sim/LadderMachine.h"

namespace pontra::bench {
namespace {

using namespace std::chrono_literals;

constexpr int kCore = 1;  // the last of the two cores; the first takes more interrupts
constexpr auto kWarmUp = 1500ms;
constexpr auto kWindow = 5s;
constexpr double kScanMs = 10;

// Busy and total time of one processor so far, in clock ticks (from /proc/stat).
std::pair<double, double> CoreTicks(int core) {
    std::ifstream in("/proc/stat");
    const std::string name = "cpu" + std::to_string(core);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string label;
        fields >> label;
        if (label != name) continue;
        double value = 0, total = 0, idle = 0;
        for (int i = 0; fields >> value; ++i) {
            total += value;
            if (i == 3 || i == 4) idle += value;  // idle, iowait
        }
        return {total - idle, total};
    }
    return {0, 0};
}

struct Sample {
    int64_t scans = -1;
    Clock::time_point at;
};

// The "Scans" counter of every module, each read stamped with the middle of its round trip.
std::vector<Sample> ReadCounters(const sim::test::SimProcess& sim, int count, uint16_t address) {
    std::vector<Sample> samples(static_cast<size_t>(count));
    sim::test::Client client;
    for (int i = 0; i < count; ++i) {
        const auto id = static_cast<uint16_t>(i + 1);
        const auto sent = Clock::now();
        client.SendTo(sim.Address(i), sim.udpPort, sim::test::Request(id, 1, address, 4));
        for (int tries = 0; tries < 4; ++tries) {
            const auto reply = client.Receive(500);
            if (!reply || reply->size() != 12 || (*reply)[0] != (id & 0xFF) || (*reply)[1] != id >> 8) continue;
            const auto got = Clock::now();
            samples[static_cast<size_t>(i)] = {
                static_cast<int32_t>((*reply)[8] | (*reply)[9] << 8 | (*reply)[10] << 16 | (*reply)[11] << 24),
                sent + (got - sent) / 2};
            break;
        }
    }
    return samples;
}

int PinnedCore() { return static_cast<int>(kCore % std::max(1L, sysconf(_SC_NPROCESSORS_ONLN))); }

// Starts the modules pinned to one core: the process and every module thread inherit the
// affinity of the thread that forks it.
bool StartPinned(OnlineRig& rig, int count) {
    cpu_set_t saved, one;
    sched_getaffinity(0, sizeof saved, &saved);
    CPU_ZERO(&one);
    CPU_SET(PinnedCore(), &one);
    sched_setaffinity(0, sizeof one, &one);
    const bool started = rig.StartModules(count, {"--program", rig.ImagePath(), "--scan-ms", "10"});
    sched_setaffinity(0, sizeof saved, &saved);
    return started;
}

// One scan of the 2,000-rung program by the soft module's ladder machine, in process: the
// part of a module's 10 ms that the program itself takes.
void BM_LadderScan(benchmark::State& state) {
    OnlineRig rig;
    std::string error;
    if (!rig.MakeProject({2000, 0}, error)) return state.SkipWithError(("set-up failed: " + error).c_str());
    const std::vector<uint8_t> image = ReadBytes(rig.ImagePath());
    sim::LadderMachine machine("Vessa");
    machine.Load(image);
    if (!machine.Runnable()) return state.SkipWithError("the image does not run");
    machine.Start();
    uint64_t now = 0, instructions = 0;
    for (auto _ : state) {
        if (!machine.Scan(now += 10)) return state.SkipWithError("the scan stopped");
        instructions += machine.InstructionsLastScan();
    }
    state.counters["instructions"] = Figure(static_cast<double>(instructions));
    state.counters["code_bytes"] = benchmark::Counter(static_cast<double>(image.size()));
}
BENCHMARK(BM_LadderScan)->Unit(benchmark::kMicrosecond);

void BM_SoftModuleCapacity(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    OnlineRig rig;
    std::string error;
    if (!rig.MakeProject({2000, 0}, error)) return state.SkipWithError(("set-up failed: " + error).c_str());
    const int scansAddress = rig.TagAddress("Scans");
    const int pinnedCore = PinnedCore();
    for (auto _ : state) {
        if (!StartPinned(rig, count)) return state.SkipWithError("pontra-sim did not start");
        std::this_thread::sleep_for(kWarmUp);
        const double cpu0 = CpuSeconds(rig.sim.Pid());
        const auto core0 = CoreTicks(pinnedCore);
        const auto first = ReadCounters(rig.sim, count, static_cast<uint16_t>(scansAddress));
        std::this_thread::sleep_for(kWindow);
        const auto last = ReadCounters(rig.sim, count, static_cast<uint16_t>(scansAddress));
        const double cpu1 = CpuSeconds(rig.sim.Pid());
        const auto core1 = CoreTicks(pinnedCore);
        rig.sim.Stop();

        double worst = 1e9, sum = 0, scans = 0, seconds = 0;
        for (int i = 0; i < count; ++i) {
            const Sample& a = first[static_cast<size_t>(i)];
            const Sample& b = last[static_cast<size_t>(i)];
            if (a.scans < 0 || b.scans < 0) return state.SkipWithError("a module did not answer");
            const double due = Milliseconds(b.at - a.at) / kScanMs;
            const double rate = static_cast<double>(b.scans - a.scans) / due;
            worst = std::min(worst, rate);
            sum += rate;
            scans += static_cast<double>(b.scans - a.scans);
        }
        seconds = Milliseconds(last.back().at - first.front().at) / 1000;
        const double cpu = cpu1 - cpu0;
        const double perScanUs = scans > 0 ? cpu / scans * 1e6 : 0;
        state.SetIterationTime(seconds);
        state.counters["worst_kept_pct"] = Figure(100 * worst);
        state.counters["mean_kept_pct"] = Figure(100 * sum / count);
        state.counters["sim_core_pct"] = Figure(100 * cpu / seconds);
        // the rest of the pinned core's busy time went to other work on the machine
        const double coreBusy = core1.second > core0.second
                                    ? (core1.first - core0.first) / (core1.second - core0.second) : 0;
        state.counters["core_busy_pct"] = Figure(100 * coreBusy);
        state.counters["us_per_module_scan"] = Figure(perScanUs);
        state.counters["modules_per_core"] = Figure(perScanUs > 0 ? kScanMs * 1000 / perScanUs : 0);
    }
    state.counters["modules"] = benchmark::Counter(count);
}
BENCHMARK(BM_SoftModuleCapacity)
    ->Arg(64)
    ->Arg(128)
    ->Arg(256)
    ->Arg(384)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace pontra::bench
