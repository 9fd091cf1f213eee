// SPDX-License-Identifier: GPL-3.0-or-later
// A test run from the desktop application, up to the point where it runs: which files it
// takes (chosen once per project, remembered, the *.test files beside the project
// offered at first), and the run made ready from the open project (files, build, bind),
// owning everything it holds; a stop flag that ends a run early.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "ScenarioFixture.h"
#include "files/ComponentImport.h"
#include "scenario/ScenarioFileChoice.h"
#include "scenario/TestRunSetup.h"

namespace pontra::scenario::test {
namespace {

TEST(ScenarioFileChoice, ChosenOnceForEachProjectThenRemembered) {
    TempDir dir;
    for (const char* name : {"b.test", "a.test", "notes.txt"}) WriteText(dir.File(name), "# nothing\n");
    std::filesystem::create_directory(dir.File("sub.test"));
    const std::string project = dir.File("Line.clp");
    EXPECT_EQ(ScenarioFileChoice::DefaultFiles(project),
              (std::vector<std::string>{dir.File("a.test"), dir.File("b.test")}));

    ScriptedHost host;
    ScenarioFileChoice choice(host, project);
    const FileDialogRequest first = choice.Request();
    EXPECT_EQ(first.initialPath, dir.Path());
    EXPECT_EQ(first.selected, ScenarioFileChoice::DefaultFiles(project)) << "the files beside the project are offered";
    EXPECT_EQ(first.filter, "Scenario Files (*.test) | *.test||");

    // Cancelled: nothing is remembered and nothing runs.
    EXPECT_FALSE(choice.FilesToRun());
    EXPECT_EQ(host.log, std::vector<std::string>{"file: open"});
    host.files.push_back(dir.File("b.test"));
    EXPECT_EQ(choice.FilesToRun(), std::vector<std::string>{dir.File("b.test")});
    // Remembered: the next run asks nothing, even in a new session.
    ScenarioFileChoice again(host, project);
    EXPECT_EQ(again.FilesToRun(), std::vector<std::string>{dir.File("b.test")});
    EXPECT_EQ(host.log.size(), 2u);
    EXPECT_EQ(again.Request().selected, std::vector<std::string>{dir.File("b.test")});
    // Choosing again replaces the choice; a cancelled choice keeps it.
    host.files.push_back(dir.File("a.test"));
    EXPECT_TRUE(again.Choose());
    EXPECT_FALSE(again.Choose());
    EXPECT_EQ(again.Remembered(), std::vector<std::string>{dir.File("a.test")});
    // Another project has its own choice; an untitled one keeps none.
    EXPECT_TRUE(ScenarioFileChoice(host, dir.File("Other.clp")).Remembered().empty());
    host.files.push_back(dir.File("a.test"));
    ScenarioFileChoice untitled(host, "");
    EXPECT_TRUE(untitled.Choose());
    EXPECT_TRUE(untitled.Remembered().empty());
    EXPECT_TRUE(untitled.Request().selected.empty());
}

TEST(ScenarioFileChoice, KeysAndNamesOfFiles) {
    EXPECT_EQ(ScenarioFileChoice::SettingKey("/p/50%/a\\b.clp"), "Scenario Tests\\%2Fp%2F50%25%2Fa%5Cb.clp");
    EXPECT_NE(ScenarioFileChoice::SettingKey("/p/a_b.clp"), ScenarioFileChoice::SettingKey("/p/a/b.clp"));
    const struct {
        const char* path;
        const char* project;
        const char* name;
    } cases[] = {
        {"/p/line/zone.test", "/p/line/Line.clp", "zone.test"},
        {"/p/line/tests/zone.test", "/p/line/Line.clp", "tests/zone.test"},
        {"/p/other/zone.test", "/p/line/Line.clp", "/p/other/zone.test"},
        {"/p/line/zone.test", "", "/p/line/zone.test"},
    };
    for (const auto& c : cases) EXPECT_EQ(ScenarioFileChoice::DisplayName(c.path, c.project), c.name) << c.path;
}

class TestRunSetup : public ::testing::Test {
protected:
    TestRunSetup() {
        host.defaultAnswer = true;
        EXPECT_TRUE(NewDocument(frame));
        EXPECT_TRUE(ImportComponents(frame, ReadText(ExamplePath("conveyor_zone.txt")), "conveyor_zone.txt").ok);
        EXPECT_TRUE(SaveDocumentTo(frame, dir.File("zone.clp")));
    }
    std::string Scenario(const std::string& name, const std::string& text) {
        WriteText(dir.File(name), text);
        return dir.File(name);
    }

    TempDir dir;
    ScriptedHost host;
    CMainFrame frame{host};
};

TEST_F(TestRunSetup, TheExampleIsReadyAndRunsWithoutTheProject) {
    const std::string example = Scenario("zone.test", ReadText(ExamplePath("conveyor_zone.test")));
    PreparedTestRun run = PrepareTestRun(frame, {example});
    ASSERT_TRUE(run.Ready()) << (run.errors.empty() ? "" : run.errors[0].Text());
    EXPECT_EQ(run.TestCount(), 5u);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].name, "zone.test");
    // The run owns all it needs: the project may change, or go, while it runs.
    frame.SetProject(NewProjectDocument());
    const auto results = run.suite.Run(*run.module);
    ASSERT_EQ(results.size(), 5u);
    for (const auto& r : results) {
        EXPECT_TRUE(r.Passed()) << r.name;
        EXPECT_EQ(r.path, "zone.test");
    }
}

TEST_F(TestRunSetup, FileErrorsStopBeforeTheBuildAndBindErrorsAfterIt) {
    const std::string syntax = Scenario("syntax.test", "TEST \"a\"\n    RUN 10 parsecs\nEND\n");
    const std::string unknown = Scenario("unknown.test", "TEST \"a\"\n    EXPECT NoSuchTag = 1\nEND\n");
    const size_t outputLines = frame.output.Lines().size();
    PreparedTestRun bad = PrepareTestRun(frame, {syntax, dir.File("missing.test")});
    EXPECT_FALSE(bad.Ready());
    EXPECT_EQ(bad.module, nullptr) << "nothing is built for files with errors";
    ASSERT_EQ(bad.errors.size(), 2u);
    EXPECT_TRUE(bad.errors[0].Text().starts_with("syntax.test:2:")) << bad.errors[0].Text();
    EXPECT_EQ(bad.errors[1].Text(), "missing.test: error: cannot read the file");
    EXPECT_EQ(frame.output.Lines().size(), outputLines) << "nothing was verified";

    PreparedTestRun unbound = PrepareTestRun(frame, {unknown});
    EXPECT_FALSE(unbound.Ready());
    EXPECT_FALSE(unbound.buildFailed);
    ASSERT_EQ(unbound.errors.size(), 1u);
    EXPECT_TRUE(unbound.errors[0].Text().starts_with("unknown.test:2:12: error: ")) << unbound.errors[0].Text();
}

TEST_F(TestRunSetup, AProgramThatDoesNotVerifyIsABuildFailure) {
    const std::string example = Scenario("zone.test", ReadText(ExamplePath("conveyor_zone.test")));
    frame.doc().rungs[0]->elements[1]->operands[0] = "NoSuchTag";
    PreparedTestRun run = PrepareTestRun(frame, {example});
    EXPECT_FALSE(run.Ready());
    EXPECT_TRUE(run.buildFailed);
    std::string lines;
    for (const auto& line : frame.output.Lines()) lines += line.text + "\n";
    EXPECT_NE(lines.find("Error at Rung: 0, Element: XIC"), std::string::npos) << lines;
}

TEST_F(TestRunSetup, TheStopFlagEndsEveryTestAtItsNextScan) {
    const std::string example = Scenario("zone.test", ReadText(ExamplePath("conveyor_zone.test")));
    PreparedTestRun run = PrepareTestRun(frame, {example});
    ASSERT_TRUE(run.Ready());
    std::atomic<bool> stop{true};
    run.module->SetStopFlag(&stop);
    const auto results = run.suite.Run(*run.module);
    ASSERT_EQ(results.size(), 5u);
    for (const auto& r : results) {
        ASSERT_EQ(r.failures.size(), 1u) << r.name;
        EXPECT_TRUE(r.failures[0].message.starts_with("the run was stopped")) << r.failures[0].message;
    }
}

}  // namespace
}  // namespace pontra::scenario::test
