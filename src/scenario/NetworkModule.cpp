// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/NetworkModule.h"

#include "build/ModuleErrors.h"
#include "host/Host.h"
#include "online/DownloadProgram.h"
#include "online/OnlineSession.h"
#include "online/StartDebugging.h"
#include "shell/MainFrame.h"
#include "sim/ImageFormat.h"

namespace pontra::scenario {

namespace {

using namespace std::chrono_literals;

// A status reply and a read of the whole tag memory come back within the channel's own
// time-outs; a module silent this long is gone.
constexpr auto kAnswerTimeout = 5s;
constexpr auto kStopTimeout = 5s;
// Between two reads while waiting for a condition: the module gets the channel to itself
// most of the time.
constexpr auto kReadPause = 5ms;

}  // namespace

NetworkModule::NetworkModule(CMainFrame& frame, uint32_t scanMs) : frame_(frame), scanMs_(scanMs ? scanMs : 1) {}

NetworkModule::~NetworkModule() { End(); }

bool NetworkModule::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        frame_.host().Wait(2);
    }
    return true;
}

bool NetworkModule::Begin() {
    fault_.reset();
    stale_ = true;
    const std::string address = frame_.doc().moduleAddressText;
    if (!DownloadProgram(frame_, [] { return false; })) {
        fault_ = "the download to " + address + " did not complete";
        return false;
    }
    OnlineSession& session = frame_.online();
    if (!StartDebugging(frame_) || !PumpUntil([&] { return !session.AwaitingStart(); }, kAnswerTimeout) ||
        frame_.debugMode == 0) {
        fault_ = "the module at " + address + " could not be taken online";
        return false;
    }
    online_ = true;
    // Reads are asked for by the steps that need them, so that each read answers after
    // the writes before it.
    frame_.host().StopTimer(kPollTimer);
    start_ = std::chrono::steady_clock::now();
    return Refresh();
}

void NetworkModule::End() {
    if (!online_) return;
    online_ = false;
    frame_.online().StopDebugging();
    PumpUntil([&] { return frame_.debugMode == 0; }, kStopTimeout);
}

uint64_t NetworkModule::Now() const {
    if (!online_) return 0;
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count());
}

bool NetworkModule::Refresh() {
    OnlineSession& session = frame_.online();
    const uint64_t statuses = session.StatusReplies();
    const uint64_t reads = session.CompleteReads();
    session.ReadStatus();
    session.PollTagMemory();
    if (!PumpUntil([&] { return session.StatusReplies() > statuses && session.CompleteReads() > reads; },
                   kAnswerTimeout)) {
        fault_ = "the module at " + frame_.doc().moduleAddressText + " does not answer";
        return false;
    }
    stale_ = false;
    const ModuleStatus status = session.Status();
    if (status.headerError != 0) {
        fault_ = HeaderErrorMessage(status.headerError);
        return false;
    }
    if (status.errorCode != 0) {
        std::string text = RuntimeErrorLine(status.errorCode, status.programCounter)
                               .value_or(ImageCheckMessage(0, status.errorCode, status.programCounter,
                                                           status.instruction, status.rungField)
                                             .value_or("error " + std::to_string(status.errorCode)));
        text += ", rung " + std::to_string(status.rungField);
        if (const sim::OpInfo* op = sim::FindOp(static_cast<uint8_t>(status.instruction)))
            text += ", instruction " + std::string(op->name);
        fault_ = text;
        return false;
    }
    return true;
}

bool NetworkModule::Run(uint64_t milliseconds) {
    if (fault_) return false;
    const auto end = start_ + std::chrono::milliseconds(Now() + milliseconds);
    while (std::chrono::steady_clock::now() < end) frame_.host().Wait(2);
    stale_ = true;
    return Refresh();
}

bool NetworkModule::RunScans(uint64_t scans) { return Run(scans * scanMs_); }

bool NetworkModule::Next(uint64_t deadline) {
    if (fault_ || Now() >= deadline) return false;
    frame_.host().Wait(static_cast<int>(kReadPause.count()));
    return Refresh();
}

std::optional<int32_t> NetworkModule::Read(const ScenarioTag& tag) {
    if (stale_ && !Refresh()) return std::nullopt;
    return ReadTagValue(frame_.online().TagMemory(), tag);
}

bool NetworkModule::Write(const ScenarioTag& tag, int32_t value) {
    if (!online_ || fault_) return false;
    OnlineSession& session = frame_.online();
    if (tag.FirstByte() + tag.ByteSize() > static_cast<int>(session.TagMemory().size())) return false;
    if (tag.bits == 1)
        session.WriteValue(tag.FirstByte(), 4, value, tag.bit + 8 * (tag.address % 4));
    else
        session.WriteValue(tag.address, tag.ByteSize(), value, 255);
    stale_ = true;
    return true;
}

}  // namespace pontra::scenario
