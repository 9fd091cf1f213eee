// SPDX-License-Identifier: GPL-3.0-or-later
// What the online benchmarks share: a saved project of conveyor-zone rungs in a frame
// with a silent host, and soft modules run as pontra-sim processes on a random loopback
// address (the tests' harness). Figures go into counters (milliseconds, ratios), so that
// repetitions give their medians.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/ScriptedHost.h"
#include "shell/MainFrame.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace pontra::bench {

// The main program of a line module: groups of ten rungs of one or two instructions
// (timer, counter, contacts, coils, latches, a move), cut to
// `rungs` rungs, then one rung that counts scans in the DINT tag "Scans". A DINT array
// "Fill" of `fillBytes` makes the tag memory larger.
struct LineProgram {
    int rungs = 200;
    int fillBytes = 0;
};

class OnlineRig {
public:
    OnlineRig();

    // Builds the program into the project, saves it as "line.clp" and builds its image;
    // false (with the output window's lines in `error`) when that fails.
    bool MakeProject(const LineProgram& program, std::string& error);
    // Starts `count` modules and points the project and the frame's ports at the first.
    bool StartModules(int count, const std::vector<std::string>& args = {});

    const std::string& ImagePath() const { return imagePath_; }
    // The tag address of a main-program tag, -1 when there is none.
    int TagAddress(const std::string& name) const;
    std::vector<std::string> OutputLines() const;

    ScriptedHost host;
    CMainFrame frame{host};
    TempDir dir;
    sim::test::SimProcess sim;

private:
    std::string imagePath_;
};

using Clock = std::chrono::steady_clock;
// CPU seconds (user and system) a process has used so far; -1 when unknown.
double CpuSeconds(pid_t pid);
double OwnCpuSeconds();
double Milliseconds(Clock::duration d);
double Median(std::vector<double> values);

// A counter shown as a plain number (milliseconds, ratios), averaged over iterations.
inline benchmark::Counter Figure(double value) { return benchmark::Counter(value, benchmark::Counter::kAvgIterations); }

}  // namespace pontra::bench
