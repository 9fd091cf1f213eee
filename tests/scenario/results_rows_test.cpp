// SPDX-License-Identifier: GPL-3.0-or-later
// The rows the desktop application lists for a test run: their texts (pontra-cli test's
// words), their tree, where a double-click leads (a line and column of a scenario file,
// an output line, a module fault's rung) and the summary line.
#include <gtest/gtest.h>

#include "ScenarioFixture.h"
#include "files/ComponentImport.h"
#include "model/Ladder.h"
#include "model/Project.h"
#include "model/Unit.h"
#include "scenario/TestResultRows.h"

namespace pontra::scenario::test {
namespace {

ScenarioFailure Failure(int line, std::string tag, std::string message, int rung = 0, std::string unit = {}) {
    ScenarioFailure f;
    f.path = "zone.test";
    f.line = line;
    f.tag = std::move(tag);
    f.message = std::move(message);
    f.faultRung = rung;
    f.faultUnit = std::move(unit);
    return f;
}

TestResult Result(std::string name, int line, uint64_t ms, std::vector<ScenarioFailure> failures = {}) {
    TestResult r;
    r.path = "zone.test";
    r.name = std::move(name);
    r.line = line;
    r.simulatedMs = ms;
    r.failures = std::move(failures);
    return r;
}

TEST(TestResultRows, ListEachTestAsItEndsWithItsFindingsAndPlaces) {
    TestResultRows rows;
    EXPECT_EQ(rows.Summary(), "");
    rows.Begin({{"/p/zone.test", "zone.test"}, {"/p/more.test", "more.test"}}, 4);
    ASSERT_EQ(rows.Rows().size(), 2u);
    EXPECT_EQ(rows.Summary(), "Running: 0 of 4 tests, 0 failed");
    rows.AddResult(Result("debounce", 3, 200));
    rows.AddResult(Result("jam", 10, 8100,
                          {Failure(14, "Jam", "Jam: expected = 1, actual 0 (at 8000 ms)"),
                           Failure(16, "", "Runtime Error(#103) - Divide by Zero. Program Counter = 7, rung 2 of "
                                           "function block Ramp, instruction DIV (at 8010 ms)", 2, "Ramp")}));
    EXPECT_EQ(rows.Summary(), "Running: 2 of 4 tests, 1 failed");

    struct Expected {
        RowKind kind;
        int parent;
        std::string text;
        RowState state;
        std::string file;
        int line;
        int rung;
    };
    // clang-format off
    const Expected expected[] = {
        {RowKind::File, -1, "zone.test", RowState::Failed, "/p/zone.test", 0, 0},
        {RowKind::File, -1, "more.test", RowState::Pending, "/p/more.test", 0, 0},
        {RowKind::Test, 0, "PASS \"debounce\" (200 ms)", RowState::Passed, "/p/zone.test", 3, 0},
        {RowKind::Test, 0, "FAIL \"jam\" (8100 ms)", RowState::Failed, "/p/zone.test", 10, 0},
        {RowKind::Failure, 3, "zone.test:14: Jam: expected = 1, actual 0 (at 8000 ms)", RowState::Failed,
         "/p/zone.test", 14, 0},
        {RowKind::Failure, 3, "zone.test:16: Runtime Error(#103) - Divide by Zero. Program Counter = 7, rung 2 of "
                              "function block Ramp, instruction DIV (at 8010 ms)", RowState::Failed, "/p/zone.test", 16, 2},
    };
    // clang-format on
    ASSERT_EQ(rows.Rows().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const TestResultRow& row = rows.Rows()[i];
        const Expected& e = expected[i];
        EXPECT_EQ(row.kind, e.kind) << i;
        EXPECT_EQ(row.parent, e.parent) << i;
        EXPECT_EQ(row.text, e.text) << i;
        EXPECT_EQ(row.state, e.state) << i;
        EXPECT_EQ(row.file, e.file) << i;
        EXPECT_EQ(row.line, e.line) << i;
        EXPECT_EQ(row.faultRung, e.rung) << i;
        EXPECT_EQ(row.outputLine, -1) << i;
    }
    EXPECT_EQ(rows.Rows()[5].faultUnit, "Ramp");

    ScenarioFailure other = Failure(2, "A", "A: expected = 1, actual 0 (at 0 ms)");
    other.path = "more.test";
    TestResult last = Result("b", 1, 0, {other});
    last.path = "more.test";
    rows.AddResult(last);
    rows.Finish();
    EXPECT_EQ(rows.Rows()[1].state, RowState::Failed);
    EXPECT_EQ(rows.Rows().back().file, "/p/more.test");
    EXPECT_EQ(rows.Summary(), "Stopped after 3 of 4 tests: 1 passed, 2 failed");
    rows.Begin({{"/p/zone.test", "zone.test"}}, 1);
    rows.AddResult(Result("debounce", 3, 200));
    rows.Finish();
    EXPECT_EQ(rows.Summary(), "1 tests: 1 passed, 0 failed");
    EXPECT_EQ(rows.Rows()[0].state, RowState::Passed);
}

TEST(TestResultRows, FileErrorsShowTheirLineAndColumnAndNothingRan) {
    TestResultRows rows;
    rows.Begin({{"/p/a.test", "a.test"}, {"/p/gone.test", "gone.test"}}, 0);
    rows.AddErrors({{"a.test", {3, 9}, "expected \"=\" after the tag"}, {"gone.test", {0, 0}, "cannot read the file"}});
    rows.Finish();
    ASSERT_EQ(rows.Rows().size(), 4u);
    const TestResultRow& syntax = rows.Rows()[2];
    EXPECT_EQ(syntax.kind, RowKind::Error);
    EXPECT_EQ(syntax.parent, 0);
    EXPECT_EQ(syntax.text, "a.test:3:9: error: expected \"=\" after the tag");
    EXPECT_EQ(syntax.file, "/p/a.test");
    EXPECT_EQ(syntax.line, 3);
    EXPECT_EQ(syntax.column, 9);
    const TestResultRow& unreadable = rows.Rows()[3];
    EXPECT_EQ(unreadable.parent, 1);
    EXPECT_EQ(unreadable.text, "gone.test: error: cannot read the file");
    EXPECT_EQ(unreadable.file, "") << "an unreadable file has nothing to show";
    EXPECT_EQ(rows.Rows()[0].state, RowState::Error);
    EXPECT_EQ(rows.Summary(), "Scenario file errors: nothing ran");
}

TEST(TestResultRows, ABuildFailureListsTheOutputWindowsErrorLines) {
    ScriptedHost host;
    OutputWindow output(host);
    output.AddOutputLine("Verify Main ...");
    output.AddOutputLine("Error at Rung: 1, Element: 2 -> Operand is not defined");
    output.AddOutputLine("Warning: Tag: X -> Not used");
    output.AddOutputLine("Error: Tag: 9a -> Incorrect tag name");
    TestResultRows rows;
    rows.Begin({{"/p/a.test", "a.test"}}, 2);
    rows.AddBuildFailure(output);
    rows.Finish();
    ASSERT_EQ(rows.Rows().size(), 4u);
    EXPECT_EQ(rows.Rows()[1].text, "The program does not build (see the Output window)");
    EXPECT_EQ(rows.Rows()[2].text, "Error at Rung: 1, Element: 2 -> Operand is not defined");
    EXPECT_EQ(rows.Rows()[2].outputLine, 1);
    EXPECT_EQ(rows.Rows()[2].parent, 1);
    EXPECT_EQ(rows.Rows()[3].outputLine, 3);
    EXPECT_EQ(rows.Summary(), "The program does not build: nothing ran");
    EXPECT_EQ(OutputLineOf(rows.Rows()[3], output), 3);
    EXPECT_EQ(OutputLineOf(rows.Rows()[1], output), -1) << "the heading has no line";
    // A later verification replaced the lines: the row leads nowhere.
    output.ClearOutput();
    output.AddOutputLine("Verify Main ...");
    output.AddOutputLine("Verify Main - 0 error(s)");
    EXPECT_EQ(OutputLineOf(rows.Rows()[2], output), -1);
}

TEST(FaultRungJump, LeadsToTheFirstElementOfALadderRungThatStillExists) {
    ScriptedHost host;
    host.defaultAnswer = true;
    CMainFrame frame(host);
    ASSERT_TRUE(NewDocument(frame));
    const std::string text = ReadText(ExamplePath("conveyor_zone.txt"));
    ASSERT_TRUE(ImportComponents(frame, text, "conveyor_zone.txt").ok);
    const RungList& main = frame.doc().rungs;
    ASSERT_GE(main.size(), 3u);

    const OutputJump second = FaultRungJump(frame.project(), "", 2);
    EXPECT_EQ(second.kind, OutputJump::Kind::LadderElement);
    EXPECT_EQ(second.unit, nullptr);
    EXPECT_EQ(second.rung, 1);
    EXPECT_EQ(second.element, main[1]->elements.front().get());
    for (const auto& [unit, rung] : std::vector<std::pair<std::string, int>>{
             {"", 0}, {"", static_cast<int>(main.size()) + 1}, {"NoSuchBlock", 1}, {"Configuration", 1}})
        EXPECT_EQ(FaultRungJump(frame.project(), unit, rung).kind, OutputJump::Kind::None) << unit << " " << rung;
}

}  // namespace
}  // namespace pontra::scenario::test
