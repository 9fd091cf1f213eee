// SPDX-License-Identifier: GPL-3.0-or-later
// What a scenario run found: per test, whether it passed and each failed expectation or
// fault with its place in the file and the (simulated) time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pontra::scenario {

struct ScenarioFailure {
    std::string path;
    int line = 0;
    std::string tag;       // empty for a fault of the module
    std::string expected;  // "= 1", ">= 100", "= 400 +/- 40 within 500 ms"
    std::string actual;
    uint64_t timeMs = 0;
    std::string message;  // the whole finding, without the place
    // A fault of the module at a rung: the function block it belongs to ("" for the main
    // program) and the rung, counted from 1; 0 when the fault names no rung.
    std::string faultUnit;
    int faultRung = 0;

    // "PATH:LINE: MESSAGE"
    std::string Text() const;
};

struct TestResult {
    std::string path;
    std::string name;
    int line = 0;
    std::vector<ScenarioFailure> failures;
    uint64_t simulatedMs = 0;  // the test's time at its end
    double seconds = 0;        // how long it took to run

    bool Passed() const { return failures.empty(); }
};

}  // namespace pontra::scenario
