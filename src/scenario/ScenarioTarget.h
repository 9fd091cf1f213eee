// SPDX-License-Identifier: GPL-3.0-or-later
// What a scenario runs on: the soft module's ladder machine in process with a simulated
// clock (SimulatedModule), or a module over the network in real time (NetworkModule).
// Times are milliseconds since the test began.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "scenario/ScenarioTag.h"

namespace pontra::scenario {

class ScenarioTarget {
public:
    virtual ~ScenarioTarget() = default;

    // Starts a test: the program from the image's initial tag memory, time 0. False when
    // it cannot start; Fault() says why.
    virtual bool Begin() = 0;
    // Ends a test (a network module stops being online).
    virtual void End() {}
    virtual uint64_t Now() const = 0;

    // Lets the program run for `milliseconds`, or for `scans` scans. False when the
    // module stopped with a fault.
    virtual bool Run(uint64_t milliseconds) = 0;
    virtual bool RunScans(uint64_t scans) = 0;
    // Moves on to the next moment at which values may have changed (the next scan, the
    // next read of a module's tag memory), but not past `deadline`: false, with Now() at
    // the deadline, when there is none before it, or when a fault stopped the module.
    virtual bool Next(uint64_t deadline) = 0;

    virtual std::optional<int32_t> Read(const ScenarioTag& tag) = 0;
    virtual bool Write(const ScenarioTag& tag, int32_t value) = 0;

    // The fault that stopped the module (a runtime error with its rung and instruction),
    // or that kept the test from starting; none while all is well.
    virtual std::optional<std::string> Fault() const = 0;

    // Where the fault stopped the program: the function block ("" for the main program)
    // and the rung counted from 1; none when the target cannot tell.
    struct FaultPlace {
        std::string unit;
        int rung = 0;
    };
    virtual std::optional<FaultPlace> FaultAt() const { return std::nullopt; }
};

}  // namespace pontra::scenario
