// SPDX-License-Identifier: GPL-3.0-or-later
// The instruction bar inserts at the active ladder window's selection through the core's
// editing rules, and Find... searches the active ladder window.
#include <QAction>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

#include "GuiFixture.h"
#include "gui/FindDialog.h"
#include "gui/InstructionBarDock.h"
#include "files/RungText.h"
#include "gui/LadderEditor.h"
#include "model/InstructionBar.h"

namespace pontra::gui {
namespace {

using InstructionBarUse = GuiTest;

// The first instruction button of the "Bit" tab (after the structural three).
const BarButton& FirstInstruction() {
    static const std::vector<BarTab> tabs = InstructionBar("Vessa");
    for (const BarButton& button : tabs[0].buttons)
        if (button.action == BarButtonAction::InsertElement) return button;
    return tabs[0].buttons.front();
}

TEST_F(InstructionBarUse, AButtonInsertsIntoTheActiveLadderWindow) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    auto* view = dynamic_cast<LadderEditor*>(window->ActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(window->instructionBar()->tabs()->count(), 7);
    QToolButton* button = window->instructionBar()->Button(0, FirstInstruction().index);
    ASSERT_NE(button, nullptr);
    const QString mnemonic = button->text();

    button->click();
    Settle();
    const auto firstRung = [&] { return QString::fromStdString(RungText(*view->view().Rungs()[0])); };
    EXPECT_TRUE(firstRung().contains(mnemonic + "(")) << firstRung().toStdString();
    EXPECT_TRUE(frame().doc().modified);
    EXPECT_TRUE(window->action(Command::Save)->isEnabled());

    // Online the core refuses the edit with its message and nothing changes.
    const QString before = firstRung();
    frame().debugMode = 1;
    button->click();
    Settle();
    frame().debugMode = 0;
    EXPECT_EQ(script.shown.back(), "message: This operation can't be use in Debug mode!");
    EXPECT_EQ(firstRung(), before);
}

TEST_F(InstructionBarUse, FindNextSelectsTheMatchingRung) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    auto* view = dynamic_cast<LadderEditor*>(window->ActiveView());
    ASSERT_NE(view, nullptr);
    QToolButton* rung = window->instructionBar()->Button(0, 0);  // a new rung after the current one
    QToolButton* instruction = window->instructionBar()->Button(0, FirstInstruction().index);
    rung->click();
    instruction->click();
    view->view().selected->operands[0] = "StartButton";
    view->view().currentRung = 0;
    view->view().selected = view->view().Rungs()[0]->elements[0].get();
    Settle();
    ASSERT_EQ(view->view().currentRung, 0);

    window->action(Command::Find)->trigger();
    FindDialog* find = window->findDialog();
    EXPECT_TRUE(find->isVisible());
    find->textEdit()->setText("startbutton");
    Q_EMIT find->findNext(*find->Options());
    Settle();
    EXPECT_EQ(view->view().currentRung, 1);
    EXPECT_EQ(view->view().findOptions.text, "startbutton");
    find->hide();
}

}  // namespace
}  // namespace pontra::gui
