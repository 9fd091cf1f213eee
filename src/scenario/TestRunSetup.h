// SPDX-License-Identifier: GPL-3.0-or-later
// Everything a run of scenario tests needs, made from the open project on the thread
// that owns it, as pontra-cli test makes it: the files read and parsed (an error stops
// here, before the build), the program image built exactly as a download builds it and
// loaded into a simulated module, then the files checked against the built project.
// What comes out owns all it holds (the image's bytes, the bound tags): the tests can run
// on another thread while the project is edited.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scenario/ScenarioSuite.h"
#include "scenario/SimulatedModule.h"

namespace pontra {
class CMainFrame;
}

namespace pontra::scenario {

// The scan period of runs from the desktop application (pontra-cli test's default).
constexpr uint32_t kDefaultScanMs = 10;

struct ScenarioFileName {
    std::string path;  // as chosen
    std::string name;  // as results and errors name it (ScenarioFileChoice::DisplayName)
};

struct PreparedTestRun {
    std::vector<ScenarioFileName> files;
    ScenarioSuite suite;
    std::unique_ptr<SimulatedModule> module;
    // Reading, parsing and binding errors, with their places; nothing runs when any.
    std::vector<ScenarioError> errors;
    // The program did not build: its errors are in the output window.
    bool buildFailed = false;

    bool Ready() const { return module && errors.empty() && !buildFailed; }
    size_t TestCount() const;
};

PreparedTestRun PrepareTestRun(CMainFrame& frame, const std::vector<std::string>& paths,
                               uint32_t scanMs = kDefaultScanMs);

}  // namespace pontra::scenario
