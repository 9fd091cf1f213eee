// SPDX-License-Identifier: GPL-3.0-or-later
// One soft module without its sockets: identity and register bank, the stored program,
// run/program mode, the ladder machine, the status block and the datagram commands. The
// servers feed it; everything runs on the module's own thread.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/Identity.h"
#include "sim/LadderMachine.h"

namespace pontra::sim {

struct ModuleOptions {
    std::string address = "127.0.0.1";  // for log lines
    Identity identity;
    uint32_t scanMs = 10;
    bool tftpError10 = false;
    bool log = false;
};

// Registers 1 .. kRegisterCount exist (register protocol addresses 0 .. kRegisterCount - 1).
constexpr uint32_t kRegisterCount = 20000;
constexpr uint32_t kStatusBlockSize = 40;
constexpr uint32_t kMaxDatagramData = 1000;  // bytes read or written by one request

// Register numbers of the identification registers.
enum IdentityRegister : uint32_t {
    kRegVariant = 6,
    kRegTypeCode = 17,
    kRegMode = 18,
    kRegFirmware = 25,
    kRegProgramStored = 279,
    kRegMemoryCode = 511,
};

class SoftModule : public RegisterAccess {
public:
    explicit SoftModule(ModuleOptions options);

    const ModuleOptions& Options() const { return options_; }
    LadderMachine& Machine() { return machine_; }
    const LadderMachine& Machine() const { return machine_; }

    // Register protocol: 0, or the exception code (2 beyond the bank, 3 bad quantity).
    uint8_t ReadHoldingRegisters(uint32_t address, uint32_t count, std::vector<uint16_t>& out) const;

    // A received image (CRC removed): stored in any case, run when its checks pass.
    void StoreProgram(std::vector<uint8_t> image, uint64_t nowMs);
    void DeleteProgram();
    bool HasProgram() const { return machine_.HasImage(); }
    const std::vector<uint8_t>& Program() const { return image_; }
    uint32_t ProgramMemoryLimit() const { return ProgramMemoryBytes(options_.identity.memoryCode); }

    // Answers one request datagram; false when it is too short to be answered at all.
    bool HandleDatagram(std::span<const uint8_t> request, std::vector<uint8_t>& reply, uint64_t nowMs);
    std::array<uint8_t, kStatusBlockSize> StatusBlock() const;

    void SetRunMode(bool run, uint64_t nowMs);
    bool Running() const { return run_ && machine_.Runnable(); }

    // Runs the scan that is due at `nowMs`, if any; returns when the next one is due
    // (UINT64_MAX when none is).
    uint64_t Tick(uint64_t nowMs);

    void Log(const std::string& line) const;

    uint16_t ReadRegister(uint32_t number) override;
    void WriteRegister(uint32_t number, uint16_t value) override;

private:
    uint16_t RegisterValue(uint32_t number) const;
    bool ReadTags(uint32_t address, uint32_t count, std::vector<uint8_t>& reply) const;

    ModuleOptions options_;
    LadderMachine machine_;
    std::vector<uint8_t> image_;
    std::vector<uint16_t> bank_;
    bool run_ = false;
    uint64_t nextScan_ = 0;
    uint16_t taskTime_ = 0;
    uint16_t load_ = 0;
};

}  // namespace pontra::sim
