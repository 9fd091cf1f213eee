// SPDX-License-Identifier: GPL-3.0-or-later
// Copy, Cut and Paste of the ladder editor through the clipboard formats.
#include <gtest/gtest.h>

#include <functional>

#include "files/ComponentText.h"
#include "files/Records.h"
#include "shell/Clipboard.h"
#include "shell/LadderView.h"

namespace pontra::test {
namespace {

constexpr const char* kRungs =
    "RUNG{comment = First};\nXIC(A);\nBST;\nXIC(B);\nNXB;\nXIO(C);\nBST;\nXIC(D);\nNXB;\nXIC(E);\nBND;\nBND;\n"
    "JFB(Inst);\nOTE(F);\nRND;\n\nRUNG;\nXIC(G);\nRND;\n\n";

struct Editor {
    ScriptedHost host;
    CMainFrame frame{host};
    std::unique_ptr<LadderView> view;

    Editor() {
        LoadMainRungs(frame, host, kRungs);
        host.log.clear();
        frame.SetModified(false);
        view = std::make_unique<LadderView>(frame, nullptr);
    }
    CRung& Rung(size_t i) { return *frame.doc().rungs[i]; }
    CElement* At(size_t rung, size_t index) { return Rung(rung).elements[index].get(); }
    // Outer branch of the first rung and its legs.
    CElement* Leg(size_t leg, size_t index) { return At(0, 2)->legs[leg]->elements[index].get(); }
    std::string Text() { return MainRungsText(frame.project()); }
};

struct PasteCase {
    const char* name;
    std::function<CElement*(Editor&)> copyFrom;
    std::function<CElement*(Editor&)> pasteAt;
    const char* format;
    const char* expected;  // the main program afterwards
    std::function<CElement*(Editor&)> selectedAfter;
};

class CopyPaste : public ::testing::TestWithParam<PasteCase> {};

TEST_P(CopyPaste, InsertsAFreshCopyAfterTheSelection) {
    Editor e;
    const PasteCase& c = GetParam();
    e.view->selected = c.copyFrom(e);
    ASSERT_EQ(LadderCopy(*e.view), ClipboardOutcome::Done);
    ASSERT_EQ(e.host.clipboard.size(), 1u);
    EXPECT_EQ(e.host.clipboard.begin()->first, c.format);
    EXPECT_FALSE(e.frame.doc().modified);

    e.view->selected = c.pasteAt(e);
    ASSERT_EQ(LadderPaste(*e.view), ClipboardOutcome::Done);
    EXPECT_EQ(e.Text(), c.expected);
    EXPECT_EQ(e.view->selected, c.selectedAfter(e));
    EXPECT_TRUE(e.frame.doc().modified);
    EXPECT_TRUE(e.view->pasteRung || e.view->pasteElement);

    ASSERT_EQ(e.view->Undo(), LadderUndo::Outcome::Undone);
    EXPECT_EQ(e.Text(), kRungs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyPaste,
    ::testing::Values(
        PasteCase{"WholeRungAfterTheCurrentRung", [](Editor& e) { return e.At(0, 0); },
                  [](Editor& e) { return e.At(0, 3); }, kClipboardRungFormat,
                  "RUNG{comment = First};\nXIC(A);\nBST;\nXIC(B);\nNXB;\nXIO(C);\nBST;\nXIC(D);\nNXB;\nXIC(E);\nBND;\n"
                  "BND;\nJFB(Inst);\nOTE(F);\nRND;\n\n"
                  "RUNG{comment = First};\nXIC(A);\nBST;\nXIC(B);\nNXB;\nXIO(C);\nBST;\nXIC(D);\nNXB;\nXIC(E);\nBND;\n"
                  "BND;\nJFB(Inst);\nOTE(F);\nRND;\n\nRUNG;\nXIC(G);\nRND;\n\n",
                  [](Editor& e) { return e.At(1, 0); }},
        PasteCase{"LegOntoALegStart", [](Editor& e) { return e.Leg(0, 0); }, [](Editor& e) { return e.Leg(1, 0); },
                  kClipboardRungFormat,
                  "RUNG{comment = First};\nXIC(A);\nBST;\nXIC(B);\nNXB;\nXIO(C);\nBST;\nXIC(D);\nNXB;\nXIC(E);\nBND;\n"
                  "NXB;\nXIC(B);\nBND;\nJFB(Inst);\nOTE(F);\nRND;\n\nRUNG;\nXIC(G);\nRND;\n\n",
                  [](Editor& e) { return e.Leg(2, 0); }},
        PasteCase{"BranchFromItsCloseMarkerGetsAMarker", [](Editor& e) { return e.Leg(1, 3); },
                  [](Editor& e) { return e.At(1, 1); }, kClipboardElementFormat,
                  "RUNG{comment = First};\nXIC(A);\nBST;\nXIC(B);\nNXB;\nXIO(C);\nBST;\nXIC(D);\nNXB;\nXIC(E);\nBND;\n"
                  "BND;\nJFB(Inst);\nOTE(F);\nRND;\n\nRUNG;\nXIC(G);\nBST;\nXIC(D);\nNXB;\nXIC(E);\nBND;\nRND;\n\n",
                  [](Editor& e) { return e.At(1, 2); }},
        PasteCase{"FunctionBlockCallAsOneElement", [](Editor& e) { return e.At(0, 4); },
                  [](Editor& e) { return e.At(1, 0); }, kClipboardRungFormat,
                  "RUNG{comment = First};\nXIC(A);\nBST;\nXIC(B);\nNXB;\nXIO(C);\nBST;\nXIC(D);\nNXB;\nXIC(E);\nBND;\n"
                  "BND;\nJFB(Inst);\nOTE(F);\nRND;\n\nRUNG;\nJFB(Inst);\nXIC(G);\nRND;\n\n",
                  [](Editor& e) { return e.At(1, 1); }},
        PasteCase{"ElementIntoALegNotIntoABranch", [](Editor& e) { return e.At(0, 5); },
                  [](Editor& e) { return e.Leg(1, 2); }, kClipboardElementFormat,
                  "RUNG{comment = First};\nXIC(A);\nBST;\nXIC(B);\nNXB;\nXIO(C);\nBST;\nXIC(D);\nNXB;\nXIC(E);\nBND;\n"
                  "OTE(F);\nBND;\nJFB(Inst);\nOTE(F);\nRND;\n\nRUNG;\nXIC(G);\nRND;\n\n",
                  [](Editor& e) { return e.Leg(1, 4); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Clipboard, PastedRungIsLinkedLikeItsSource) {
    Editor e;
    e.view->selected = e.At(0, 0);
    LadderCopy(*e.view);
    LadderPaste(*e.view);
    CRung& copy = e.Rung(1);
    EXPECT_EQ(copy.parent, nullptr);
    EXPECT_EQ(copy.flag, 0);
    EXPECT_EQ(e.view->currentRung, 1);
    for (const auto& leg : copy.elements[2]->legs) {
        EXPECT_EQ(leg->parent, &copy);
        EXPECT_EQ(leg->flag, 1);
    }
    EXPECT_NE(copy.elements[1].get(), e.At(0, 1));
}

TEST(Clipboard, WhatPasteLeavesAlone) {
    Editor e;
    // A leg goes only onto the start of a leg.
    e.view->selected = e.Leg(1, 0);
    LadderCopy(*e.view);
    e.view->selected = e.At(1, 1);
    EXPECT_EQ(LadderPaste(*e.view), ClipboardOutcome::Nothing);

    // Damaged payloads: cut short, or a structure no editor builds.
    const std::string rung = e.host.clipboard[kClipboardRungFormat];
    auto marker = std::make_unique<CElement>(kKindBranchEnd);
    const auto loose = ElementToBytes(*marker);
    const std::pair<const char*, std::string> damaged[] = {
        {kClipboardRungFormat, rung.substr(0, rung.size() - 3)},
        {kClipboardElementFormat, std::string(loose.begin(), loose.end())},
        {kClipboardElementFormat, ""},
    };
    for (const auto& [format, payload] : damaged) {
        e.host.clipboard = {{format, payload}};
        EXPECT_EQ(LadderPaste(*e.view), ClipboardOutcome::Nothing);
    }
    EXPECT_EQ(e.host.Messages().size(), 3u);

    e.host.clipboard.clear();
    EXPECT_EQ(LadderPaste(*e.view), ClipboardOutcome::Nothing);
    EXPECT_EQ(e.Text(), kRungs);
    EXPECT_FALSE(e.frame.doc().modified);
    EXPECT_FALSE(e.view->undo.CanUndo());
}

TEST(Clipboard, LooseElementsOfAnyOtherRungAndTheRungFormatFirst) {
    Editor e;
    auto carrier = std::make_unique<CRung>();
    for (const char* op : {"X", "P", "Q"}) carrier->Append(MakeElement(2, {op}));
    const auto bytes = RungToBytes(*carrier);
    auto element = MakeElement(4, {"Z"});
    const auto other = ElementToBytes(*element);
    e.host.clipboard = {{kClipboardRungFormat, std::string(bytes.begin(), bytes.end())},
                        {kClipboardElementFormat, std::string(other.begin(), other.end())}};
    e.view->selected = e.At(1, 0);
    ASSERT_EQ(LadderPaste(*e.view), ClipboardOutcome::Done);
    EXPECT_EQ(RungText(e.Rung(1)), Crlf("RUNG;\nXIC(P);\nXIC(Q);\nXIC(G);\nRND;\n\n"));
    EXPECT_EQ(e.view->selected, e.At(1, 2));
    EXPECT_EQ(e.At(1, 1)->parent, &e.Rung(1));
}

TEST(Clipboard, GuardsComeFirst) {
    Editor e;
    e.view->selected = e.At(0, 5);
    e.frame.downloadInProgress = true;
    EXPECT_EQ(LadderCopy(*e.view), ClipboardOutcome::Ignored);
    e.frame.downloadInProgress = false;
    EXPECT_EQ(LadderCut(*e.view, false), ClipboardOutcome::PassToFocus);
    e.frame.debugMode = 1;
    for (auto command : {+[](LadderView& v) { return LadderCopy(v); }, +[](LadderView& v) { return LadderCut(v); },
                         +[](LadderView& v) { return LadderPaste(v); }})
        EXPECT_EQ(command(*e.view), ClipboardOutcome::Refused);
    EXPECT_EQ(e.host.Messages(), std::vector<std::string>(3, CMainFrame::kDebugModeRefusal));
    EXPECT_TRUE(e.host.clipboard.empty());
    EXPECT_FALSE(e.frame.doc().modified);
    EXPECT_EQ(e.Text(), kRungs);
}

TEST(Clipboard, CutCopiesThenDeletesAndOneUndoTakesItBack) {
    Editor e;
    e.view->selected = e.Leg(1, 3);  // the inner branch, by its close marker
    ASSERT_EQ(LadderCut(*e.view), ClipboardOutcome::Done);
    EXPECT_EQ(e.host.clipboard.count(kClipboardElementFormat), 1u);
    EXPECT_EQ(e.Text(), "RUNG{comment = First};\nXIC(A);\nBST;\nXIC(B);\nNXB;\nXIO(C);\nBND;\nJFB(Inst);\nOTE(F);\n"
                        "RND;\n\nRUNG;\nXIC(G);\nRND;\n\n");
    e.view->selected = e.At(1, 1);
    ASSERT_EQ(LadderPaste(*e.view), ClipboardOutcome::Done);
    EXPECT_EQ(e.view->Undo(), LadderUndo::Outcome::Undone);
    EXPECT_EQ(e.view->Undo(), LadderUndo::Outcome::Undone);
    EXPECT_EQ(e.Text(), kRungs);
    EXPECT_FALSE(e.view->undo.CanUndo());
}

}  // namespace
}  // namespace pontra::test
