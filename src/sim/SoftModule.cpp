// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SoftModule.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>

#include "sim/ImageCheck.h"

namespace pontra::sim {

namespace {

enum Command : uint16_t {
    kCmdRead = 1,
    kCmdWrite = 2,
    kCmdSetBit = 3,
    kCmdClearBit = 4,
    kCmdStatus = 5,
    kCmdMode = 6,
};

constexpr uint8_t kReplyOk = 0x40, kReplyError = 0x80;
constexpr size_t kRequestHeader = 8;  // identifier, command, length, 0

uint16_t Le16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

void PutLe16(std::array<uint8_t, kStatusBlockSize>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

std::mutex logMutex;

}  // namespace

SoftModule::SoftModule(ModuleOptions options)
    : options_(std::move(options)),
      machine_(FamilyName(options_.identity.type), this),
      bank_(kRegisterCount, 0) {}

void SoftModule::Log(const std::string& line) const {
    if (!options_.log) return;
    std::lock_guard lock(logMutex);
    std::fprintf(stderr, "[%s] %s\n", options_.address.c_str(), line.c_str());
}

uint16_t SoftModule::RegisterValue(uint32_t number) const {
    const Identity& id = options_.identity;
    switch (number) {
        case kRegVariant: return id.variant;
        case kRegTypeCode: return static_cast<uint16_t>(id.typeCode << 8);
        case kRegMode: return id.mode;
        case kRegFirmware: return id.firmware;
        case kRegProgramStored: return HasProgram() ? 1 : 0;
        case kRegMemoryCode: return static_cast<uint16_t>((id.memoryCode & 3u) << 9);
        default: return number >= 1 && number <= kRegisterCount ? bank_[number - 1] : 0;
    }
}

uint8_t SoftModule::ReadHoldingRegisters(uint32_t address, uint32_t count, std::vector<uint16_t>& out) const {
    if (count == 0 || count > 125) return 3;  // a reply holds at most 125 registers
    if (address + count > kRegisterCount) return 2;
    out.clear();
    for (uint32_t i = 0; i < count; ++i) out.push_back(RegisterValue(address + i + 1));
    return 0;
}

uint16_t SoftModule::ReadRegister(uint32_t number) { return RegisterValue(number); }

void SoftModule::WriteRegister(uint32_t number, uint16_t value) {
    switch (number) {
        case kRegVariant: case kRegTypeCode: case kRegMode: case kRegFirmware: case kRegProgramStored:
        case kRegMemoryCode:
            return;  // identification is the module's, not the program's
        default:
            if (number >= 1 && number <= kRegisterCount) bank_[number - 1] = value;
    }
}

void SoftModule::StoreProgram(std::vector<uint8_t> image, uint64_t nowMs) {
    image_ = std::move(image);
    machine_.Load(image_);
    const CodeError& e = machine_.Error();
    Log("program stored: " + std::to_string(image_.size()) + " bytes, header error " +
        std::to_string(machine_.HeaderError()) + ", prescan error " + std::to_string(e.code) + " at " +
        std::to_string(e.pc));
    run_ = false;
    if (machine_.Runnable()) SetRunMode(true, nowMs);
}

void SoftModule::DeleteProgram() {
    image_.clear();
    machine_.Unload();
    run_ = false;
    Log("program deleted");
}

void SoftModule::SetRunMode(bool run, uint64_t nowMs) {
    if (run && !run_) {
        machine_.Start();
        nextScan_ = nowMs;
    }
    run_ = run;
}

uint64_t SoftModule::Tick(uint64_t nowMs) {
    if (!Running()) return UINT64_MAX;
    if (nowMs < nextScan_) return nextScan_;
    const auto started = std::chrono::steady_clock::now();
    const bool ok = machine_.Scan(nowMs);
    const auto took = std::chrono::steady_clock::now() - started;
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
    taskTime_ = static_cast<uint16_t>(std::min<int64_t>(micros / 1000, UINT16_MAX));
    const int64_t period = std::max<uint32_t>(options_.scanMs, 1) * int64_t{1000};
    load_ = static_cast<uint16_t>(std::min<int64_t>(micros * 100 / period, 100));
    if (!ok) {
        // a runtime error stops the program until a download or a change to run mode
        run_ = false;
        const CodeError& e = machine_.Error();
        Log("runtime error " + std::to_string(e.code) + " at " + std::to_string(e.pc));
        return UINT64_MAX;
    }
    nextScan_ += std::max<uint32_t>(options_.scanMs, 1);
    if (nextScan_ <= nowMs) nextScan_ = nowMs + std::max<uint32_t>(options_.scanMs, 1);  // fell behind
    return nextScan_;
}

std::array<uint8_t, kStatusBlockSize> SoftModule::StatusBlock() const {
    std::array<uint8_t, kStatusBlockSize> b{};
    const CodeError& e = machine_.Error();
    const uint32_t stamp = machine_.Layout().timeStamp;
    PutLe16(b, 0, Running() ? 1 : 0);
    PutLe16(b, 10, taskTime_);
    PutLe16(b, 12, machine_.HeaderError());
    PutLe16(b, 20, static_cast<uint16_t>(stamp));
    PutLe16(b, 22, static_cast<uint16_t>(stamp >> 16));
    PutLe16(b, 24, e.code);
    PutLe16(b, 26, e.pc);
    PutLe16(b, 28, e.instruction);
    PutLe16(b, 30, e.rung);
    PutLe16(b, 38, load_);
    return b;
}

bool SoftModule::ReadTags(uint32_t address, uint32_t count, std::vector<uint8_t>& reply) const {
    const auto& tags = machine_.Tags();
    if (count == 0 || count > kMaxDatagramData || address + count > tags.size()) return false;
    reply.insert(reply.end(), tags.begin() + address, tags.begin() + address + count);
    return true;
}

bool SoftModule::HandleDatagram(std::span<const uint8_t> request, std::vector<uint8_t>& reply, uint64_t nowMs) {
    if (request.size() < kRequestHeader) return false;
    const uint16_t command = Le16(request, 2);
    const uint16_t length = Le16(request, 4);
    reply.assign({request[0], request[1], kReplyOk, 0, 0, 0, 0, 0});
    const auto data = request.subspan(kRequestHeader);
    bool ok = data.size() >= length;  // the length field promises what follows the header
    const uint32_t address = ok && length >= 4 ? Le16(data, 0) : 0;
    const uint32_t count = ok && length >= 4 ? Le16(data, 2) : 0;
    auto& tags = machine_.Tags();
    switch (ok ? command : 0) {
        case kCmdRead:
            ok = length >= 4 && ReadTags(address, count, reply);
            break;
        case kCmdWrite:
            ok = length >= 4 && count > 0 && count <= kMaxDatagramData && length >= 4 + count &&
                 address + count <= tags.size();
            if (ok) std::copy_n(data.begin() + 4, count, tags.begin() + address);
            break;
        case kCmdSetBit:
        case kCmdClearBit:
            ok = length >= 4 && address % 4 == 0 && count <= 31 && address + 4 <= tags.size();
            if (ok) {
                const auto mask = static_cast<uint8_t>(1u << (count % 8));
                uint8_t& byte = tags[address + count / 8];
                byte = command == kCmdSetBit ? byte | mask : byte & ~mask;
            }
            break;
        case kCmdStatus: {
            const auto block = StatusBlock();
            reply.insert(reply.end(), block.begin(), block.end());
            break;
        }
        case kCmdMode: {
            const uint16_t mode = length >= 6 ? Le16(data, 4) : 0xFFFF;
            ok = mode <= 1;
            if (ok) SetRunMode(mode == 1, nowMs);
            break;
        }
        default:
            ok = false;
    }
    if (!ok) reply.resize(kRequestHeader);
    reply[2] = ok ? kReplyOk : kReplyError;
    Log("datagram command " + std::to_string(command) + (ok ? " answered" : " refused"));
    return true;
}

}  // namespace pontra::sim
