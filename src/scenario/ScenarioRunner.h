// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the tests of checked scenario files on a target: each test starts the program
// afresh, runs the file's set-up steps and then its own. A failed expectation is reported
// and the test goes on; a fault of the module (a runtime error, the per-scan instruction
// limit) ends the test. Front ends (pontra-cli, the desktop application) share this.
#pragma once

#include <functional>
#include <vector>

#include "scenario/ScenarioBinder.h"
#include "scenario/ScenarioResult.h"
#include "scenario/ScenarioTarget.h"

namespace pontra::scenario {

class ScenarioRunner {
public:
    explicit ScenarioRunner(ScenarioTarget& target) : target_(target) {}

    TestResult RunTest(const BoundScenarioFile& file, const BoundTest& test);
    // Every test of the file in order; `done` (if given) hears of each as it ends.
    std::vector<TestResult> RunFile(const BoundScenarioFile& file,
                                    const std::function<void(const TestResult&)>& done = {});

private:
    // False when the test cannot go on.
    bool RunStep(const BoundScenarioFile& file, const BoundStep& step, TestResult& result);
    void Fail(const BoundScenarioFile& file, const BoundStep& step, TestResult& result, std::string expected,
              std::string actual, std::string message);
    void FailFault(const BoundScenarioFile& file, const BoundStep& step, TestResult& result);

    ScenarioTarget& target_;
};

// Whether `actual` meets the step's condition (comparison, value and tolerance).
bool ConditionHolds(const BoundStep& step, int32_t actual);
// The condition's right side for reports: "= 1", ">= 16#0064", "= 400 +/- 40".
std::string ExpectedText(const BoundStep& step);

}  // namespace pontra::scenario
