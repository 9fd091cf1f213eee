// SPDX-License-Identifier: GPL-3.0-or-later
// Run Tests from the main window: the conveyor example's scenarios pass; a copy of the
// project with a timer preset changed in the model fails the right expectation with the
// right words, and a double-click shows its line; a scenario file with a syntax error
// shows its line and column and runs nothing; a runtime error leads to its rung; a
// second run while one runs is refused. With PONTRA_SCREENSHOT_DIR set, the window with
// a failed run is written to test_results.png.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTreeWidget>
#include <fstream>
#include <sstream>

#include "GuiFixture.h"
#include "files/ComponentImport.h"
#include "gui/LadderEditor.h"
#include "gui/TestResultsDock.h"
#include "model/Project.h"
#include "model/Tag.h"
#include "scenario/ScenarioFileChoice.h"
#include "shell/LadderView.h"

namespace pontra::gui {
namespace {

using scenario::RowKind;
using scenario::TestResultRow;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Example(const char* name) { return ReadAll(std::string(PONTRA_SOURCE_DIR) + "/examples/" + name); }

// The line (from 1) of `text` that holds `part`; 0 when none.
int LineOf(const std::string& text, const std::string& part) {
    const size_t at = text.find(part);
    if (at == std::string::npos) return 0;
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

class TestResults : public GuiTest {
protected:
    // A project made from component text, saved in the fixture's folder.
    std::string Project(const std::string& name, const std::string& componentText) {
        ScriptedHost scripted;
        scripted.defaultAnswer = true;
        CMainFrame maker(scripted);
        EXPECT_TRUE(NewDocument(maker));
        EXPECT_TRUE(ImportComponents(maker, componentText, "components.txt").ok);
        const std::string path = dir.File(name);
        EXPECT_TRUE(SaveDocumentTo(maker, path));
        return path;
    }
    std::string Scenario(const std::string& name, const std::string& text) {
        std::ofstream(dir.File(name), std::ios::binary) << text;
        return dir.File(name);
    }
    TestResultsDock& dock() { return *window->testResults(); }
    // Runs the command as its menu entry does and waits for the run to end.
    bool RunAndWait() {
        window->action(Command::RunTests)->trigger();
        const bool ended = host->PumpUntil([&] { return !dock().Running(); }, 30000);
        Settle();
        return ended;
    }
    int RowWhere(RowKind kind, const std::string& start) {
        const auto& rows = dock().rows().Rows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].kind == kind && rows[i].text.starts_with(start)) return static_cast<int>(i);
        return -1;
    }
    void DoubleClick(int row) {
        QTreeWidgetItem* item = dock().itemOf(row);
        ASSERT_NE(item, nullptr);
        Q_EMIT dock().list()->itemDoubleClicked(item, 0);
        Settle();
    }
    int SelectedLine() { return dock().source()->textCursor().block().blockNumber() + 1; }
    QString SelectedText() { return dock().source()->textCursor().selectedText(); }
    void Picture(const char* name) {
        const QByteArray folder = qgetenv("PONTRA_SCREENSHOT_DIR");
        if (folder.isEmpty()) return;
        window->resize(1400, 900);
        window->show();
        host->PumpUntil([] { return false; }, 150);
        EXPECT_TRUE(window->grab().save(QString::fromLocal8Bit(folder) + "/" + name));
    }
};

// The host's several-file dialog opens in the project's folder with the offered files
// selected, and returns what is selected when accepted.
TEST_F(TestResults, TheFileDialogOffersTheTestFilesBesideTheProject) {
    const std::string project = Project("zone.clp", Example("conveyor_zone.txt"));
    const std::string a = Scenario("a.test", "# a\n"), b = Scenario("b.test", "# b\n");
    host->SetScript(nullptr);
    QStringList offered;
    QTimer::singleShot(200, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        offered = dialog->selectedFiles();
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto chosen = scenario::ScenarioFileChoice(*host, project).Choose();
    host->SetScript(&script);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(offered, (QStringList{QString::fromStdString(a), QString::fromStdString(b)}));
    EXPECT_EQ(*chosen, (std::vector<std::string>{a, b}));
}

TEST_F(TestResults, TheConveyorExamplePassesAndTheChoiceIsRemembered) {
    const std::string project = Project("zone.clp", Example("conveyor_zone.txt"));
    const std::string tests = Scenario("zone.test", Example("conveyor_zone.test"));
    ASSERT_TRUE(window->StartUp(project));
    QAction* run = window->action(Command::RunTests);
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(run->isEnabled());
    EXPECT_EQ(run->shortcut(), QKeySequence("Ctrl+Shift+T"));

    script.fileSets.push_back(std::vector<std::string>{tests});
    ASSERT_TRUE(RunAndWait());
    EXPECT_EQ(script.shown, std::vector<std::string>{"file: open several"}) << "asked once, the first time";
    EXPECT_FALSE(dock().isHidden());
    EXPECT_EQ(dock().summary()->text(), "5 tests: 5 passed, 0 failed");
    EXPECT_EQ(dock().rows().Rows()[0].text, "zone.test");
    EXPECT_GE(RowWhere(RowKind::Test, "PASS \"A blink of the photo-eye"), 0);
    EXPECT_FALSE(frame().testsRunning);
    EXPECT_TRUE(run->isEnabled());

    // Run Again takes the same files without asking.
    ASSERT_TRUE(dock().runAgainButton()->isEnabled());
    dock().runAgainButton()->click();
    ASSERT_TRUE(host->PumpUntil([&] { return !dock().Running(); }, 30000));
    Settle();
    EXPECT_EQ(script.shown.size(), 1u);
    EXPECT_EQ(dock().summary()->text(), "5 tests: 5 passed, 0 failed");
    EXPECT_EQ(scenario::ScenarioFileChoice(*host, project).Remembered(), std::vector<std::string>{tests});
}

TEST_F(TestResults, AChangedTimerPresetFailsTheRightTestAndTheFailureShowsItsLine) {
    const std::string project = Project("zone.clp", Example("conveyor_zone.txt"));
    const std::string text = Example("conveyor_zone.test");
    const std::string tests = Scenario("zone.test", text);
    ASSERT_TRUE(window->StartUp(project));
    // The program as edited in the window runs, not the file: the debounce now takes 200 ms.
    CTag* debounce = nullptr;
    for (auto& tag : frame().doc().tags)
        if (tag->name == "SensorDebounce") debounce = tag.get();
    ASSERT_NE(debounce, nullptr);
    bool changed = false;
    for (auto& member : debounce->members)
        if (member->name == "SensorDebounce.PRE") {
            member->initialValue = "200";
            changed = true;
        }
    ASSERT_TRUE(changed);

    script.fileSets.push_back(std::vector<std::string>{tests});
    ASSERT_TRUE(RunAndWait());
    const int expectLine = LineOf(text, "EXPECT SensorDebounce.DN = 1");
    ASSERT_GT(expectLine, 0);
    const int failure = RowWhere(RowKind::Failure, "zone.test:" + std::to_string(expectLine) + ": ");
    ASSERT_GE(failure, 0) << dock().summary()->text().toStdString();
    const TestResultRow& row = dock().rows().Rows()[static_cast<size_t>(failure)];
    EXPECT_EQ(row.text, "zone.test:" + std::to_string(expectLine) +
                            ": SensorDebounce.DN: expected = 1, actual 0 (at 110 ms)");
    const TestResultRow& test = dock().rows().Rows()[static_cast<size_t>(row.parent)];
    EXPECT_TRUE(test.text.starts_with("FAIL \"A product blocking the photo-eye for 100 ms occupies the zone\" ("))
        << test.text;
    EXPECT_GE(RowWhere(RowKind::Test, "PASS \"A blink of the photo-eye"), 0) << "a short blink is still ignored";
    EXPECT_TRUE(dock().summary()->text().endsWith("failed"));
    EXPECT_FALSE(dock().summary()->text().endsWith(" 0 failed"));

    DoubleClick(failure);
    EXPECT_EQ(SelectedLine(), expectLine);
    EXPECT_EQ(SelectedText().trimmed(), "EXPECT SensorDebounce.DN = 1");
    EXPECT_TRUE(dock().source()->isReadOnly());
    EXPECT_EQ(dock().sourceTitle()->text(), QString("zone.test, line %1").arg(expectLine));
    EXPECT_FALSE(dock().goToRungButton()->isEnabled()) << "an expectation has no rung";
    dock().list()->setCurrentItem(dock().itemOf(failure));
    Picture("test_results.png");
}

TEST_F(TestResults, ASyntaxErrorShowsItsLineAndColumnAndNothingRuns) {
    const std::string project = Project("zone.clp", Example("conveyor_zone.txt"));
    const std::string good = Scenario("good.test", Example("conveyor_zone.test"));
    const std::string bad = Scenario("bad.test", "TEST \"t\"\n    RUN 10 parsecs\nEND\n");
    ASSERT_TRUE(window->StartUp(project));
    script.fileSets.push_back(std::vector<std::string>{good, bad});
    ASSERT_TRUE(RunAndWait());
    const int error = RowWhere(RowKind::Error, "bad.test:2:");
    ASSERT_GE(error, 0);
    EXPECT_TRUE(dock().rows().Rows()[static_cast<size_t>(error)].text.find(": error: ") != std::string::npos);
    EXPECT_EQ(RowWhere(RowKind::Test, ""), -1) << "nothing ran, not even the good file";
    EXPECT_EQ(dock().summary()->text(), "Scenario file errors: nothing ran");
    DoubleClick(error);
    EXPECT_EQ(SelectedLine(), 2);
    EXPECT_EQ(SelectedText().trimmed(), "RUN 10 parsecs");
    EXPECT_EQ(dock().sourceTitle()->text(), "bad.test, line 2, column 12");

    // Choose Test Files... changes the choice; the next run takes it.
    script.fileSets.push_back(std::vector<std::string>{good});
    window->action(Command::ChooseTestFiles)->trigger();
    ASSERT_TRUE(RunAndWait());
    EXPECT_EQ(dock().summary()->text(), "5 tests: 5 passed, 0 failed");
    // The list is the new run's: one file with its five tests.
    ASSERT_EQ(dock().list()->topLevelItemCount(), 1);
    EXPECT_EQ(dock().list()->topLevelItem(0)->text(0), "good.test");
    EXPECT_EQ(dock().list()->topLevelItem(0)->childCount(), 5);
}

TEST_F(TestResults, AProgramThatDoesNotBuildListsTheBuildErrorsAndNothingRuns) {
    const std::string project = Project("zone.clp", Example("conveyor_zone.txt"));
    const std::string tests = Scenario("zone.test", Example("conveyor_zone.test"));
    ASSERT_TRUE(window->StartUp(project));
    CElement* contact = frame().doc().rungs[0]->elements[1].get();
    contact->operands[0] = "NoSuchTag";
    script.fileSets.push_back(std::vector<std::string>{tests});
    ASSERT_TRUE(RunAndWait());
    EXPECT_EQ(dock().summary()->text(), "The program does not build: nothing ran");
    EXPECT_EQ(RowWhere(RowKind::Test, ""), -1);
    const int error = RowWhere(RowKind::BuildError, "Error at Rung: 0, Element: XIC");
    ASSERT_GE(error, 0);
    // As on the output window's line: the element is selected in the ladder editor.
    window->CloseDocument("main");
    Settle();
    DoubleClick(error);
    auto* ladder = dynamic_cast<LadderEditor*>(window->ActiveView());
    ASSERT_NE(ladder, nullptr);
    EXPECT_EQ(ladder->view().selected, contact);
}

TEST_F(TestResults, ARuntimeErrorLeadsToItsRung) {
    const std::string project = Project("faults.clp",
                                        "PROGRAM Main \n\nVAR\nA: DINT := 10;\nB: DINT;\nC: DINT;\nEND_VAR\n\n"
                                        "RUNG;\nXIC(Inputs.0);\nOTE(Outputs.0);\nRND;\n\n"
                                        "RUNG;\nXIC(Inputs.1);\nDIV(A,B,C);\nRND;\n\nEND_PROGRAM\n");
    const std::string tests = Scenario("faults.test", "TEST \"divide\"\n    SET Inputs.1 = 1\n    RUN 30 ms\nEND\n");
    ASSERT_TRUE(window->StartUp(project));
    script.fileSets.push_back(std::vector<std::string>{tests});
    ASSERT_TRUE(RunAndWait());
    const int fault = RowWhere(RowKind::Failure, "faults.test:3: Runtime Error(#103)");
    ASSERT_GE(fault, 0) << dock().summary()->text().toStdString();
    EXPECT_EQ(dock().rows().Rows()[static_cast<size_t>(fault)].faultRung, 2);
    dock().list()->setCurrentItem(dock().itemOf(fault));
    EXPECT_TRUE(dock().goToRungButton()->isEnabled());
    window->CloseDocument("main");
    Settle();
    dock().goToRungButton()->click();
    Settle();
    auto* ladder = dynamic_cast<LadderEditor*>(window->ActiveView());
    ASSERT_NE(ladder, nullptr);
    EXPECT_EQ(ActiveKey(), "main");
    EXPECT_EQ(ladder->view().currentRung, 1);
    EXPECT_EQ(ladder->view().selected, frame().doc().rungs[1]->elements.front().get());
}

TEST_F(TestResults, NoSecondRunWhileOneRuns) {
    const std::string project = Project("zone.clp", Example("conveyor_zone.txt"));
    // Long enough to be still running when the second run is asked for.
    const std::string tests = Scenario("long.test", "TEST \"long\"\n    RUN 30 min\nEND\nTEST \"short\"\n    RUN 1 s\nEND\n");
    ASSERT_TRUE(window->StartUp(project));
    script.fileSets.push_back(std::vector<std::string>{tests});
    QAction* run = window->action(Command::RunTests);
    run->trigger();
    ASSERT_TRUE(dock().Running());
    EXPECT_TRUE(frame().testsRunning);
    EXPECT_FALSE(run->isEnabled());
    EXPECT_FALSE(dock().runAgainButton()->isEnabled());
    EXPECT_EQ(window->Run(Command::RunTests), CommandOutcome::Disabled);
    EXPECT_FALSE(dock().RunTests());
    EXPECT_EQ(dock().summary()->text(), "Running: 0 of 2 tests, 0 failed");
    // The window stays live and the project may be edited: the run has its own copies.
    frame().doc().rungs.clear();
    ASSERT_TRUE(host->PumpUntil([&] { return !dock().Running(); }, 60000));
    Settle();
    EXPECT_EQ(dock().summary()->text(), "2 tests: 2 passed, 0 failed");
    EXPECT_EQ(script.shown.size(), 1u);
    EXPECT_TRUE(run->isEnabled());
}

TEST_F(TestResults, ClosingTheProjectStopsARun) {
    const std::string project = Project("zone.clp", Example("conveyor_zone.txt"));
    const std::string tests = Scenario("long.test", "TEST \"long\"\n    RUN 1440 min\nEND\n");
    ASSERT_TRUE(window->StartUp(project));
    script.fileSets.push_back(std::vector<std::string>{tests});
    window->action(Command::RunTests)->trigger();
    ASSERT_TRUE(dock().Running());
    EXPECT_EQ(window->Run(Command::Close), CommandOutcome::Done);
    EXPECT_FALSE(dock().Running());
    EXPECT_FALSE(frame().testsRunning);
    EXPECT_TRUE(dock().rows().Rows().empty());
    Settle();
    EXPECT_EQ(dock().list()->topLevelItemCount(), 0);

    // Closing the window in the middle of a run ends it too.
    ASSERT_TRUE(window->StartUp(project));
    window->action(Command::RunTests)->trigger();
    ASSERT_TRUE(dock().Running());
    StopWindow();
    EXPECT_EQ(window, nullptr);
}

}  // namespace
}  // namespace pontra::gui
