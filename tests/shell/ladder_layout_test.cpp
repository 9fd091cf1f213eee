// SPDX-License-Identifier: GPL-3.0-or-later
// Where the ladder view places elements, and what a click there hits.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "host/ScriptedHost.h"
#include "shell/Clipboard.h"
#include "shell/FindInProgram.h"
#include "shell/LadderEditing.h"
#include "shell/LadderLayout.h"
#include "shell/LadderShapes.h"
#include "shell/LadderView.h"
#include "shell/MainFrame.h"

namespace pontra {
namespace {

using M = LadderMetrics;
using test::BuildRung;

// The label BuildRung gave an element: its first operand, or the marker's label.
std::string Label(const CElement& e) {
    if (e.kind == kKindRung) return "|";
    return e.operandCount ? e.operands[0] : e.operandNotes[0];
}

// Placed boxes by label, in rung coordinates.
std::map<std::string, LayoutBox> Boxes(const RungLayout& layout) {
    std::map<std::string, LayoutBox> boxes;
    for (const ElementCell& cell : layout.cells) boxes[Label(*cell.element)] = layout.Placed(cell);
    return boxes;
}

// Every element inside the rung's band, no two overlapping, and a click on each element
// selects it again.
void CheckRung(const LadderLayout& layout, int index) {
    const RungLayout& rung = layout.Rung(index);
    std::vector<LayoutBox> placed;
    for (const ElementCell& cell : rung.cells) {
        const LayoutBox b = rung.Placed(cell);
        EXPECT_GE(b.x, 0);
        EXPECT_LE(b.Right(), layout.Rail());
        EXPECT_GE(b.y, 0);
        EXPECT_LE(b.Bottom(), rung.rows * M::kRow);
        for (const LayoutBox& other : placed) ASSERT_FALSE(b.Intersects(other)) << Label(*cell.element);
        placed.push_back(b);
        if (cell.element->kind == kKindBranch) continue;
        const LayoutBox v = layout.BoxOf(cell.element);
        EXPECT_EQ(layout.ElementAt(v.x + v.w / 2, v.y + v.h / 2), cell.element) << Label(*cell.element);
    }
}

TEST(LadderLayout, SeriesConditionsFromTheLeftRailOutputsAgainstTheRight) {
    auto rung = BuildRung("XIC:A XIO:B OTE:M OTL:N");
    const RungLayout layout = LayOutRung(*rung, M::kMinRail);
    const auto boxes = Boxes(layout);
    EXPECT_EQ(boxes.at("|"), (LayoutBox{0, 0, M::kMarker, M::kRow}));
    EXPECT_EQ(boxes.at("A"), (LayoutBox{M::kMarker, 0, M::kCell, M::kRow}));
    EXPECT_EQ(boxes.at("B"), (LayoutBox{M::kMarker + M::kCell, 0, M::kCell, M::kRow}));
    EXPECT_EQ(boxes.at("M"), (LayoutBox{M::kMinRail - 2 * M::kCell, 0, M::kCell, M::kRow}));
    EXPECT_EQ(boxes.at("N"), (LayoutBox{M::kMinRail - M::kCell, 0, M::kCell, M::kRow}));
    EXPECT_EQ(layout.rows, 1);
    EXPECT_FALSE(layout.damaged);

    // An output followed by a condition is not trailing: it stays in series.
    const auto mixedRung = BuildRung("OTE:M XIC:A");
    const RungLayout mixed = LayOutRung(*mixedRung, M::kMinRail);
    EXPECT_EQ(Boxes(mixed).at("M").x, M::kMarker);
}

TEST(LadderLayout, BranchesOfTwoAndThreeLegsNestedThreeDeep) {
    auto rung = BuildRung(
        "BST:a XIC:A BST:b XIC:B BST:c XIC:C NXB XIC:D NXB XIC:E BND NXB XIC:F BND NXB XIC:G BND OTE:M");
    const RungLayout layout = LayOutRung(*rung, M::kMinRail);
    const auto b = Boxes(layout);
    const int R = M::kRow, K = M::kMarker, C = M::kCell;
    struct Expect {
        const char* label;
        LayoutBox box;
    };
    const Expect expected[] = {
        {"a.1", {K, 0, K, R}},           {"A", {2 * K, 0, C, R}},
        {"b.1", {2 * K + C, 0, K, R}},   {"B", {3 * K + C, 0, C, R}},
        {"c.1", {3 * K + 2 * C, 0, K, R}}, {"C", {4 * K + 2 * C, 0, C, R}},
        {"c.2", {3 * K + 2 * C, R, K, R}}, {"D", {4 * K + 2 * C, R, C, R}},
        {"c.3", {3 * K + 2 * C, 2 * R, K, R}}, {"E", {4 * K + 2 * C, 2 * R, C, R}},
        {"c/", {4 * K + 3 * C, 0, K, 3 * R}},
        {"b.2", {2 * K + C, 3 * R, K, R}}, {"F", {3 * K + C, 3 * R, C, R}},
        {"b/", {5 * K + 3 * C, 0, K, 4 * R}},
        {"a.2", {K, 4 * R, K, R}},       {"G", {2 * K, 4 * R, C, R}},
        {"a/", {6 * K + 3 * C, 0, K, 5 * R}},
        {"M", {M::kMinRail - C, 0, C, R}},
    };
    for (const auto& [label, box] : expected) {
        ASSERT_TRUE(b.count(label)) << label;
        EXPECT_EQ(b.at(label), box) << label;
    }
    EXPECT_EQ(layout.rows, 5);
    EXPECT_EQ(layout.width, 7 * K + 4 * C);
    EXPECT_EQ(layout.height, 5 * R + M::kRungGap);

    // A branch holding only outputs moves against the right rail with its legs.
    const auto outputRung = BuildRung("XIC:A BST:o OTE:M NXB OTL:N BND");
    const RungLayout outputs = LayOutRung(*outputRung, M::kMinRail);
    const auto o = Boxes(outputs);
    for (const char* label : {"o/", "M", "N", "A"}) ASSERT_TRUE(o.count(label)) << label;
    EXPECT_EQ(o.at("o/").Right(), M::kMinRail);
    EXPECT_EQ(o.at("M").x, M::kMinRail - K - C);
    EXPECT_EQ(o.at("N").y, R);
    EXPECT_EQ(o.at("A").x, K);
}

TEST(LadderLayout, WidestRungSetsTheRailTallestRungItsBand) {
    std::string wide;
    for (int i = 0; i < 30; ++i) wide += "XIC:W" + std::to_string(i) + " ";
    RungList rungs;
    rungs.push_back(BuildRung("XIC:A OTE:M"));
    rungs.push_back(BuildRung(wide + "OTE:Z"));
    rungs.push_back(BuildRung("XIC:T BST:t XIC:1 NXB XIC:2 NXB XIC:3 NXB XIC:4 NXB XIC:5 NXB XIC:6 BND TON:Tm"));
    rungs.push_back(BuildRung("XIC:B"));
    rungs.back()->Append(std::make_unique<CElement>(44));  // BSL: four operand lines
    rungs[0]->comment = "first line\nsecond line";
    LadderLayout layout;
    EXPECT_EQ(layout.Sync(rungs), 4);
    const int widest = M::kMarker + 31 * M::kCell;
    EXPECT_EQ(layout.Rail(), widest);
    // Every rung's output ends at the shared right rail.
    EXPECT_EQ(layout.BoxOf(rungs[0]->elements.back().get()).Right(), LadderLayout::RailLeft() + widest);
    EXPECT_EQ(layout.BoxOf(rungs[1]->elements.back().get()).Right(), LadderLayout::RailLeft() + widest);
    EXPECT_EQ(layout.Rung(0).commentHeight, 2 * M::kCommentLine + 4);
    EXPECT_EQ(layout.Rung(2).rows, 6);
    EXPECT_EQ(layout.BoxOf(rungs[2]->elements.back().get()).h, 2 * M::kRow);  // TON: Timer, Preset, Accum
    EXPECT_EQ(layout.Rung(3).rows, 3);                                         // four operand lines
    int top = 0;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(layout.RungTop(i), top);
        top += layout.Rung(i).height;
        CheckRung(layout, i);
    }
    EXPECT_EQ(layout.TotalHeight(), top);
    EXPECT_EQ(layout.VisibleRungs(layout.RungTop(1) + 1, layout.RungTop(2) + 1), (std::pair{1, 3}));
    EXPECT_EQ(layout.VisibleRungs(0, top), (std::pair{0, 4}));
}

TEST(LadderLayout, ClicksOnNumbersCommentsAndWiresSelectTheInsertionPoint) {
    RungList rungs;
    rungs.push_back(BuildRung("XIC:A BST:b XIC:B XIC:B2 NXB XIO:C BND OTE:M"));
    rungs[0]->comment = "note";
    LadderLayout layout;
    layout.Sync(rungs);
    CElement* start = rungs[0]->elements[0].get();
    const int rows = layout.RowsTop(0);
    EXPECT_EQ(layout.HitTest(5, rows + 10).area, LadderHit::Area::RungNumber);
    EXPECT_EQ(layout.ElementAt(5, rows + 10), start);
    EXPECT_EQ(layout.HitTest(200, 2).area, LadderHit::Area::Comment);
    // The wire between the branch and the output: the insertion point after the branch.
    const LayoutBox close = layout.BoxOf(rungs[0]->elements[3].get());
    const LadderHit wire = layout.HitTest(close.Right() + 50, rows + M::kWireY);
    EXPECT_EQ(wire.area, LadderHit::Area::Wire);
    EXPECT_EQ(wire.element, rungs[0]->elements[3].get());
    // The end of the second leg's wire: its last element.
    CElement* c = rungs[0]->elements[2]->legs[1]->elements[1].get();
    const LayoutBox cb = layout.BoxOf(c);
    EXPECT_EQ(layout.HitTest(cb.Right() + 3, cb.y + 5).element, c);
    EXPECT_EQ(layout.HitTest(5, layout.TotalHeight() + 5).area, LadderHit::Area::None);
}

TEST(LadderLayout, DamagedRungsLayOutAsFarAsTheyGo) {
    const char* damaged[] = {"branch without legs", "leg without start", "branch without close", "close alone"};
    for (const char* what : damaged) {
        auto rung = BuildRung("XIC:A BST:b XIC:B NXB XIC:C BND OTE:M");
        CElement& branch = *rung->elements[2];
        const std::string name = what;
        if (name == "branch without legs") branch.legs.clear();
        if (name == "leg without start") branch.legs[0]->elements.erase(branch.legs[0]->elements.begin());
        if (name == "branch without close") rung->elements.erase(rung->elements.begin() + 3);
        if (name == "close alone") rung->elements.erase(rung->elements.begin() + 2);
        RungList rungs;
        rungs.push_back(std::move(rung));
        LadderLayout layout;
        layout.Sync(rungs);
        EXPECT_TRUE(layout.Rung(0).damaged) << what;
        CheckRung(layout, 0);
    }
    RungList empty;
    empty.push_back(std::make_unique<CRung>());
    LadderLayout layout;
    layout.Sync(empty);
    EXPECT_TRUE(layout.Rung(0).damaged);
    EXPECT_EQ(layout.ElementAt(100, 20), nullptr);
}

class LadderLayoutViewTest : public ::testing::Test {
protected:
    ScriptedHost host;
    CMainFrame frame{host};
};

// Random edits of the kind the editor makes: after every one the layout is up to date
// by laying out only the rungs that changed, and stays sound.
TEST_F(LadderLayoutViewTest, RandomlyEditedProgramsStayInBoundsWithoutOverlaps) {
    RungList& rungs = frame.doc().rungs;
    rungs.clear();
    rungs.push_back(BuildRung("XIC:S BST XIC:A BST XIC:B NXB XIC:D BND NXB XIC:F BND OTE:M"));
    for (int i = 0; i < 6; ++i) rungs.push_back(BuildRung("XIC:N TON:T"));
    LadderView view(frame, nullptr);
    LadderLayout layout;
    view.layout = &layout;
    layout.Sync(rungs);
    std::mt19937 random(4711);
    for (int step = 0; step < 800; ++step) {
        switch (random() % 9) {
            case 0: InsertBranch(view); break;
            case 1: AddBranchLeg(view); break;
            case 2: InsertInstruction(view, static_cast<int>(std::vector<int>{2, 3, 4, 13, 19, 44}[random() % 6])); break;
            case 3: DeleteSelection(view); break;
            case 4: MoveSelection(view, static_cast<MoveKey>(random() % 6)); break;
            case 5: {
                const auto all = SearchOrder(view);
                SelectElement(view, all[random() % all.size()]);
                break;
            }
            case 6: if (random() % 3 == 0) InsertRung(view); break;
            case 7: view.Undo(); break;
            case 8: LadderCopy(view); LadderPaste(view); break;
        }
        const int before = layout.RungCount();
        const int laidOut = layout.Sync(rungs);
        layout.StoreRects();
        // An edit touches the current rung; inserting or pasting a rung adds one; undo
        // brings back copies of all of them.
        if (laidOut > 2) {
            EXPECT_EQ(laidOut, layout.RungCount()) << "step " << step << " of " << before;
        }
        for (int r = 0; r < layout.RungCount(); ++r) ASSERT_NO_FATAL_FAILURE(CheckRung(layout, r)) << "step " << step;
    }
    EXPECT_EQ(layout.Sync(rungs), 0);
}

TEST_F(LadderLayoutViewTest, UndoSelectsWhatIsDrawnWhereTheSelectionWas) {
    RungList& rungs = frame.doc().rungs;
    rungs.clear();
    rungs.push_back(BuildRung("XIC:A XIC:B OTE:M"));
    rungs.push_back(BuildRung("XIC:C BST:b XIC:D NXB XIC:E BND OTE:N"));
    LadderView view(frame, nullptr);
    LadderLayout layout;
    view.layout = &layout;
    layout.Sync(rungs);
    layout.StoreRects();
    CElement* e = rungs[1]->elements[2]->legs[1]->elements[1].get();
    ASSERT_TRUE(SelectElement(view, e));
    ASSERT_TRUE(InsertInstruction(view, 4));
    layout.Sync(rungs);
    layout.StoreRects();
    ASSERT_EQ(view.Undo(), LadderUndo::Outcome::Undone);
    ASSERT_NE(view.selected, nullptr);
    EXPECT_EQ(view.selected->operands[0], "E");
    EXPECT_EQ(view.currentRung, 1);
    // Undo laid the restored rungs out before hit testing.
    EXPECT_EQ(layout.Sync(rungs), 0);
}

}  // namespace
}  // namespace pontra
