// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window needs of every document window in its multi-document area (the
// ladder editor, the tag editor, the Structured Text editor, a type's member editor):
// which window of the core's titles it is, what the commands apply to while it is
// active, and the moments it must re-read the model. The main window knows views only
// through this, so each editor lives in its own file pair and is tested on its own.
#pragma once

#include <string>

#include "shell/CommandSet.h"
#include "shell/OutputWindow.h"

class QWidget;

namespace pontra::gui {

class DocumentView {
public:
    virtual ~DocumentView() = default;

    // The widget placed in the document area.
    virtual QWidget* widget() = 0;
    // The window key the core's titles use: "main", "tags", "fb:NAME:routine",
    // "fb:NAME:tags", "type:NAME".
    virtual std::string key() const = 0;

    // What commands apply to while this view is active: its LadderView or StEditor, whether
    // the focus is in the view itself, the tag list and tag under a context menu.
    virtual void FillCommandTarget(CommandTarget& target) { (void)target; }
    // Editors commit a pending in-place edit into the model (before a build, save or export).
    virtual void CommitPendingEdits() {}
    // The model changed outside this view (undo, paste, import, rename, a new project):
    // re-read what is shown.
    virtual void ModelChanged() {}
    // Debug mode began or ended (the core's debug flag changed).
    virtual void DebugModeChanged() {}
    // A read of the module's tag memory or status arrived while online.
    virtual void LiveValuesChanged() {}
    // Brings a place to view and selects it: an output-window jump that leads into this
    // view's unit (an element of a rung, or a line of the text). False when it cannot.
    virtual bool ShowJump(const OutputJump& jump) {
        (void)jump;
        return false;
    }
    // "Print..." (`preview` false) and "Print Preview" while this view is active; false
    // when the view cannot print.
    virtual bool Print(bool preview) {
        (void)preview;
        return false;
    }
};

}  // namespace pontra::gui
