// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/OnlineSession.h"

#include <algorithm>

#include "build/ModuleErrors.h"
#include "comm/Printf.h"
#include "model/Tag.h"
#include "model/Types.h"
#include "model/Unit.h"
#include "model/ValueStyle.h"
#include "online/StartDebugging.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

uint32_t Little(const std::vector<uint8_t>& bytes, size_t at, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        const size_t index = at + static_cast<size_t>(i);
        value = value << 8 | (index < bytes.size() ? bytes[index] : 0u);
    }
    return value;
}

} // namespace

ModuleStatus ParseStatusBlock(const std::vector<uint8_t>& block) {
    ModuleStatus s;
    const uint32_t run = Little(block, 0, 2);
    s.runState = run <= 1 ? static_cast<int>(run) : -1;
    s.taskTime = static_cast<int>(Little(block, 10, 2));
    s.headerError = static_cast<int>(Little(block, 12, 2));
    s.timeStamp = Little(block, 20, 4);
    s.errorCode = static_cast<int>(Little(block, 24, 2));
    s.programCounter = static_cast<int>(Little(block, 26, 2));
    s.instruction = static_cast<int>(Little(block, 28, 2));
    s.rungField = static_cast<int>(Little(block, 30, 2));
    s.load = static_cast<int>(Little(block, 38, 2));
    return s;
}

OnlineSession::OnlineSession(CMainFrame& frame) : frame_(frame) {
    SetPorts(ports_);
}

OnlineSession::~OnlineSession() = default;

bool OnlineSession::SetPorts(const ModulePorts& ports) {
    if (Debugging() || awaitingStart_ || busy_) return false;
    ports_ = ports;
    socket_ = std::make_unique<CRegisterClient>(ports_.modbus);
    channel_ = std::make_unique<CUdpChannel>(frame_.host(), ports_.udp);
    channel_->onAnswered = [this](const UdpRequest& r) {
        if (r.command == kUdpReadMemory)
            OnReadAnswered(r);
        else
            OnStatusAnswered(r);
    };
    channel_->onFailed = [this](const UdpRequest& r) {
        if (r.command == kUdpReadMemory)
            OnReadFailed(r);
        else
            OnStatusFailed(r);
    };
    return true;
}

bool OnlineSession::Debugging() const {
    return frame_.debugMode != 0;
}

std::string OnlineSession::StatusText() const {
    if (taskTime_ < 0) return " - OK";
    const int load = Status().load;
    if (taskTime_ != 0) return Printf(" - OK (TaskTime = %d ms; CPU = %d %%)", taskTime_, load);
    return Printf(" - OK (TaskTime < %d ms; CPU = %d %%)", 1, load);
}

// --- live values ----------------------------------------------------------------------

int OnlineSession::InstanceBase(const CUnit* unit) const {
    if (!unit) return mainBase_;
    auto it = functionBlockBases_.find(unit->name);
    return it == functionBlockBases_.end() ? -1 : it->second;
}

void OnlineSession::SetInstanceBase(const CUnit* unit, int base) {
    if (!unit)
        mainBase_ = base;
    else
        functionBlockBases_[unit->name] = base;
}

std::optional<int32_t> OnlineSession::LiveValue(const CTag& tag, int instanceBase) const {
    const int bits = ElementaryBits(tag.dataType);
    if (!Debugging() || !dataValid_ || instanceBase == -1 || bits == 0) return std::nullopt;
    const int64_t a = int64_t{tag.address} + instanceBase;
    const int64_t width = bits == 1 ? 4 : bits / 8;
    const int64_t first = bits == 1 ? a - a % 4 : a;
    if (a < 0 || first + width > static_cast<int64_t>(tagMemory_.size())) return std::nullopt;
    const uint32_t raw = Little(tagMemory_, static_cast<size_t>(first), static_cast<int>(width));
    if (bits == 1) return static_cast<int32_t>(raw >> ((tag.bit + 8 * (a % 4)) & 31) & 1u);
    if (tag.dataType == "SINT") return static_cast<int8_t>(raw);
    if (tag.dataType == "INT") return static_cast<int16_t>(raw);
    return static_cast<int32_t>(raw); // BYTE and WORD are unsigned already; DINT, DWORD signed
}

std::string OnlineSession::ValueText(const CTag& tag, int instanceBase) const {
    if (!IsElementary(tag.dataType)) return "{...}";
    const auto value = LiveValue(tag, instanceBase);
    if (!value) return "...";
    return FormatValue(tag, std::to_string(*value));
}

// --- monitor --------------------------------------------------------------------------

void OnlineSession::OnTimer(int id) {
    switch (id) {
    case kPollTimer: PollTagMemory(); break;
    case kStatusTimer: ReadStatus(); break;
    case kStopTimer:
        if (!channel_->IsWorkerRunning()) FinishStop();
        break;
    default: break;
    }
}

void OnlineSession::Post(std::unique_ptr<UdpRequest> request) {
    channel_->PostUdpRequest(std::move(request));
}

int OnlineSession::ReadSize() const {
    return std::min(static_cast<int>(tagMemory_.size()), kMaxTagMemoryRead);
}

void OnlineSession::PollTagMemory() { ReadTagMemoryNow(); }

uint64_t OnlineSession::ReadTagMemoryNow() {
    const int size = ReadSize();
    ++readsPosted_;
    if (size <= 0) lastCompleteRead_ = readsPosted_; // nothing to read
    for (int offset = 0; offset < size; offset += kChunkSize) {
        auto request = ReadMemoryRequest(frame_.doc().moduleAddressText, static_cast<uint16_t>(offset),
                                         static_cast<uint16_t>(std::min(kChunkSize, size - offset)));
        if (request && offset + kChunkSize >= size) lastChunkReads_[request->identifier] = readsPosted_;
        Post(std::move(request));
    }
    return readsPosted_;
}

void OnlineSession::ReadStatus() {
    Host& host = frame_.host();
    host.StopTimer(kStatusTimer);
    Post(StatusRequest(frame_.doc().moduleAddressText));
    host.StartTimer(kStatusTimer, kStatusPeriodMs);
}

void OnlineSession::SetProgramMode() { SetMode(false); }

void OnlineSession::SetRunMode() { SetMode(true); }

void OnlineSession::SetMode(bool run) {
    if (!Debugging() || stopping_) return;
    Post(ModeRequest(frame_.doc().moduleAddressText, run));
    // Mode requests are not answered; the status read that follows at once shows the mode.
    frame_.host().StopTimer(kStatusTimer);
    frame_.host().StartTimer(kStatusTimer, 10);
}

void OnlineSession::WriteValue(int address, int size, int32_t value, int bit) {
    if (address < 0 || address > 0xFFFF) return;
    const std::string& ip = frame_.doc().moduleAddressText;
    const auto at = static_cast<uint16_t>(address);
    if (bit < 255) {
        Post(BitRequest(ip, at, static_cast<uint16_t>(bit), value != 0));
        return;
    }
    uint8_t data[4];
    const size_t n = static_cast<size_t>(std::clamp(size, 1, 4));
    for (size_t i = 0; i < n; ++i) data[i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    Post(WriteMemoryRequest(ip, at, data, n));
}

void OnlineSession::OnReadAnswered(const UdpRequest& request) {
    if (!Debugging() || tagMemory_.empty()) return; // a late reply after the stop
    const ModuleStatus status = Status();
    if (status.errorCode >= 100) {
        if (auto line = RuntimeErrorLine(status.errorCode, status.programCounter)) {
            const auto& lines = frame_.output.Lines();
            if (lines.empty() || lines.back().text != *line) frame_.output.AddOutputLine(*line);
        }
    }
    frame_.statusSuffix = StatusText();
    frame_.UpdateTitles();

    const size_t address = request.address;
    const size_t size = tagMemory_.size();
    size_t copied = 0;
    if (address < size) {
        copied = std::min({request.ReplyDataLength(), size, size - address});
        std::copy_n(request.ReplyData(), copied, tagMemory_.begin() + static_cast<std::ptrdiff_t>(address));
    }
    if (address / kChunkSize < static_cast<size_t>(kChunkCount)) chunks_[address / kChunkSize] = true;
    const int chunkCount = (ReadSize() + kChunkSize - 1) / kChunkSize;
    dataValid_ = std::all_of(chunks_, chunks_ + chunkCount, [](bool read) { return read; });
    if (static_cast<int>((address + copied + kChunkSize - 1) / kChunkSize) == chunkCount) {
        if (auto it = lastChunkReads_.find(request.identifier); it != lastChunkReads_.end()) {
            lastCompleteRead_ = std::max(lastCompleteRead_, it->second);
            lastChunkReads_.erase(it);
        }
        ++completeReads_;
        lastCompleteReadTime_ = std::chrono::steady_clock::now();
        Refresh();
    }
}

void OnlineSession::OnReadFailed(const UdpRequest& request) {
    lastChunkReads_.erase(request.identifier);
    if (!Debugging()) return;
    dataValid_ = false;
    std::fill(chunks_, chunks_ + kChunkCount, false);
    frame_.statusSuffix = request.state == kUdpTimedOut ? " - Timeout" : " - Error";
    frame_.UpdateTitles();
    Refresh();
}

void OnlineSession::OnStatusAnswered(const UdpRequest& request) {
    const std::vector<uint8_t> block(request.ReplyData(), request.ReplyData() + request.ReplyDataLength());
    if (block != statusBlock_) statusBlock_ = block;
    const ModuleStatus status = Status();
    runState_ = status.runState;
    taskTime_ = status.taskTime;
    statusValid_ = true;
    ++statusReplies_;
    if (awaitingStart_) ContinueStart(frame_, true);
    Refresh();
}

void OnlineSession::OnStatusFailed(const UdpRequest&) {
    statusValid_ = false;
    runState_ = -1;
    taskTime_ = -1;
    Refresh();
    if (awaitingStart_) ContinueStart(frame_, false);
}

void OnlineSession::PostStartStatusRequest() {
    Post(StatusRequest(frame_.doc().moduleAddressText));
    statusValid_ = false;
    awaitingStart_ = true;
}

void OnlineSession::EnterDebugMode(std::vector<uint8_t> initialTagMemory) {
    Host& host = frame_.host();
    tagMemory_ = std::move(initialTagMemory);
    dataValid_ = false;
    std::fill(chunks_, chunks_ + kChunkCount, false);
    mainBase_ = 0;
    lastCompleteReadTime_.reset();
    frame_.debugMode = 1;
    frame_.statusSuffix.clear();
    host.StartTimer(kPollTimer, kPollPeriodMs);
    host.StartTimer(kStatusTimer, kStatusPeriodMs);
    frame_.UpdateTitles();
    Refresh();
}

void OnlineSession::StopDebugging() {
    if (!Debugging() && !awaitingStart_) return;
    Host& host = frame_.host();
    host.StopTimer(kPollTimer);
    host.StopTimer(kStatusTimer);
    host.StartTimer(kStopTimer, kStopPeriodMs);
    stopping_ = true;
    channel_->StopUdpChannel();
}

void OnlineSession::FinishStop() {
    frame_.host().StopTimer(kStopTimer);
    statusBlock_.clear();
    tagMemory_.clear();
    tagMemory_.shrink_to_fit();
    lastChunkReads_.clear();
    frame_.debugMode = 0;
    dataValid_ = awaitingStart_ = stopping_ = false;
    std::fill(chunks_, chunks_ + kChunkCount, false);
    runState_ = taskTime_ = -1;
    mainBase_ = -1;
    for (auto& [name, base] : functionBlockBases_) base = -1;
    frame_.statusSuffix.clear();
    frame_.UpdateTitles();
    Refresh();
}

void OnlineSession::Refresh() {
    frame_.host().Repaint();
    if (onRefresh) onRefresh();
}

} // namespace pontra
