// SPDX-License-Identifier: GPL-3.0-or-later
// The two guards that decide whether a command may run now, and the lists of what each
// guard stops. Every operation that either guard covers asks here, so each rule lives
// in one place:
// - the busy guard: while a download runs (its progress bar is visible) the command or
//   action is ignored without a word;
// - the debug-mode guard: while the program is online in debug mode the command or
//   action shows kDebugModeRefusal and changes nothing.
#pragma once

#include "shell/CommandTable.h"

namespace pontra {

class CMainFrame;

// Actions that are not commands of the table but pass the same guards.
enum class EditAction {
    LadderEdit,   // a change of a ladder view's rungs: instruction bar, keys, context menus, in-place editors
    LadderInput,  // the ladder view's keyboard moves, double-click and context menu
    StTemplate,   // the statement templates of the Structured Text editor
    CloseProject, // closing the open project (Close, Open, New, closing the main window)
    SaveOperation,   // writing the project file (Save, Save As, and the saves before a build)
    TagEdit,         // a change of a tag's declaration, or of its connection or control settings
    ProjectTreeEdit, // an in-place edit of the project tree: a component's name, the program version
};

bool IsBusyGuarded(Command command);
bool IsBusyGuarded(EditAction action);
bool IsDebugGuarded(Command command);
bool IsDebugGuarded(EditAction action);

// False (and nothing else) while a download runs and the busy guard covers `what`.
bool PassesBusyGuard(const CMainFrame& frame, Command command);
bool PassesBusyGuard(const CMainFrame& frame, EditAction action);
// False, after the refusal message, while online in debug mode and the debug-mode guard
// covers `what`.
bool PassesDebugGuard(CMainFrame& frame, Command command);
bool PassesDebugGuard(CMainFrame& frame, EditAction action);
// Both guards, the busy guard first.
bool PassesGuards(CMainFrame& frame, Command command);
bool PassesGuards(CMainFrame& frame, EditAction action);

} // namespace pontra
