// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/SimulatedModule.h"

#include <algorithm>

#include "build/ModuleErrors.h"
#include "sim/ImageFormat.h"

namespace pontra::scenario {

namespace {

// The register bank the program's RDR, WRR and WRC reach (as the soft module's).
constexpr uint32_t kRegisters = 20000;

}  // namespace

SimulatedModule::SimulatedModule(std::vector<uint8_t> image, std::string family, uint32_t scanMs,
                                 UnitCodeStarts units)
    : image_(std::move(image)),
      scanMs_(std::max<uint32_t>(scanMs, 1)),
      units_(std::move(units)),
      machine_(std::move(family), this) {
    std::sort(units_.begin(), units_.end());
}

void SimulatedModule::SetInstructionLimit(uint64_t limit) {
    instructionLimit_ = limit;
    machine_.SetInstructionLimit(limit);
}

bool SimulatedModule::Begin() {
    now_ = 0;
    nextScan_ = 0;
    fault_.reset();
    faultAt_.reset();
    registers_.assign(kRegisters, 0);
    machine_.Load(image_);
    const sim::CodeError& e = machine_.Error();
    if (machine_.HeaderError() != 0 || e.code != 0) {
        fault_ = ImageCheckMessage(machine_.HeaderError(), e.code, e.pc, e.instruction, e.rung + 1)
                     .value_or("the module refuses the program image");
        return false;
    }
    machine_.Start();
    return true;
}

std::string SimulatedModule::UnitAt(uint32_t pc) const {
    std::string unit;
    const uint64_t byte = uint64_t{pc} * 4;
    for (const auto& [start, name] : units_)
        if (start > 0 && start <= byte) unit = name;
    return unit;
}

std::string SimulatedModule::RuntimeFault() const {
    const sim::CodeError& e = machine_.Error();
    std::string text = RuntimeErrorLine(e.code, e.pc).value_or("Runtime Error(#" + std::to_string(e.code) + ")");
    const std::string unit = UnitAt(e.pc);
    text += ", rung " + std::to_string(e.rung) + " of " + (unit.empty() ? "the main program" : "function block " + unit);
    if (const sim::OpInfo* op = sim::FindOp(static_cast<uint8_t>(e.instruction)))
        text += ", instruction " + std::string(op->name);
    if (e.code == sim::kRuntimeEndOfStack && machine_.InstructionsLastScan() > instructionLimit_)
        text += " (the scan ran more than " + std::to_string(instructionLimit_) + " instructions)";
    return text;
}

bool SimulatedModule::ScanOnce() {
    now_ = nextScan_;
    nextScan_ += scanMs_;
    ++scans_;
    if (stop_ && stop_->load(std::memory_order_relaxed)) {
        fault_ = kStoppedFault;
        return false;
    }
    if (machine_.Scan(now_)) return true;
    fault_ = RuntimeFault();
    const sim::CodeError& e = machine_.Error();
    if (e.rung > 0) faultAt_ = FaultPlace{UnitAt(e.pc), e.rung};
    return false;
}

bool SimulatedModule::Run(uint64_t milliseconds) {
    if (fault_) return false;
    const uint64_t end = now_ + milliseconds;
    while (nextScan_ < end)
        if (!ScanOnce()) return false;
    now_ = end;
    return true;
}

bool SimulatedModule::RunScans(uint64_t scans) {
    if (fault_) return false;
    for (uint64_t i = 0; i < scans; ++i)
        if (!ScanOnce()) return false;
    now_ = nextScan_;
    return true;
}

bool SimulatedModule::Next(uint64_t deadline) {
    if (fault_) return false;
    if (nextScan_ > deadline) {
        now_ = std::max(now_, deadline);
        return false;
    }
    return ScanOnce();
}

std::optional<int32_t> SimulatedModule::Read(const ScenarioTag& tag) { return ReadTagValue(machine_.Tags(), tag); }

bool SimulatedModule::Write(const ScenarioTag& tag, int32_t value) {
    return WriteTagValue(machine_.Tags(), tag, value);
}

uint16_t SimulatedModule::ReadRegister(uint32_t number) {
    return number >= 1 && number <= registers_.size() ? registers_[number - 1] : 0;
}

void SimulatedModule::WriteRegister(uint32_t number, uint16_t value) {
    if (number >= 1 && number <= registers_.size()) registers_[number - 1] = value;
}

}  // namespace pontra::scenario
