// SPDX-License-Identifier: GPL-3.0-or-later
// The ladder machine: takes a program image, checks it (header, prescan) and runs scans of
// its code over the tag memory. Time comes from the caller, so tests drive timers with a
// fake clock.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "sim/ImageCheck.h"
#include "sim/ImageFormat.h"

namespace pontra::sim {

// The module's register bank as the program's RDR, WRR and WRC instructions see it.
class RegisterAccess {
public:
    virtual ~RegisterAccess() = default;
    virtual uint16_t ReadRegister(uint32_t number) = 0;
    virtual void WriteRegister(uint32_t number, uint16_t value) = 0;
};

class LadderMachine {
public:
    // `family`: the controller family name this module accepts in the header.
    explicit LadderMachine(std::string family, RegisterAccess* registers = nullptr);

    // Checks an image (without CRC) and takes it. When the header passes, the tag memory
    // gets the image's initial contents, also when the prescan then fails.
    void Load(std::span<const uint8_t> image);
    void Unload();

    bool HasImage() const { return hasImage_; }
    bool Runnable() const { return hasImage_ && headerError_ == 0 && error_.code == 0; }
    uint16_t HeaderError() const { return headerError_; }
    // The prescan error, or the runtime error that stopped the program.
    const CodeError& Error() const { return error_; }
    const ImageLayout& Layout() const { return layout_; }

    // The next scan is the first after a start (FirstLadderExec = 1); clears a runtime
    // error so that the program runs again.
    void Start();

    // Runs the main program once at time `nowMs`; false when there is nothing to run or
    // a runtime error stopped it.
    bool Scan(uint64_t nowMs);
    uint64_t InstructionsLastScan() const { return executed_; }
    // A scan that runs more instructions than this (a program looping through backward
    // jumps) stops with runtime error 100. The fuzz target lowers it to stay quick.
    void SetInstructionLimit(uint64_t limit) { instructionLimit_ = limit; }

    std::vector<uint8_t>& Tags() { return tags_; }
    const std::vector<uint8_t>& Tags() const { return tags_; }

private:
    struct Branch {
        bool start = false;
        bool any = false;
    };
    struct Frame {
        uint32_t returnPc = 0;
        uint32_t base = 0;
        int branchDepth = 0;
        std::array<Branch, kMaxBranchDepth> branches{};
    };

    bool Stop(uint16_t code);
    bool Step(uint32_t word);  // false ends the scan

    // memory, all relative to nothing: callers add the instance base
    uint32_t LoadU32(uint32_t address) const;
    void StoreU32(uint32_t address, uint32_t value);
    bool GetBit(uint32_t address, uint8_t position) const;
    void SetBit(uint32_t address, uint8_t position, bool value);
    int32_t Value(uint8_t type, uint32_t operand) const;
    void Store(uint8_t type, uint32_t operand, int32_t value);

    void Bit(uint8_t op, uint32_t word);
    void OneShot(uint8_t op, uint32_t word);
    void Timer(uint8_t op, uint32_t address);
    void Counter(uint8_t op, uint32_t address);
    bool Compare(uint8_t op, uint32_t word) const;
    bool Compute(uint8_t op, uint32_t word);
    bool Index(uint8_t op, uint32_t word);
    bool Call();
    void Return();
    uint64_t Elapsed(uint32_t timer, bool running);

    std::string family_;
    RegisterAccess* registers_;
    bool hasImage_ = false;
    uint16_t headerError_ = 0;
    ImageLayout layout_;
    DecodedProgram program_;
    std::vector<uint8_t> tags_;
    CodeError error_;
    bool firstScan_ = true;
    uint64_t instructionLimit_ = kMaxInstructionsPerScan;
    std::unordered_map<uint32_t, uint64_t> timerSince_;  // timer address -> time of its last update

    // state of the running scan
    uint64_t now_ = 0;
    uint64_t executed_ = 0;
    uint32_t pc_ = 0;
    uint32_t base_ = 0;
    bool rc_ = false;
    int branchDepth_ = 0;
    std::array<Branch, kMaxBranchDepth> branches_{};
    int callDepth_ = 0;
    std::array<Frame, kMaxCallDepth> frames_{};
};

}  // namespace pontra::sim
