// SPDX-License-Identifier: GPL-3.0-or-later
// Undo of a ladder view: ten snapshots at most, the rungs restored whole, and the
// selection found again by the view's hit test or by its place in the rungs.
#include <gtest/gtest.h>

#include "files/ProjectCompare.h"
#include "files/SampleProject.h"
#include "host/ScriptedHost.h"
#include "shell/LadderUndo.h"
#include "shell/MainFrame.h"

namespace pontra {
namespace {

class LadderUndoTest : public ::testing::Test {
protected:
    LadderUndoTest() { view.rungs = &frame.doc().rungs; }

    // One edit: snapshot, then append a rung whose comment numbers it.
    void Edit(int n) {
        undo.SaveUndo(frame, view);
        auto rung = NewRung();
        rung->comment = "edit " + std::to_string(n);
        view.rungs->push_back(std::move(rung));
    }

    ScriptedHost host;
    CMainFrame frame{host};
    LadderViewState view;
    LadderUndo undo;
};

TEST_F(LadderUndoTest, OnlyTheLastTenEditsCanBeUndone) {
    EXPECT_FALSE(undo.CanUndo());
    EXPECT_EQ(undo.Undo(frame, view), LadderUndo::Outcome::Nothing);
    for (int n = 1; n <= 12; ++n) Edit(n);
    EXPECT_EQ(undo.Count(), 10);
    for (int n = 12; n >= 3; --n) {
        ASSERT_EQ(undo.Undo(frame, view), LadderUndo::Outcome::Undone);
        EXPECT_EQ(view.rungs->back()->comment, n == 3 ? "edit 2" : "edit " + std::to_string(n - 1));
        EXPECT_EQ(view.rungs->size(), static_cast<size_t>(n));  // the first rung and edits 1 .. n-1
    }
    EXPECT_FALSE(undo.CanUndo());
    EXPECT_EQ(undo.Undo(frame, view), LadderUndo::Outcome::Nothing);
    EXPECT_EQ(view.rungs->size(), 3u);
    EXPECT_TRUE(host.log.empty());
}

TEST_F(LadderUndoTest, DeletedRungsComeBackWithCommentsAndBranches) {
    auto sample = test::SampleProject();
    frame.SetProject(std::move(sample));
    view.rungs = &frame.doc().rungs;
    auto reference = test::SampleProject();
    frame.SetModified(false);

    undo.SaveUndo(frame, view);
    EXPECT_TRUE(frame.doc().modified);
    EXPECT_EQ(host.titles["main"], "Untitled* - Main Routine (127.0.1.2)");
    view.rungs->clear();
    ASSERT_EQ(undo.Undo(frame, view), LadderUndo::Outcome::Undone);
    test::ExpectSameRungs(reference->doc.rungs, *view.rungs);
    EXPECT_EQ((*view.rungs)[0]->comment, "Start conveyor");
}

TEST_F(LadderUndoTest, SelectionReturnsByPlaceOrByTheViewsHitTest) {
    frame.SetProject(test::SampleProject());
    view.rungs = &frame.doc().rungs;
    // XIC(D) inside the nested branch of the first rung's second leg.
    CElement* deep = (*view.rungs)[0]->elements[2]->legs[1]->elements[2]->legs[1]->elements[1].get();
    ASSERT_EQ(deep->operands[0], "D");
    view.selected = deep;
    view.currentRung = 0;
    view.cellWidth = 40;
    view.cellHeight = 30;
    undo.SaveUndo(frame, view);
    view.rungs->erase(view.rungs->begin());
    view.currentRung = 0;
    view.selected = nullptr;

    ASSERT_EQ(undo.Undo(frame, view), LadderUndo::Outcome::Undone);
    ASSERT_TRUE(view.selected);
    EXPECT_EQ(view.selected->operands[0], "D");
    EXPECT_EQ(TopLevelRung(*view.selected), (*view.rungs)[0].get());

    // With a drawn layout, a click at the recorded point decides. (Copies are laid out
    // afresh, so the position is set again.)
    view.selected->rect = {150, 200, 0, 0};
    undo.SaveUndo(frame, view);
    int clickX = -1, clickY = -1;
    view.elementAt = [&](int x, int y) {
        clickX = x;
        clickY = y;
        return (*view.rungs)[1]->elements[1].get();
    };
    ASSERT_EQ(undo.Undo(frame, view), LadderUndo::Outcome::Undone);
    EXPECT_EQ(clickX, 60);  // 150 % of a 40-pixel cell
    EXPECT_EQ(clickY, 60);  // 200 % of a 30-pixel cell
    EXPECT_EQ(view.selected->mnemonic, "JFB");

    // Neither answers: the first element of the first rung.
    view.selected = nullptr;
    undo.SaveUndo(frame, view);
    view.elementAt = [](int, int) { return nullptr; };
    ASSERT_EQ(undo.Undo(frame, view), LadderUndo::Outcome::Undone);
    EXPECT_EQ(view.selected, (*view.rungs)[0]->elements[0].get());
}

TEST_F(LadderUndoTest, RefusalsKeepTheSnapshot) {
    Edit(1);
    frame.downloadInProgress = true;
    EXPECT_EQ(undo.Undo(frame, view), LadderUndo::Outcome::Ignored);
    frame.downloadInProgress = false;
    EXPECT_EQ(undo.Undo(frame, view, false), LadderUndo::Outcome::PassToFocus);
    frame.debugMode = 1;
    EXPECT_EQ(undo.Undo(frame, view), LadderUndo::Outcome::Refused);
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{CMainFrame::kDebugModeRefusal}));
    EXPECT_EQ(view.rungs->size(), 2u);
    EXPECT_TRUE(undo.CanUndo());
    frame.debugMode = 0;
    EXPECT_EQ(undo.Undo(frame, view), LadderUndo::Outcome::Undone);
    EXPECT_EQ(view.rungs->size(), 1u);
}

}  // namespace
}  // namespace pontra
