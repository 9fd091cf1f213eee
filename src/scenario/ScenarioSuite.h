// SPDX-License-Identifier: GPL-3.0-or-later
// The scenario files of one run: read and parsed, then checked against the project once
// its program has been built (tag addresses come from the build), then run on a target.
// Every file is checked before any test runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scenario/ScenarioBinder.h"
#include "scenario/ScenarioResult.h"
#include "scenario/ScenarioTarget.h"

namespace pontra {
class CProject;
}

namespace pontra::scenario {

// A scenario file is a page of text; anything this large is not one.
constexpr size_t kMaxScenarioFileBytes = 4 << 20;

class ScenarioSuite {
public:
    // Reads and parses the files; false when any could not be read or has an error (one
    // error per file in `errors`, in the order of the files).
    bool Load(const std::vector<std::string>& paths, std::vector<ScenarioError>& errors);
    // Reads and parses one file; `name` names it in errors and results (a shorter form
    // of the path).
    bool LoadFile(const std::string& path, const std::string& name, std::vector<ScenarioError>& errors);
    // Parses text already in memory (the desktop application's editor).
    bool LoadText(const std::string& text, const std::string& path, std::vector<ScenarioError>& errors);

    // Checks tags and values against the built project; false with the errors otherwise.
    bool Bind(CProject& project, std::vector<ScenarioError>& errors);

    // Runs every test of every file in order on `target`.
    std::vector<TestResult> Run(ScenarioTarget& target, const std::function<void(const TestResult&)>& done = {}) const;

    const std::vector<ScenarioFile>& Files() const { return files_; }
    std::vector<std::string> Paths() const;

private:
    std::vector<ScenarioFile> files_;
    std::vector<BoundScenarioFile> bound_;
};

}  // namespace pontra::scenario
