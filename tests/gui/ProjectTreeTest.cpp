// SPDX-License-Identifier: GPL-3.0-or-later
// The project bar: opening an item's window, adding, renaming and deleting a component
// through its context menu and in-place editing.
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

#include "GuiFixture.h"
#include "gui/AddComponentDialog.h"
#include "gui/ProjectTreeDock.h"
#include "model/Unit.h"

namespace pontra::gui {
namespace {

using ProjectTree = GuiTest;

// Answers the next Add Component dialog with a name.
void AnswerAddComponent(const QString& name) {
    QTimer::singleShot(0, [name] {
        auto* dialog = qobject_cast<AddComponentDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->nameEdit()->setText(name);
        dialog->accept();
    });
}

TEST_F(ProjectTree, DoubleClickOpensTheItemsWindow) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    ProjectTreeDock* tree = window->projectTree();
    QTreeWidgetItem* tags = tree->Find({"Tasks", "Main Task", "Main Program", "Tags"});
    ASSERT_NE(tags, nullptr);
    Q_EMIT tree->tree()->itemDoubleClicked(tags, 0);
    Settle();
    EXPECT_EQ(ActiveKey(), "tags");
    EXPECT_EQ(window->documentArea()->activeSubWindow()->windowTitle(), "Line.clp - Tags (0.0.0.0)");
}

TEST_F(ProjectTree, AddRenameDeleteAFunctionBlock) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    ProjectTreeDock* tree = window->projectTree();
    const TreeItem* blocks = tree->ItemOf(tree->Find({"Tasks", "Function Blocks"}));
    ASSERT_NE(blocks, nullptr);

    AnswerAddComponent("Ramp");
    Q_EMIT tree->commandRequested(Command::AddComponent, *blocks);
    Settle();
    ASSERT_NE(frame().project().FindUnit("Ramp"), nullptr);
    EXPECT_NE(window->View("fb:Ramp:routine"), nullptr);
    EXPECT_NE(window->View("fb:Ramp:tags"), nullptr);
    QTreeWidgetItem* ramp = tree->Find({"Tasks", "Function Blocks", "Ramp"});
    ASSERT_NE(ramp, nullptr);

    // A refused name keeps the old one, with the core's message.
    ramp->setText(0, "1abc");
    Settle();
    EXPECT_NE(frame().project().FindUnit("Ramp"), nullptr);
    EXPECT_TRUE(script.shown.back().starts_with("message: Component name can use only digits"));
    ramp = tree->Find({"Tasks", "Function Blocks", "Ramp"});
    ASSERT_NE(ramp, nullptr);

    ramp->setText(0, "Slope");
    Settle();
    EXPECT_EQ(frame().project().FindUnit("Ramp"), nullptr);
    ASSERT_NE(frame().project().FindUnit("Slope"), nullptr);
    EXPECT_NE(window->View("fb:Slope:routine"), nullptr);
    EXPECT_EQ(window->View("fb:Ramp:routine"), nullptr);
    EXPECT_NE(tree->Find({"Tasks", "Function Blocks", "Slope", "Slope Routine"}), nullptr);

    const TreeItem* slope = tree->ItemOf(tree->Find({"Tasks", "Function Blocks", "Slope"}));
    ASSERT_NE(slope, nullptr);
    script.answers.push_back(Host::Answer::Cancel);
    Q_EMIT tree->commandRequested(Command::DeleteComponent, *slope);
    Settle();
    EXPECT_EQ(script.shown.back(), "question: Do you really want to delete function block 'Slope'?");
    EXPECT_NE(frame().project().FindUnit("Slope"), nullptr);
    EXPECT_NE(window->View("fb:Slope:routine"), nullptr);

    slope = tree->ItemOf(tree->Find({"Tasks", "Function Blocks", "Slope"}));
    script.answers.push_back(Host::Answer::Yes);
    Q_EMIT tree->commandRequested(Command::DeleteComponent, *slope);
    Settle();
    EXPECT_EQ(frame().project().FindUnit("Slope"), nullptr);
    EXPECT_EQ(window->View("fb:Slope:routine"), nullptr);
    EXPECT_EQ(window->View("fb:Slope:tags"), nullptr);
    EXPECT_EQ(tree->Find({"Tasks", "Function Blocks", "Slope"}), nullptr);
    EXPECT_TRUE(frame().doc().modified);
}

TEST_F(ProjectTree, ADuplicateNameIsRefusedWithTheCoreMessage) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    ProjectTreeDock* tree = window->projectTree();
    for (int i = 0; i < 2; ++i) {
        const TreeItem* blocks = tree->ItemOf(tree->Find({"Tasks", "Function Blocks"}));
        ASSERT_NE(blocks, nullptr);
        AnswerAddComponent("Ramp");
        Q_EMIT tree->commandRequested(Command::AddComponent, *blocks);
        Settle();
    }
    EXPECT_EQ(script.shown.back(), "message: Component with name Ramp already exist!");
    int ramps = 0;
    for (const auto& unit : frame().units()) ramps += unit->name == "Ramp";
    EXPECT_EQ(ramps, 1);
}

// The window refreshes after every read while online: a tree that shows the same keeps
// its rows (so its scroll position and an open menu's row stay); a change rebuilds it.
TEST_F(ProjectTree, KeepsItsRowsUntilTheProjectChanges) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    ProjectTreeDock* tree = window->projectTree();
    QTreeWidgetItem* tags = tree->Find({"Tasks", "Main Task", "Main Program", "Tags"});
    ASSERT_NE(tags, nullptr);
    window->RefreshAll();
    EXPECT_EQ(tree->Find({"Tasks", "Main Task", "Main Program", "Tags"}), tags) << "the same row";
    // A text changed in place and refused comes back with a rebuild.
    QTreeWidgetItem* major = tree->Find({"Revision", "Major"});
    ASSERT_NE(major, nullptr);
    ASSERT_EQ(major->childCount(), 1);
    const QString number = major->child(0)->text(0);
    tree->tree()->blockSignals(true);
    major->child(0)->setText(0, QStringLiteral("x"));
    tree->tree()->blockSignals(false);
    tree->Rebuild();
    EXPECT_EQ(tree->Find({"Revision", "Major"})->child(0)->text(0), number);
    // A new function block: rebuilt with it.
    const TreeItem* blocks = tree->ItemOf(tree->Find({"Tasks", "Function Blocks"}));
    ASSERT_NE(blocks, nullptr);
    AnswerAddComponent("Ramp");
    Q_EMIT tree->commandRequested(Command::AddComponent, *blocks);
    Settle();
    EXPECT_NE(tree->Find({"Tasks", "Function Blocks", "Ramp"}), nullptr);
}

}  // namespace
}  // namespace pontra::gui
