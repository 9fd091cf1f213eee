// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandGuards.h"

#include <algorithm>

#include "shell/MainFrame.h"

namespace pontra {

namespace {

using C = Command;
using A = EditAction;

// Ignored while a download runs. Besides the build, download and online commands and
// the editing commands, Save As and Exit: the file and the main window stay as they are
// until the download has ended.
// clang-format off
constexpr Command kBusyCommands[] = {
    C::VerifyProgram, C::DownloadProgram, C::MakeBinFile, C::DeleteModuleProgram, C::DownloadProgramToModules,
    C::Debug, C::ToggleDebug, C::ControllerProperties, C::Cut, C::Copy, C::Paste, C::Undo, C::Save, C::SaveAs,
    C::Exit, C::EditElement, C::Delete, C::AddRung, C::EditRungComment, C::RunTests,
};
constexpr EditAction kBusyActions[] = {A::LadderEdit, A::LadderInput, A::StTemplate, A::CloseProject,
                                       A::SaveOperation};

// Refused online: everything that changes the project or the module's program. The tag
// lists, the project tree and import change the project as much as the ladder editor
// does; a project changed while online would no longer be the program being monitored,
// and could not even be saved.
constexpr Command kDebugCommands[] = {
    C::New, C::Open, C::RecentFile1, C::RecentFile2, C::RecentFile3, C::RecentFile4, C::Close, C::Save,
    C::SaveAs, C::Cut, C::Copy, C::Paste, C::Undo, C::EditElement, C::Delete, C::AddRung, C::EditRungComment,
    C::DownloadProgram, C::MakeBinFile, C::DeleteModuleProgram, C::DownloadProgramToModules,
    C::ControllerProperties, C::NonVolatile, C::Import, C::AddComponent, C::DeleteComponent,
};
constexpr EditAction kDebugActions[] = {A::LadderEdit, A::SaveOperation, A::TagEdit, A::ProjectTreeEdit};
// clang-format on

template <typename T, size_t N> bool Listed(const T (&list)[N], T what) {
    return std::find(std::begin(list), std::end(list), what) != std::end(list);
}

bool Busy(const CMainFrame& frame, bool guarded) {
    return guarded && frame.downloadInProgress;
}

bool RefusedOnline(CMainFrame& frame, bool guarded) {
    if (!guarded || !frame.debugMode) return false;
    frame.host().Message(CMainFrame::kDebugModeRefusal);
    return true;
}

} // namespace

bool IsBusyGuarded(Command command) {
    return Listed(kBusyCommands, command);
}
bool IsBusyGuarded(EditAction action) {
    return Listed(kBusyActions, action);
}
bool IsDebugGuarded(Command command) {
    return Listed(kDebugCommands, command);
}
bool IsDebugGuarded(EditAction action) {
    return Listed(kDebugActions, action);
}

bool PassesBusyGuard(const CMainFrame& frame, Command command) {
    return !Busy(frame, IsBusyGuarded(command));
}
bool PassesBusyGuard(const CMainFrame& frame, EditAction action) {
    return !Busy(frame, IsBusyGuarded(action));
}

bool PassesDebugGuard(CMainFrame& frame, Command command) {
    return !RefusedOnline(frame, IsDebugGuarded(command));
}
bool PassesDebugGuard(CMainFrame& frame, EditAction action) {
    return !RefusedOnline(frame, IsDebugGuarded(action));
}

bool PassesGuards(CMainFrame& frame, Command command) {
    return PassesBusyGuard(frame, command) && PassesDebugGuard(frame, command);
}
bool PassesGuards(CMainFrame& frame, EditAction action) {
    return PassesBusyGuard(frame, action) && PassesDebugGuard(frame, action);
}

} // namespace pontra
