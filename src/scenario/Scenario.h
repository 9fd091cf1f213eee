// SPDX-License-Identifier: GPL-3.0-or-later
// A scenario file as read: an optional set-up block shared by its tests, then the tests,
// each a list of steps (set, run, expect, wait, pulse). Tags and values are kept as
// written with their positions; ScenarioBinder resolves them against a project.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pontra::scenario {

// Line and column (both from 1) of a place in a scenario file.
struct SourcePosition {
    int line = 0;
    int column = 0;
};

enum class StepKind { Set, RunTime, RunScans, Expect, WaitUntil, Pulse };

enum class Comparison { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

// "=", "<>", "<", "<=", ">", ">=".
const char* ComparisonText(Comparison comparison);

// A condition on one tag: `tag comparison value [+/- tolerance]`.
struct Condition {
    std::string tag;
    SourcePosition tagAt;
    Comparison comparison = Comparison::Equal;
    std::string value;  // as written; parsed for the tag's width by the binder
    SourcePosition valueAt;
    std::string tolerance;  // empty when none
    SourcePosition toleranceAt;
};

struct Step {
    StepKind kind = StepKind::Set;
    SourcePosition at;  // the keyword
    // Set: `condition.tag = condition.value`; Expect and WaitUntil: the condition;
    // Pulse: the tag.
    Condition condition;
    uint64_t milliseconds = 0;  // RunTime, WaitUntil (the limit), Pulse (its length)
    uint64_t scans = 0;         // RunScans
};

struct ScenarioTest {
    std::string name;
    SourcePosition at;
    std::vector<Step> steps;
};

struct ScenarioFile {
    std::string path;  // as named on the command line
    std::vector<Step> setup;
    std::vector<ScenarioTest> tests;
};

// An error in a scenario file, found before anything runs.
struct ScenarioError {
    std::string path;
    SourcePosition at;
    std::string message;

    // "PATH:LINE:COLUMN: error: MESSAGE" ("PATH: error: MESSAGE" for the whole file)
    std::string Text() const;
};

}  // namespace pontra::scenario
