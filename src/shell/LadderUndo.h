// SPDX-License-Identifier: GPL-3.0-or-later
// Undo of a ladder view: before every edit the view's whole rung list is copied; Undo
// puts the last copy back and selects again what was selected. One per ladder view
// (main program or ladder function block); snapshots live only in memory.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "model/ElementPlace.h"
#include "model/Ladder.h"

namespace pontra {

class CMainFrame;

// One snapshot: deep copies of the rungs, the current rung, and the selected element
// as the view saw it (a point in view pixels) and as a place in the rungs.
struct CUndo {
    RungList rungs;
    int currentRung = 0;
    int x = 0, y = 0;
    ElementPlace place;
};

// The part of a ladder view that undo reads and restores.
struct LadderViewState {
    RungList* rungs = nullptr;
    int currentRung = 0;
    CElement* selected = nullptr;
    // Size of a ladder cell in view pixels; element positions are stored in percent of it.
    int cellWidth = 100, cellHeight = 100;
    // The view's hit test, called once the restored rungs are in place (the view lays
    // them out first): the element a left click at this point selects, or null. Without
    // a drawn layout, or when nothing is there, the recorded place decides.
    std::function<CElement*(int x, int y)> elementAt;
};

class LadderUndo {
public:
    static constexpr int kMaxSnapshots = 10;

    // Before an edit: keeps a copy of the view's rungs and selection, dropping the
    // oldest copy beyond ten, and marks the project modified.
    void SaveUndo(CMainFrame& frame, const LadderViewState& view);

    enum class Outcome {
        Ignored,      // a download is running
        PassToFocus,  // another control has the focus: it undoes its own edit
        Refused,      // online in debug mode (the refusal was shown)
        Nothing,      // no snapshot
        Undone,
    };
    // The "Undo" command of the view. `focusInView` is false while another control (an
    // in-place operand editor) has the keyboard focus.
    Outcome Undo(CMainFrame& frame, LadderViewState& view, bool focusInView = true);

    bool CanUndo() const { return index_ >= 1; }
    int Count() const { return index_; }

private:
    std::vector<std::unique_ptr<CUndo>> snapshots_;  // oldest first
    int index_ = 0;                                  // snapshots held
};

}  // namespace pontra
