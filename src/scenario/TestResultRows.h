// SPDX-License-Identifier: GPL-3.0-or-later
// The rows a results list shows for a run of scenario tests, and where each leads: a row
// per file, under it a row per test as it ends (PASS/FAIL with its simulated time),
// under a failed test each finding in pontra-cli test's words; or, when nothing ran, the
// scenario file errors with their line and column, or the build's errors from the output
// window. Front ends draw the rows; the texts and the places are decided here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "scenario/Scenario.h"
#include "scenario/ScenarioResult.h"
#include "scenario/TestRunSetup.h"
#include "shell/OutputWindow.h"

namespace pontra {
class CProject;
}

namespace pontra::scenario {

enum class RowKind { File, Test, Failure, Error, BuildError };
enum class RowState { Pending, Passed, Failed, Error };

struct TestResultRow {
    RowKind kind = RowKind::File;
    int parent = -1;  // the row this one sits under; -1 at the top
    std::string text;
    RowState state = RowState::Pending;
    // Where a double-click leads: a place in a scenario file (line 0: the file itself;
    // empty file: none), a module fault's rung (rung 0: none), an output window line.
    std::string file;
    int line = 0;
    int column = 0;
    std::string faultUnit;
    int faultRung = 0;
    int outputLine = -1;
};

class TestResultRows {
public:
    // A new run of these files with `tests` tests in all.
    void Begin(const std::vector<ScenarioFileName>& files, size_t tests);
    // Nothing runs: reading, parsing or binding errors.
    void AddErrors(const std::vector<ScenarioError>& errors);
    // Nothing runs: the program does not build; its error lines in `output`.
    void AddBuildFailure(const OutputWindow& output);
    void AddResult(const TestResult& result);
    // The run ended (all tests ran, or it was stopped).
    void Finish();

    const std::vector<TestResultRow>& Rows() const { return rows_; }
    bool Running() const { return running_; }
    size_t PassedCount() const { return passed_; }
    size_t FailedCount() const { return failed_; }
    // "Running: 2 of 5 tests, 1 failed", "5 tests: 4 passed, 1 failed", "Scenario file
    // errors: nothing ran", "The program does not build: nothing ran", "" before a run.
    std::string Summary() const;

    // "PASS \"name\" (1200 ms)", "FAIL ..."
    static std::string TestText(const TestResult& result);

private:
    int FileRow(const std::string& name);

    std::vector<ScenarioFileName> files_;
    std::vector<TestResultRow> rows_;
    size_t tests_ = 0, passed_ = 0, failed_ = 0;
    bool running_ = false, errors_ = false, buildFailed_ = false;
};

// The output window line a build error row leads to, while the window still holds it
// (a later verification replaces the lines); -1 otherwise.
int OutputLineOf(const TestResultRow& row, const OutputWindow& output);

// The ladder place of a module fault: the first element of rung `rung` (from 1) of the
// main program (unit "") or of a ladder function block. Kind None when there is no such
// rung now (the project may have been edited since the run).
OutputJump FaultRungJump(const CProject& project, const std::string& unit, int rung);

}  // namespace pontra::scenario
