// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/TestResultRows.h"

#include "model/Ladder.h"
#include "model/Project.h"
#include "model/Unit.h"

namespace pontra::scenario {

void TestResultRows::Begin(const std::vector<ScenarioFileName>& files, size_t tests) {
    *this = TestResultRows();
    files_ = files;
    tests_ = tests;
    running_ = true;
    for (const auto& file : files_) {
        TestResultRow row;
        row.kind = RowKind::File;
        row.text = file.name;
        row.file = file.path;
        rows_.push_back(std::move(row));
    }
}

int TestResultRows::FileRow(const std::string& name) {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].kind == RowKind::File && rows_[i].text == name) return static_cast<int>(i);
    // A name the run did not start with (not expected): a row of its own.
    TestResultRow row;
    row.kind = RowKind::File;
    row.text = name;
    rows_.push_back(std::move(row));
    return static_cast<int>(rows_.size() - 1);
}

void TestResultRows::AddErrors(const std::vector<ScenarioError>& errors) {
    errors_ = errors_ || !errors.empty();
    for (const auto& error : errors) {
        const int parent = FileRow(error.path);
        rows_[static_cast<size_t>(parent)].state = RowState::Error;
        TestResultRow row;
        row.kind = RowKind::Error;
        row.parent = parent;
        row.text = error.Text();
        row.state = RowState::Error;
        // A file that could not be read has no place to show.
        if (error.at.line > 0) {
            row.file = rows_[static_cast<size_t>(parent)].file;
            row.line = error.at.line;
            row.column = error.at.column;
        }
        rows_.push_back(std::move(row));
    }
}

void TestResultRows::AddBuildFailure(const OutputWindow& output) {
    buildFailed_ = true;
    TestResultRow head;
    head.kind = RowKind::BuildError;
    head.text = "The program does not build (see the Output window)";
    head.state = RowState::Error;
    rows_.push_back(std::move(head));
    const int parent = static_cast<int>(rows_.size() - 1);
    const auto& lines = output.Lines();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].text.starts_with("Error")) continue;
        TestResultRow row;
        row.kind = RowKind::BuildError;
        row.parent = parent;
        row.text = lines[i].text;
        row.state = RowState::Error;
        row.outputLine = static_cast<int>(i);
        rows_.push_back(std::move(row));
    }
}

std::string TestResultRows::TestText(const TestResult& result) {
    return std::string(result.Passed() ? "PASS" : "FAIL") + " \"" + result.name + "\" (" +
           std::to_string(result.simulatedMs) + " ms)";
}

void TestResultRows::AddResult(const TestResult& result) {
    const int parent = FileRow(result.path);
    const std::string path = rows_[static_cast<size_t>(parent)].file;
    TestResultRow& fileRow = rows_[static_cast<size_t>(parent)];
    if (result.Passed()) {
        ++passed_;
        if (fileRow.state == RowState::Pending) fileRow.state = RowState::Passed;
    } else {
        ++failed_;
        fileRow.state = RowState::Failed;
    }
    TestResultRow test;
    test.kind = RowKind::Test;
    test.parent = parent;
    test.text = TestText(result);
    test.state = result.Passed() ? RowState::Passed : RowState::Failed;
    test.file = path;
    test.line = result.line;
    rows_.push_back(std::move(test));
    const int testRow = static_cast<int>(rows_.size() - 1);
    for (const auto& failure : result.failures) {
        TestResultRow row;
        row.kind = RowKind::Failure;
        row.parent = testRow;
        row.text = failure.Text();
        row.state = RowState::Failed;
        row.file = path;
        row.line = failure.line;
        row.faultUnit = failure.faultUnit;
        row.faultRung = failure.faultRung;
        rows_.push_back(std::move(row));
    }
}

void TestResultRows::Finish() { running_ = false; }

std::string TestResultRows::Summary() const {
    if (buildFailed_) return "The program does not build: nothing ran";
    if (errors_) return "Scenario file errors: nothing ran";
    const size_t ran = passed_ + failed_;
    if (running_)
        return "Running: " + std::to_string(ran) + " of " + std::to_string(tests_) + " tests, " +
               std::to_string(failed_) + " failed";
    if (files_.empty() && ran == 0) return "";
    const std::string counts = std::to_string(passed_) + " passed, " + std::to_string(failed_) + " failed";
    if (ran < tests_) return "Stopped after " + std::to_string(ran) + " of " + std::to_string(tests_) + " tests: " + counts;
    return std::to_string(ran) + " tests: " + counts;
}

int OutputLineOf(const TestResultRow& row, const OutputWindow& output) {
    if (row.outputLine < 0 || static_cast<size_t>(row.outputLine) >= output.Lines().size()) return -1;
    return output.Lines()[static_cast<size_t>(row.outputLine)].text == row.text ? row.outputLine : -1;
}

OutputJump FaultRungJump(const CProject& project, const std::string& unit, int rung) {
    OutputJump jump;
    CUnit* owner = nullptr;
    if (!unit.empty()) {
        owner = project.FindUnit(unit);
        if (!owner || !owner->IsFunctionBlock() || owner->language != kLanguageLadder) return jump;
    }
    const RungList& rungs = owner ? owner->rungs : project.doc.rungs;
    if (rung < 1 || static_cast<size_t>(rung) > rungs.size()) return jump;
    const CRung& found = *rungs[static_cast<size_t>(rung - 1)];
    if (found.elements.empty()) return jump;
    jump.kind = OutputJump::Kind::LadderElement;
    jump.unit = owner;
    jump.rung = rung - 1;
    jump.element = found.elements.front().get();
    return jump;
}

}  // namespace pontra::scenario
