// SPDX-License-Identifier: GPL-3.0-or-later
// The scenario target over the network, in real time: a real module or a soft module at
// the project's module address. Each test starts with "Download Program" (so it starts
// from the image's initial tag memory) and goes online; values are written and read
// through the online session's datagram requests, each read of tag memory asked for
// when a step needs fresh values.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "scenario/ScenarioTarget.h"

namespace pontra {
class CMainFrame;
}

namespace pontra::scenario {

class NetworkModule : public ScenarioTarget {
public:
    // `scanMs`: the module's scan period, for RUN n SCANS.
    NetworkModule(CMainFrame& frame, uint32_t scanMs);
    ~NetworkModule() override;

    bool Begin() override;
    void End() override;
    uint64_t Now() const override;
    bool Run(uint64_t milliseconds) override;
    bool RunScans(uint64_t scans) override;
    bool Next(uint64_t deadline) override;
    std::optional<int32_t> Read(const ScenarioTag& tag) override;
    bool Write(const ScenarioTag& tag, int32_t value) override;
    std::optional<std::string> Fault() const override { return fault_; }

private:
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Asks for the status and the whole tag memory and waits for both; false (with the
    // fault set) when the module did not answer or reports a runtime error.
    bool Refresh();

    CMainFrame& frame_;
    uint32_t scanMs_;
    bool online_ = false;
    bool stale_ = true;
    std::chrono::steady_clock::time_point start_;
    std::optional<std::string> fault_;
};

}  // namespace pontra::scenario
