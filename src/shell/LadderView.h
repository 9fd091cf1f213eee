// SPDX-License-Identifier: GPL-3.0-or-later
// The state of one ladder editor: which rungs it edits (the main program or a ladder
// function block), the current rung, the selected element and the undo stack. The GUI's
// ladder view owns one and only draws it; editing, clipboard and find operate on it, so
// every rule is tested without a window.
#pragma once

#include <memory>

#include "model/Ladder.h"
#include "shell/FindInProgram.h"
#include "shell/LadderLayout.h"
#include "shell/LadderUndo.h"

namespace pontra {

class CMainFrame;
class CUnit;

class LadderView {
public:
    // `unit` null: the main program ("Main Routine").
    LadderView(CMainFrame& frame, CUnit* unit);

    CMainFrame& frame() { return frame_; }
    CUnit* unit() const { return unit_; }
    bool IsFunctionBlock() const { return unit_ != nullptr; }
    RungList& Rungs();

    int currentRung = 0;
    CElement* selected = nullptr;
    // Zoom level in percent of the normal size, in steps of kZoomStep between kZoomStep
    // and kMaxZoom.
    static constexpr int kZoomStep = 10, kMaxZoom = 400;
    int zoom = 100;
    bool CanZoomIn() const { return zoom < kMaxZoom; }
    bool CanZoomOut() const { return zoom > kZoomStep; }
    bool ZoomIn();
    bool ZoomOut();
    LadderUndo undo;
    // The Find dialog's fields, kept while the view exists; "Find Next" passes them.
    FindOptions findOptions;
    // The paste buffer: what the editor last copied or pasted (a rung or an element).
    std::unique_ptr<CRung> pasteRung;
    std::unique_ptr<CElement> pasteElement;

    // The layout of a drawn view: the widget that draws the view sets it, keeps it in
    // step with the rungs (elements' `rect` included) and undo re-selects through its hit
    // test. Null for a view that is not drawn.
    LadderLayout* layout = nullptr;

    // Takes an undo snapshot of the rungs and selection (before every edit).
    void SaveUndo();
    // The "Undo" command; restores the rungs, the current rung and the selection.
    LadderUndo::Outcome Undo(bool focusInView = true);
    // The view as undo sees it; a drawn view adds its hit test as `elementAt`.
    LadderViewState UndoState();

private:
    CMainFrame& frame_;
    CUnit* unit_;
};

}  // namespace pontra
