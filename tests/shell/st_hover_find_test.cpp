// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor's hover tip (declarations, live values from the monitor,
// array elements) and its find dialog.
#include <gtest/gtest.h>

#include "shell/StEditorFixture.h"

namespace pontra::test {
namespace {

class StHoverTest : public StEditorTest {
protected:
    std::string Hover(const std::string& selected) {
        Open("x := " + selected + ";");
        editor->SetSelection(5, 5 + selected.size());
        editor->instanceBase = base;
        editor->SetLiveValues(live);
        return editor->HoverText().value_or("none");
    }
    FakeMonitor monitor;
    const LiveValueSource* live = &monitor;
    int base = 100;
};

struct HoverCase {
    const char* selected;
    const char* offline;
    const char* online;
};

TEST_F(StHoverTest, TipShowsTheDeclarationOfflineAndTheLiveValueOnline) {
    monitor.values = {{"Speed", "42"}, {"Start", "1"}, {"i", "3"}, {"Tmr.PRE", "500"}, {"Arr[3]", "7"}};
    const HoverCase cases[] = {
        {"Speed ", "Speed: DINT, InitValue = 5, conveyor speed", "Speed: DINT, Value = 42, conveyor speed"},
        {"Start", "Start: BOOL, InitValue = 0", "Start: BOOL, Value = 1"},
        {"Tmr", "Tmr: TIMER, InitValue = {...}", "Tmr: TIMER, Value = {...}"},
        {"Tmr.PRE", "Tmr.PRE: DINT, InitValue = 0", "Tmr.PRE: DINT, Value = 500"},
        // an array itself is no type of the type list
        {"Arr", "Arr: DINT[4], InitValue = {...}, lane counts", "Arr: DINT[4], Value = ???, lane counts"},
        // an index tag counts with its initial value offline, its live value online
        {"Arr[i]", "Arr[2]: DINT, InitValue = 0, lane counts", "Arr[3]: DINT, Value = 7, lane counts"},
        {"Arr[03]", "Arr[3]: DINT, InitValue = 0, lane counts", "Arr[3]: DINT, Value = 7, lane counts"},
        {"Arr[4]", "none", "none"},
        {"Arr[Speed]", "none", "none"},
        {"Arr[1,1]", "none", "none"},
        {"Nothing", "none", "none"},
    };
    for (const auto& c : cases) {
        frame.debugMode = 0;
        EXPECT_EQ(Hover(c.selected), c.offline) << c.selected;
        frame.debugMode = 1;
        EXPECT_EQ(Hover(c.selected), c.online) << c.selected;
    }
    EXPECT_EQ(monitor.bases.back(), 100);
}

TEST_F(StHoverTest, WithoutValidDataOrAnInstanceTheValueIsUnknown) {
    frame.debugMode = 1;
    monitor.values = {{"Speed", "42"}};
    monitor.valid = false;
    live = nullptr;
    EXPECT_EQ(Hover("Speed"), "Speed: DINT, Value = ???, conveyor speed");  // no monitor plugged in
    editor->SetLiveValues(&monitor);
    EXPECT_EQ(editor->HoverText(), "Speed: DINT, Value = ???, conveyor speed");
    monitor.valid = true;
    editor->instanceBase = -1;
    EXPECT_EQ(editor->HoverText(), "Speed: DINT, Value = ???, conveyor speed");
    editor->instanceBase = 0;
    EXPECT_EQ(editor->HoverText(), "Speed: DINT, Value = 42, conveyor speed");
}

TEST_F(StHoverTest, TipShowsOnlyOverTheSelectionWithTheColourOfTheMode) {
    Hover("Speed");
    editor->UpdateHoverTip(false);
    EXPECT_FALSE(editor->Tip().visible);
    editor->UpdateHoverTip(true);
    EXPECT_TRUE(editor->Tip().visible);
    EXPECT_EQ(editor->Tip().text, "Speed: DINT, InitValue = 5, conveyor speed");
    EXPECT_EQ(editor->Tip().background, kHoverBackground);
    frame.debugMode = 1;
    editor->UpdateHoverTip(true);
    EXPECT_EQ(editor->Tip().background, kHoverDebugBackground);
    editor->SetSelection(0, 1);  // "x" names no variable
    editor->UpdateHoverTip(true);
    EXPECT_FALSE(editor->Tip().visible);
}

struct FindCase {
    const char* what;
    bool matchCase, wholeWord, down;
    size_t from, to;  // selection before
    long long hit;    // -1 for a miss
};

TEST_F(StEditorTest, FindNextSearchesFromTheSelectionWithCaseAndWholeWord) {
    // 0123456789012345678901
    // Speed := speed + SPEEDS;
    Open("Speed := speed + SPEEDS;");
    const FindCase cases[] = {
        {"speed", false, false, true, 0, 5, 9},
        {"speed", true, false, true, 0, 0, 9},
        {"speed", false, true, true, 10, 10, -1},  // SPEEDS is no whole word
        {"speed", false, false, true, 10, 10, 17},
        {"speed", false, false, false, 17, 17, 9},  // up: the last hit ending before the selection
        {"speed", false, false, false, 4, 4, -1},
        {"", false, false, true, 0, 0, -1},
    };
    for (const auto& c : cases) {
        editor->SetSelection(c.from, c.to);
        const auto hit = editor->FindNext({c.what, c.matchCase, c.wholeWord, c.down});
        EXPECT_EQ(hit ? static_cast<long long>(hit->first) : -1, c.hit) << c.what << " from " << c.from;
        const TextSpan expected = hit ? *hit : TextSpan{c.from, c.to};
        EXPECT_EQ(editor->Selection(), expected);
    }
}

}  // namespace
}  // namespace pontra::test
