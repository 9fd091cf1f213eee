// SPDX-License-Identifier: GPL-3.0-or-later
// Checks a parsed scenario file against a project whose tag memory has been laid out
// (by the program build): every tag must name a value of the main program (a BOOL or an
// integer, members and aliases followed), every value must fit that tag in one of the
// display styles (2#, 8#, 16#, a dotted IP address, decimal; TRUE/FALSE and ON/OFF for a
// BOOL), a PULSE needs a BOOL. The result carries each tag's place in tag memory.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scenario/Scenario.h"
#include "scenario/ScenarioTag.h"

namespace pontra {
class CProject;
}

namespace pontra::scenario {

struct BoundStep {
    Step step;
    ScenarioTag tag;        // Set, Expect, WaitUntil, Pulse
    int32_t value = 0;      // normalised for the tag (see NormalizeTagValue)
    int32_t tolerance = 0;  // Expect and WaitUntil with +/-
};

struct BoundTest {
    std::string name;
    SourcePosition at;
    std::vector<BoundStep> steps;
};

struct BoundScenarioFile {
    std::string path;
    std::vector<BoundStep> setup;
    std::vector<BoundTest> tests;
};

class ScenarioBinder {
public:
    // None (and the first error in `error`) when a tag or value does not fit the project.
    static std::optional<BoundScenarioFile> Bind(const ScenarioFile& file, CProject& project, ScenarioError& error);
};

}  // namespace pontra::scenario
