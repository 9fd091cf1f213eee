// SPDX-License-Identifier: GPL-3.0-or-later
// The scenario target in process: the soft module's ladder machine runs the program image
// on a simulated clock, one scan every `scanMs` at times 0, scanMs, 2 scanMs, ... . A
// ten-minute scenario takes as long as its scans do, and every run is the same.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "scenario/ScenarioTarget.h"
#include "sim/LadderMachine.h"

namespace pontra::scenario {

// Where each function block's code starts in the image (bytes into the code), so that a
// runtime error names the unit its rung belongs to.
using UnitCodeStarts = std::vector<std::pair<uint32_t, std::string>>;

class SimulatedModule : public ScenarioTarget, private sim::RegisterAccess {
public:
    // `family`: the controller family the image was built for.
    SimulatedModule(std::vector<uint8_t> image, std::string family, uint32_t scanMs, UnitCodeStarts units = {});

    // A lower per-scan instruction limit (tests of runaway programs stay quick).
    void SetInstructionLimit(uint64_t limit);
    uint64_t ScansRun() const { return scans_; }
    // A flag another thread may raise to stop the run: the next scan then faults with
    // kStoppedFault. The flag must outlive the module.
    void SetStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }
    static constexpr const char* kStoppedFault = "the run was stopped";

    bool Begin() override;
    uint64_t Now() const override { return now_; }
    bool Run(uint64_t milliseconds) override;
    bool RunScans(uint64_t scans) override;
    bool Next(uint64_t deadline) override;
    std::optional<int32_t> Read(const ScenarioTag& tag) override;
    bool Write(const ScenarioTag& tag, int32_t value) override;
    std::optional<std::string> Fault() const override { return fault_; }
    std::optional<FaultPlace> FaultAt() const override { return faultAt_; }

private:
    bool ScanOnce();
    std::string RuntimeFault() const;
    // The function block whose code holds word `pc` ("" for the main program).
    std::string UnitAt(uint32_t pc) const;
    uint16_t ReadRegister(uint32_t number) override;
    void WriteRegister(uint32_t number, uint16_t value) override;

    std::vector<uint8_t> image_;
    uint32_t scanMs_;
    UnitCodeStarts units_;
    sim::LadderMachine machine_;
    uint64_t instructionLimit_ = sim::kMaxInstructionsPerScan;
    std::vector<uint16_t> registers_;
    uint64_t now_ = 0;
    uint64_t nextScan_ = 0;
    uint64_t scans_ = 0;
    std::optional<std::string> fault_;
    std::optional<FaultPlace> faultAt_;
    const std::atomic<bool>* stop_ = nullptr;
};

}  // namespace pontra::scenario
