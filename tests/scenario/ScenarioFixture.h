// SPDX-License-Identifier: GPL-3.0-or-later
// What the scenario tests share: example projects built from their component text (as
// examples/build.sh builds them), variants of them with one line changed, and scenario
// runs in process through the library the command line uses.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/ScriptedHost.h"
#include "scenario/ScenarioSuite.h"
#include "scenario/SimulatedModuleFactory.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra::scenario::test {

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ExamplePath(const std::string& name) { return std::string(PONTRA_SOURCE_DIR) + "/examples/" + name; }

// `text` with its first `from` replaced by `to` (the test fails when there is none).
inline std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// A project NAME.clp in `dir` made from component text, as examples/build.sh makes one.
inline std::string MakeProject(const TempDir& dir, const std::string& name, const std::string& componentText) {
    const std::string source = dir.File(name + ".txt");
    const std::string project = dir.File(name + ".clp");
    WriteText(source, componentText);
    const auto made = RunCli({"new", project, "--ip", "127.0.0.1"});
    EXPECT_EQ(made.status, 0) << made.err;
    const auto imported = RunCli({"import", project, source, "--yes"});
    EXPECT_EQ(imported.status, 0) << imported.out << imported.err;
    return project;
}

// The results of running scenario text on a project in process, or the errors found.
struct ScenarioRun {
    std::vector<TestResult> results;
    std::vector<ScenarioError> errors;
    bool built = false;

    size_t Failed() const {
        size_t n = 0;
        for (const auto& r : results) n += r.Passed() ? 0 : 1;
        return n;
    }
    const TestResult* Find(const std::string& name) const {
        for (const auto& r : results)
            if (r.name == name) return &r;
        return nullptr;
    }
};

inline ScenarioRun RunScenario(const std::string& project, const std::string& text, const std::string& path = "s.test",
                       uint32_t scanMs = 10, uint64_t instructionLimit = 0) {
    ScenarioRun run;
    ScriptedHost host;
    host.defaultAnswer = true;
    CMainFrame frame(host);
    if (!OpenDocument(frame, project)) return run;
    ScenarioSuite suite;
    if (!suite.LoadText(text, path, run.errors)) return run;
    auto module = MakeSimulatedModule(frame, scanMs);
    if (!module) return run;
    run.built = true;
    if (instructionLimit) module->SetInstructionLimit(instructionLimit);
    if (!suite.Bind(frame.project(), run.errors)) return run;
    run.results = suite.Run(*module);
    return run;
}

}  // namespace pontra::scenario::test
