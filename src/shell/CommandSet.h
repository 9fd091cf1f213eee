// SPDX-License-Identifier: GPL-3.0-or-later
// The one place every front end asks about a command of the table (CommandTable.h):
// whether it is enabled and checked now, and what happens when it is invoked.
#pragma once

#include <string>

#include "online/OnlineCommandStates.h"
#include "shell/CommandTable.h"
#include "shell/ProjectTree.h"
#include "shell/TagRules.h"

namespace pontra {

class CMainFrame;
class CTag;
class CUnit;
class LadderView;
class StEditor;

// What a command applies to: the front end fills in its active window, where the focus
// is, and the item a context menu was opened on.
struct CommandTarget {
    LadderView* ladder = nullptr; // the active ladder view
    StEditor* text = nullptr; // the active Structured Text editor; takes the Edit commands before `ladder`
    // False while a control inside the ladder view (an in-place editor) has the keyboard
    // focus: Undo, Cut, Copy and Paste are then that control's own.
    bool focusInView = true;
    // The debug view beside a Structured Text editor: whether it has the focus, its unit
    // and its selected text (for Toggle Bit).
    bool debugViewFocused = false;
    CUnit* debugViewUnit = nullptr;
    std::string debugViewSelection;
    // A tag list's context menu: the list and the tag under it.
    TagListSubject tagList{};
    CTag* tag = nullptr;
    // The project bar's item under its context menu.
    const TreeItem* treeItem = nullptr;
};

// Enabled and checked, evaluated on the frame's state now (refresh menus and bars with it).
CommandState CommandStateOf(CMainFrame& frame, Command command, const CommandTarget& target = {});

enum class CommandOutcome {
    Disabled,    // not enabled now: nothing happened
    Ignored,     // a download runs (busy guard): nothing happened, nothing was said
    PassToFocus, // the front end hands the command to the control that has the focus
    Refused,     // online in debug mode: the refusal was shown, nothing changed
    FrontEnd,    // the guards passed; the front end now opens its dialog or in-place editor
                 // (Print..., Find..., About, Edit Element, Edit Rung Comment, Write Value,
                 // Download Program to Modules..., Add), whose OK calls the core operation
    Done,        // carried out
    NotDone,     // carried out, but cancelled, failed (and reported) or nothing to do
};

// Routes a command: not while disabled; then the busy guard, the hand-over to a focused
// control, the debug-mode guard (CommandGuards.h), and the operation that carries the
// command out. Exit answers Done when the main window may close.
CommandOutcome InvokeCommand(CMainFrame& frame, Command command, const CommandTarget& target = {});

} // namespace pontra
