// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LadderView.h"

#include <algorithm>

#include "shell/MainFrame.h"

namespace pontra {

LadderView::LadderView(CMainFrame& frame, CUnit* unit) : frame_(frame), unit_(unit) {
    RungList& rungs = Rungs();
    if (!rungs.empty() && !rungs[0]->elements.empty()) selected = rungs[0]->elements[0].get();
}

RungList& LadderView::Rungs() { return unit_ ? unit_->rungs : frame_.doc().rungs; }

LadderViewState LadderView::UndoState() {
    LadderViewState state;
    state.rungs = &Rungs();
    state.currentRung = currentRung;
    state.selected = selected;
    if (layout) {
        // Element rects are in view units, so a cell of 100 maps them one to one.
        state.cellWidth = state.cellHeight = 100;
        state.elementAt = [this](int x, int y) {
            layout->Sync(Rungs());
            layout->StoreRects();
            return layout->ElementAt(x, y);
        };
    }
    return state;
}

bool LadderView::ZoomIn() {
    if (!CanZoomIn()) return false;
    zoom = std::min(zoom + kZoomStep, kMaxZoom);
    frame_.host().Repaint();
    return true;
}

bool LadderView::ZoomOut() {
    if (!CanZoomOut()) return false;
    zoom = std::max(zoom - kZoomStep, kZoomStep);
    frame_.host().Repaint();
    return true;
}

void LadderView::SaveUndo() { undo.SaveUndo(frame_, UndoState()); }

LadderUndo::Outcome LadderView::Undo(bool focusInView) {
    LadderViewState state = UndoState();
    const LadderUndo::Outcome outcome = undo.Undo(frame_, state, focusInView);
    currentRung = state.currentRung;
    selected = state.selected;
    return outcome;
}

}  // namespace pontra
