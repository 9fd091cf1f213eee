// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "host/ScriptedHost.h"
#include "shell/LadderView.h"
#include "shell/MainFrame.h"

namespace pontra {
namespace {

TEST(LadderView, EditsAndUndoActOnTheViewsOwnRungs) {
    ScriptedHost host;
    CMainFrame frame(host);
    auto fb = std::make_unique<CUnit>("Zone", kUnitFunctionBlock);
    fb->rungs.push_back(NewRung());
    CUnit* unit = fb.get();
    frame.units().push_back(std::move(fb));

    LadderView main(frame, nullptr), block(frame, unit);
    EXPECT_FALSE(main.IsFunctionBlock());
    EXPECT_TRUE(block.IsFunctionBlock());
    EXPECT_EQ(block.selected, unit->rungs[0]->elements[0].get());

    block.SaveUndo();
    CElement& xic = unit->rungs[0]->Append(std::make_unique<CElement>(2));
    block.selected = &xic;
    EXPECT_TRUE(frame.doc().modified);
    EXPECT_FALSE(main.undo.CanUndo());

    EXPECT_EQ(block.Undo(), LadderUndo::Outcome::Undone);
    EXPECT_EQ(unit->rungs[0]->elements.size(), 1u);
    EXPECT_EQ(block.selected, unit->rungs[0]->elements[0].get());
    EXPECT_EQ(frame.doc().rungs.size(), 1u);
}

}  // namespace
}  // namespace pontra
