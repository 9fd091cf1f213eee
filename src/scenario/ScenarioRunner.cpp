// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/ScenarioRunner.h"

#include <chrono>

namespace pontra::scenario {

namespace {

std::string Milliseconds(uint64_t ms) { return std::to_string(ms) + " ms"; }

}  // namespace

std::string ScenarioFailure::Text() const { return path + ":" + std::to_string(line) + ": " + message; }

bool ConditionHolds(const BoundStep& step, int32_t actual) {
    const int64_t a = actual, v = step.value;
    switch (step.step.condition.comparison) {
    case Comparison::Equal: return (a > v ? a - v : v - a) <= step.tolerance;
    case Comparison::NotEqual: return a != v;
    case Comparison::Less: return a < v;
    case Comparison::LessOrEqual: return a <= v;
    case Comparison::Greater: return a > v;
    case Comparison::GreaterOrEqual: return a >= v;
    }
    return false;
}

std::string ExpectedText(const BoundStep& step) {
    std::string text = std::string(ComparisonText(step.step.condition.comparison)) + " " +
                       FormatTagValue(step.tag, step.value);
    if (!step.step.condition.tolerance.empty()) text += " +/- " + std::to_string(step.tolerance);
    return text;
}

void ScenarioRunner::Fail(const BoundScenarioFile& file, const BoundStep& step, TestResult& result,
                          std::string expected, std::string actual, std::string message) {
    ScenarioFailure f;
    f.path = file.path;
    f.line = step.step.at.line;
    f.tag = step.tag.name;
    f.expected = std::move(expected);
    f.actual = std::move(actual);
    f.timeMs = target_.Now();
    f.message = std::move(message) + " (at " + Milliseconds(f.timeMs) + ")";
    result.failures.push_back(std::move(f));
}

void ScenarioRunner::FailFault(const BoundScenarioFile& file, const BoundStep& step, TestResult& result) {
    Fail(file, step, result, {}, {}, target_.Fault().value_or("the module stopped"));
    ScenarioFailure& failure = result.failures.back();
    failure.tag.clear();
    if (const auto place = target_.FaultAt()) {
        failure.faultUnit = place->unit;
        failure.faultRung = place->rung;
    }
}

bool ScenarioRunner::RunStep(const BoundScenarioFile& file, const BoundStep& step, TestResult& result) {
    // A value that could not be read or written: the module's fault ends the test, else
    // the step fails and the test goes on.
    const auto accessFailed = [&](const char* what) {
        if (target_.Fault()) {
            FailFault(file, step, result);
            return false;
        }
        Fail(file, step, result, {}, {}, step.tag.name + ": the value could not be " + what);
        return true;
    };
    const auto readFailed = [&] { return accessFailed("read"); };
    const auto writeFailed = [&] { return accessFailed("written"); };
    switch (step.step.kind) {
    case StepKind::Set:
        if (!target_.Write(step.tag, step.value)) return writeFailed();
        return true;
    case StepKind::RunTime:
        if (target_.Run(step.step.milliseconds)) return true;
        FailFault(file, step, result);
        return false;
    case StepKind::RunScans:
        if (target_.RunScans(step.step.scans)) return true;
        FailFault(file, step, result);
        return false;
    case StepKind::Pulse:
        if (!target_.Write(step.tag, 1)) return writeFailed();
        if (!target_.Run(step.step.milliseconds)) {
            FailFault(file, step, result);
            return false;
        }
        if (!target_.Write(step.tag, 0)) return writeFailed();
        return true;
    case StepKind::Expect: {
        const auto actual = target_.Read(step.tag);
        if (!actual) return readFailed();
        if (!ConditionHolds(step, *actual)) {
            const std::string expected = ExpectedText(step);
            const std::string shown = FormatTagValue(step.tag, *actual);
            Fail(file, step, result, expected, shown,
                 step.tag.name + ": expected " + expected + ", actual " + shown);
        }
        return true;
    }
    case StepKind::WaitUntil: {
        const uint64_t deadline = target_.Now() + step.step.milliseconds;
        while (true) {
            const auto actual = target_.Read(step.tag);
            if (!actual) return readFailed();
            if (ConditionHolds(step, *actual)) return true;
            if (!target_.Next(deadline)) {
                if (target_.Fault()) {
                    FailFault(file, step, result);
                    return false;
                }
                const auto last = target_.Read(step.tag);
                if (!last) return readFailed();
                if (ConditionHolds(step, *last)) return true;
                const std::string expected = ExpectedText(step) + " within " + Milliseconds(step.step.milliseconds);
                const std::string shown = FormatTagValue(step.tag, *last);
                Fail(file, step, result, expected, shown,
                     step.tag.name + ": expected " + expected + ", actual " + shown);
                return true;
            }
        }
    }
    }
    return true;
}

TestResult ScenarioRunner::RunTest(const BoundScenarioFile& file, const BoundTest& test) {
    TestResult result;
    result.path = file.path;
    result.name = test.name;
    result.line = test.at.line;
    const auto started = std::chrono::steady_clock::now();
    if (!target_.Begin()) {
        ScenarioFailure f;
        f.path = file.path;
        f.line = test.at.line;
        f.message = target_.Fault().value_or("the program could not be started");
        result.failures.push_back(std::move(f));
    } else {
        bool going = true;
        for (size_t i = 0; going && i < file.setup.size(); ++i) going = RunStep(file, file.setup[i], result);
        for (size_t i = 0; going && i < test.steps.size(); ++i) going = RunStep(file, test.steps[i], result);
        result.simulatedMs = target_.Now();
    }
    target_.End();
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

std::vector<TestResult> ScenarioRunner::RunFile(const BoundScenarioFile& file,
                                                const std::function<void(const TestResult&)>& done) {
    std::vector<TestResult> results;
    for (const auto& test : file.tests) {
        results.push_back(RunTest(file, test));
        if (done) done(results.back());
    }
    return results;
}

}  // namespace pontra::scenario
