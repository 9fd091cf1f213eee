// SPDX-License-Identifier: GPL-3.0-or-later
// A double-click on an output line opens the window the line names and selects the
// rung and element, or the line of Structured Text; other lines lead nowhere.
#include <QTreeWidget>

#include "GuiFixture.h"
#include "gui/OutputDock.h"
#include "gui/LadderEditor.h"
#include "gui/StEditorWindow.h"
#include "gui/StTextEdit.h"
#include "model/Unit.h"
#include "shell/LadderEditing.h"
#include "shell/LadderView.h"
#include "shell/ProjectTree.h"

namespace pontra::gui {
namespace {

using OutputJumps = GuiTest;

int LineStarting(QTreeWidget* list, const QString& start) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0).startsWith(start)) return i;
    return -1;
}

void DoubleClick(MainWindow& window, int line) {
    QTreeWidget* list = window.outputDock()->list();
    Q_EMIT list->itemDoubleClicked(list->topLevelItem(line), 0);
    GuiTest::Settle();
}

TEST_F(OutputJumps, AnElementLineOpensTheLadderWindowAndSelectsTheElement) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    LadderView editing(frame(), nullptr);
    ASSERT_TRUE(InsertRung(editing));
    ASSERT_TRUE(InsertInstruction(editing, 2));  // XIC with its operand still "?"
    CElement* unfinished = editing.selected;
    window->Run(Command::VerifyProgram);
    window->CloseDocument("main");
    Settle();

    QTreeWidget* list = window->outputDock()->list();
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(frame().output.Lines().size()));
    const int line = LineStarting(list, "Error at Rung: 1, Element:");
    ASSERT_GE(line, 0) << "verification names the unfinished contact";
    DoubleClick(*window, line);
    ASSERT_EQ(ActiveKey(), "main");
    auto* view = dynamic_cast<LadderEditor*>(window->ActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->view().currentRung, 1);
    EXPECT_EQ(view->view().selected, unfinished);

    // A summary line leads nowhere: the selection stays.
    const int summary = LineStarting(list, "Verify Program Error!");
    if (summary >= 0) {
        DoubleClick(*window, summary);
        EXPECT_EQ(view->view().currentRung, 1);
    }
}

TEST_F(OutputJumps, ACompilerLineSelectsTheLineOfTheText) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    CUnit* ramp = AddComponent(frame(), {"Ramp", ComponentType::FunctionBlock, 1});
    ASSERT_NE(ramp, nullptr);
    ramp->text = {"VAR", "END_VAR", "x := ;"};
    window->RefreshAll();
    window->Run(Command::VerifyProgram);
    window->CloseDocument("fb:Ramp:routine");
    Settle();

    const int line = LineStarting(window->outputDock()->list(), "Error at line");
    ASSERT_GE(line, 0);
    DoubleClick(*window, line);
    ASSERT_EQ(ActiveKey(), "fb:Ramp:routine");
    auto* view = dynamic_cast<StEditorWindow*>(window->ActiveView());
    ASSERT_NE(view, nullptr);
    const OutputJump jump = frame().output.JumpToOutputLine(frame().project(), static_cast<size_t>(line));
    EXPECT_EQ(view->text().textCursor().blockNumber() + 1, jump.line);
    EXPECT_FALSE(view->text().textCursor().selectedText().isEmpty());
}

}  // namespace
}  // namespace pontra::gui
