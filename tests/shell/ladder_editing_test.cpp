// SPDX-License-Identifier: GPL-3.0-or-later
// Ladder editing: every delete case, every keyboard move, the inserts with their rules
// and guards, the in-place commits, and a long mixed run of edits, moves and undos over
// branches nested three deep that keeps the rung tree sound at every step.
#include <gtest/gtest.h>

#include <random>

#include "host/ScriptedHost.h"
#include "model/ElementPlace.h"
#include "shell/Clipboard.h"
#include "shell/FindInProgram.h"
#include "shell/LadderEditing.h"
#include "shell/LadderView.h"
#include "shell/MainFrame.h"
#include "shell/LadderShapes.h"

namespace pontra {
namespace {

using test::BuildRung;
using test::Shape;

class LadderEditingTest : public ::testing::Test {
protected:
    void Load(std::initializer_list<const char*> rungs) {
        frame.doc().rungs.clear();
        for (const char* text : rungs) frame.doc().rungs.push_back(BuildRung(text));
        view = std::make_unique<LadderView>(frame, nullptr);
        frame.SetModified(false);
    }

    // "|n": rung n's start; "A": the instruction with operand A; otherwise a label of
    // the rung text ("b", "b.2", "b/").
    CElement* Find(const std::string& spec) {
        if (spec[0] == '|') return frame.doc().rungs[std::stoul(spec.substr(1))]->elements[0].get();
        for (CElement* e : SearchOrder(*view))
            if (e->kind != kKindRung && (e->operandCount ? e->operands[0] : e->operandNotes[0]) == spec) return e;
        return nullptr;
    }

    std::string Describe(const CElement* e) {
        if (!e) return "none";
        const RungList& rungs = frame.doc().rungs;
        for (size_t r = 0; r < rungs.size(); ++r)
            if (rungs[r]->elements[0].get() == e) return "|" + std::to_string(r);
        return e->operandCount ? e->operands[0] : e->operandNotes[0];
    }

    std::string Main() { return Shape(frame.doc().rungs); }

    ScriptedHost host;
    CMainFrame frame{host};
    std::unique_ptr<LadderView> view;
};

TEST_F(LadderEditingTest, DeleteSelectionCoversEveryCaseAndUndoRestoresIt) {
    struct Case {
        std::vector<const char*> rungs;
        const char* select;
        const char* shape;
        const char* selection;
    };
    const Case cases[] = {
        {{"XIC:A OTE:B"}, "|0", "|", "|0"},
        {{"XIC:S BST:b XIC:A XIC:B NXB XIO:C BND OTE:M"}, "b.2", "| XIC(S) XIC(A) XIC(B) OTE(M)", "S"},
        {{"XIC:S BST:b XIO:C NXB XIC:A XIC:B BND OTE:M"}, "b.1", "| XIC(S) XIC(A) XIC(B) OTE(M)", "S"},
        {{"BST:b XIC:A NXB XIC:B NXB XIC:C BND"}, "b.1", "| [ XIC(B) / XIC(C)]", "b.2"},
        {{"BST:b XIC:A NXB XIC:B NXB XIC:C BND"}, "b.2", "| [ XIC(A) / XIC(C)]", "b.1"},
        {{"XIC:S BST:b XIC:A NXB XIC:B BND OTE:M"}, "b/", "| XIC(S) OTE(M)", "S"},
        {{"XIC:S BST:b XIC:A NXB XIC:B BND OTE:M"}, "M", "| XIC(S) [ XIC(A) / XIC(B)]", "b/"},
        {{"XIC:S BST:b XIC:A NXB XIC:B BND OTE:M"}, "b", "| XIC(S) OTE(M)", "S"},
        {{"XIC:A", "XIC:B"}, "|1", "| XIC(A)", "A"},
        {{"XIC:A", "XIC:B"}, "|0", "| XIC(B)", "|0"},
        {{"BST:o XIC:A BST:i XIC:B NXB XIC:C BND NXB XIC:D BND"}, "i.2", "| [ XIC(A) XIC(B) / XIC(D)]", "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.rungs[0]) + " delete " + c.select);
        frame.doc().rungs.clear();
        for (const char* text : c.rungs) frame.doc().rungs.push_back(BuildRung(text));
        view = std::make_unique<LadderView>(frame, nullptr);
        frame.SetModified(false);
        const std::string before = Main();
        ASSERT_TRUE(SelectElement(*view, Find(c.select)));

        ASSERT_TRUE(DeleteSelection(*view));
        EXPECT_EQ(Main(), c.shape);
        EXPECT_EQ(Describe(view->selected), c.selection);
        test::CheckTree(frame.doc().rungs);
        EXPECT_TRUE(frame.doc().modified);

        ASSERT_EQ(view->Undo(), LadderUndo::Outcome::Undone);
        EXPECT_EQ(Main(), before);
        EXPECT_EQ(Describe(view->selected), c.select);
    }
    // Nothing left to delete: no change and no snapshot.
    Load({""});
    EXPECT_FALSE(DeleteSelection(*view));
    EXPECT_FALSE(view->undo.CanUndo());
}

TEST_F(LadderEditingTest, MoveSelectionWalksBranchesAndRungs) {
    Load({"XIC:S BST:o XIC:A BST:i XIC:B NXB XIC:C BND NXB XIC:D BND OTE:M", "XIC:N"});
    struct Move {
        const char* from;
        MoveKey key;
        const char* to;  // "none": the selection stays
    };
    const Move moves[] = {
        {"S", MoveKey::Right, "o.1"},  {"o.1", MoveKey::Right, "A"}, {"A", MoveKey::Right, "i.1"},
        {"C", MoveKey::Right, "i/"},   {"i/", MoveKey::Right, "o.2"}, {"D", MoveKey::Right, "o/"},
        {"o/", MoveKey::Right, "M"},   {"M", MoveKey::Right, "|1"},   {"N", MoveKey::Right, "none"},
        {"o/", MoveKey::Left, "i/"},   {"o.2", MoveKey::Left, "i/"},  {"o.1", MoveKey::Left, "S"},
        {"i.2", MoveKey::Left, "B"},   {"|1", MoveKey::Left, "M"},    {"|0", MoveKey::Left, "none"},
        {"A", MoveKey::Up, "o.1"},     {"S", MoveKey::Down, "o.1"},   {"|1", MoveKey::Up, "|0"},
        {"|0", MoveKey::Up, "none"},  {"|0", MoveKey::Down, "|1"},  {"|1", MoveKey::Down, "none"},
        {"C", MoveKey::Home, "|0"},   {"S", MoveKey::End, "N"},     {"B", MoveKey::PageDown, "none"},
    };
    for (const Move& m : moves) {
        SCOPED_TRACE(std::string(m.from) + " -> " + m.to);
        ASSERT_TRUE(SelectElement(*view, Find(m.from)));
        const bool moved = MoveSelection(*view, m.key);
        EXPECT_EQ(moved, std::string(m.to) != "none");
        EXPECT_EQ(Describe(view->selected), moved ? m.to : m.from);
        EXPECT_EQ(TopLevelRung(*view->selected), frame.doc().rungs[view->currentRung].get());
    }
    EXPECT_FALSE(frame.doc().modified);
    EXPECT_FALSE(view->undo.CanUndo());
}

TEST_F(LadderEditingTest, InsertsFollowTheSelectionAndTheInstructionBar) {
    Load({"XIC:A", "XIC:Z"});
    ASSERT_TRUE(SelectElement(*view, Find("A")));
    ASSERT_TRUE(InsertBranch(*view));
    ASSERT_TRUE(InsertInstruction(*view, 4));
    EXPECT_EQ(Main(), "| XIC(A) [ /] OTE(?) ; | XIC(Z)");
    EXPECT_EQ(ElementPosition(*view->selected), 4);  // after the branch's close marker
    test::CheckTree(frame.doc().rungs);

    ASSERT_TRUE(InsertRung(*view));
    EXPECT_EQ(Main(), "| XIC(A) [ /] OTE(?) ; | ; | XIC(Z)");
    EXPECT_EQ(view->currentRung, 1);
    EXPECT_EQ(Describe(view->selected), "|1");

    // A leg only from inside a leg; it goes right after the selection's leg.
    Load({"XIC:S BST:b XIC:A NXB XIC:B BND"});
    ASSERT_TRUE(SelectElement(*view, Find("S")));
    EXPECT_FALSE(AddBranchLeg(*view));
    ASSERT_TRUE(SelectElement(*view, Find("A")));
    ASSERT_TRUE(AddBranchLeg(*view));
    EXPECT_EQ(Main(), "| XIC(S) [ XIC(A) / / XIC(B)]");
    EXPECT_EQ(view->undo.Count(), 1);
    // After a branch element means after its close marker.
    ASSERT_TRUE(SelectElement(*view, Find("b")));
    ASSERT_TRUE(InsertInstruction(*view, 4));
    EXPECT_EQ(ElementPosition(*view->selected), 4);
    test::CheckTree(frame.doc().rungs);

    // RFB only in a function block; DOL only where the controller type offers it.
    Load({"XIC:A"});
    EXPECT_FALSE(InsertInstruction(*view, 63));
    EXPECT_TRUE(InsertInstruction(*view, 60));
    frame.doc().controllerType = "Aldera";
    EXPECT_FALSE(InsertInstruction(*view, 60));
    EXPECT_FALSE(InsertInstruction(*view, 57));
    CUnit block("Block", kUnitFunctionBlock);
    block.rungs.push_back(NewRung());
    LadderView blockView(frame, &block);
    EXPECT_TRUE(PressInstructionButton(blockView, {6, BarButtonAction::InsertElement, 63}));
    EXPECT_EQ(Shape(block.rungs), "| RFB()");
    EXPECT_TRUE(host.log.empty());
}

TEST_F(LadderEditingTest, GuardsRefuseOnlineAndIgnoreDuringADownload) {
    Load({"XIC:A BST XIC:B NXB XIC:C BND"});
    frame.debugMode = 1;
    ASSERT_TRUE(SelectElement(*view, Find("A")));
    EXPECT_FALSE(InsertInstruction(*view, 2));
    EXPECT_FALSE(DeleteSelection(*view));
    EXPECT_FALSE(EditRungComment(*view, "x"));
    EXPECT_EQ(host.Messages(), std::vector<std::string>(3, CMainFrame::kDebugModeRefusal));
    EXPECT_TRUE(MoveSelection(*view, MoveKey::Right));  // looking around stays possible online
    frame.debugMode = 0;

    frame.downloadInProgress = true;
    EXPECT_FALSE(InsertRung(*view));
    EXPECT_FALSE(MoveSelection(*view, MoveKey::Right));
    EXPECT_EQ(host.log.size(), 3u);
    EXPECT_EQ(Main(), "| XIC(A) [ XIC(B) / XIC(C)]");
    EXPECT_FALSE(frame.doc().modified);
    EXPECT_FALSE(view->undo.CanUndo());
}

TEST_F(LadderEditingTest, CommentAndOperandCommitsKeepTheirRules) {
    Load({"XIC:A JFB:Inst"});
    EXPECT_FALSE(EditRungComment(*view, "Stop {all}"));
    EXPECT_EQ(host.Messages(), std::vector<std::string>{"Rung comment can't use '{' and '}' symbols!"});
    ASSERT_TRUE(EditRungComment(*view, "Stop all"));
    EXPECT_EQ(Main(), "{Stop all}| XIC(A) JFB(Inst)");

    CElement& xic = *Find("A");
    EXPECT_TRUE(EditOperand(*view, xic, 0, "  Start_1 "));
    EXPECT_EQ(xic.operands[0], "Start_1");
    EXPECT_TRUE(EditOperand(*view, xic, 0, "Table[1,2].3"));
    EXPECT_TRUE(EditOperand(*view, xic, 0, ""));
    EXPECT_EQ(xic.operands[0], "?");
    for (const char* bad : {"A;B", "A,B", "F(x)", "A B"}) EXPECT_FALSE(EditOperand(*view, xic, 0, bad)) << bad;
    EXPECT_FALSE(EditOperand(*view, xic, 1, "B"));  // XIC has one operand
    EXPECT_EQ(host.Messages().back(), kOperandRefusal);

    CElement& jfb = *Find("Inst");
    jfb.callParams.push_back({"In", "BOOL", 1, "A", ""});
    EXPECT_TRUE(EditOperand(*view, jfb, 0, "Other"));
    EXPECT_TRUE(jfb.callParams.empty());
    EXPECT_EQ(view->undo.Count(), 5);
}

// A rung dragged by its number lands at the index it is dropped at, as one undo step.
TEST_F(LadderEditingTest, MoveRungReordersAsOneUndoStep) {
    Load({"XIC:A", "XIC:B", "XIC:C", "XIC:D"});
    struct Case {
        int from, to;
        const char* shape;
    };
    const Case cases[] = {
        {0, 2, "| XIC(B) ; | XIC(C) ; | XIC(A) ; | XIC(D)"},
        {3, 0, "| XIC(D) ; | XIC(A) ; | XIC(B) ; | XIC(C)"},
        {1, 3, "| XIC(A) ; | XIC(C) ; | XIC(D) ; | XIC(B)"},
    };
    const std::string before = Main();
    for (const Case& c : cases) {
        ASSERT_TRUE(MoveRung(*view, c.from, c.to));
        EXPECT_EQ(Main(), c.shape);
        EXPECT_EQ(view->currentRung, c.to);
        EXPECT_EQ(view->selected, frame.doc().rungs[static_cast<size_t>(c.to)]->elements[0].get());
        EXPECT_EQ(view->undo.Count(), 1);
        EXPECT_TRUE(frame.doc().modified);
        ASSERT_EQ(view->Undo(), LadderUndo::Outcome::Undone);
        EXPECT_EQ(Main(), before);
    }
    for (auto [from, to] : {std::pair{1, 1}, {-1, 0}, {0, 4}, {4, 0}}) EXPECT_FALSE(MoveRung(*view, from, to));
    EXPECT_EQ(view->undo.Count(), 0);
    EXPECT_EQ(Main(), before);
}

// Random edits, clicks, moves, copies, cuts, pastes and undos over three nested branches:
// after every step the tree is sound, and every undo gives back exactly the rungs before
// the edit it takes back.
TEST_F(LadderEditingTest, MixedEditsAndUndosKeepTheTreeSound) {
    Load({"XIC:S BST XIC:A BST XIC:B BST XIC:C NXB XIC:D BND NXB XIC:E BND NXB XIC:F BND OTE:M", "XIC:N"});
    std::mt19937 random(20240611);
    std::vector<std::string> before;  // the shapes undo must give back, newest last
    int undone = 0, pasted = 0;
    for (int step = 0; step < 1500; ++step) {
        const std::string shape = Main();
        bool edited = false;
        switch (random() % 12) {
            case 0: edited = InsertBranch(*view); break;
            case 1: edited = AddBranchLeg(*view); break;
            case 2: edited = InsertInstruction(*view, 2 + static_cast<int>(random() % 3)); break;
            case 3:
            case 4: edited = DeleteSelection(*view); break;
            case 5: MoveSelection(*view, static_cast<MoveKey>(random() % 6)); break;
            case 6: {
                const auto all = SearchOrder(*view);
                SelectElement(*view, all[random() % all.size()]);
                break;
            }
            case 7: edited = random() % 4 == 0 && InsertRung(*view); break;
            case 8:
                if (view->Undo() == LadderUndo::Outcome::Undone) {
                    ASSERT_FALSE(before.empty());
                    EXPECT_EQ(Main(), before.back()) << "step " << step;
                    before.pop_back();
                    ++undone;
                } else {
                    EXPECT_TRUE(before.empty());
                }
                break;
            case 9: LadderCopy(*view); break;
            // A cut whose delete finds nothing to do copies only.
            case 10: edited = LadderCut(*view) == ClipboardOutcome::Done && Main() != shape; break;
            case 11:
                edited = LadderPaste(*view) == ClipboardOutcome::Done;
                pasted += edited;
                break;
        }
        if (edited) {
            before.push_back(shape);
            if (before.size() > LadderUndo::kMaxSnapshots) before.erase(before.begin());
        }
        ASSERT_NO_FATAL_FAILURE(test::CheckTree(frame.doc().rungs)) << "step " << step;
        ASSERT_TRUE(PlaceOf(frame.doc().rungs, view->selected).Valid()) << "step " << step;
        ASSERT_EQ(TopLevelRung(*view->selected), frame.doc().rungs[view->currentRung].get()) << "step " << step;
    }
    EXPECT_GT(undone, 50);
    EXPECT_GT(pasted, 50);
}

}  // namespace
}  // namespace pontra
