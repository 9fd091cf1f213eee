// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/TestRunSetup.h"

#include "scenario/ScenarioFileChoice.h"
#include "scenario/SimulatedModuleFactory.h"
#include "shell/MainFrame.h"

namespace pontra::scenario {

size_t PreparedTestRun::TestCount() const {
    size_t count = 0;
    for (const auto& file : suite.Files()) count += file.tests.size();
    return count;
}

PreparedTestRun PrepareTestRun(CMainFrame& frame, const std::vector<std::string>& paths, uint32_t scanMs) {
    PreparedTestRun run;
    const std::string project = frame.doc().pathName;
    for (const auto& path : paths) run.files.push_back({path, ScenarioFileChoice::DisplayName(path, project)});
    bool read = true;
    for (const auto& file : run.files) read = run.suite.LoadFile(file.path, file.name, run.errors) && read;
    if (!read) return run;
    run.module = MakeSimulatedModule(frame, scanMs);
    if (!run.module) {
        run.buildFailed = true;
        return run;
    }
    run.suite.Bind(frame.project(), run.errors);
    return run;
}

}  // namespace pontra::scenario
