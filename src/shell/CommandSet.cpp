// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandSet.h"

#include <filesystem>
#include <optional>

#include "build/BuildCommands.h"
#include "files/ComponentExport.h"
#include "files/ComponentImport.h"
#include "online/DeleteModuleProgram.h"
#include "online/DownloadProgram.h"
#include "online/LiveWrites.h"
#include "online/OnlineSession.h"
#include "online/StartDebugging.h"
#include "shell/AppShell.h"
#include "shell/Clipboard.h"
#include "shell/CommandGuards.h"
#include "shell/ControllerProperties.h"
#include "shell/DocumentLifecycle.h"
#include "shell/LadderEditing.h"
#include "shell/LadderView.h"
#include "shell/MainFrame.h"
#include "shell/StEditor.h"

namespace pontra {

namespace {

using C = Command;

// The ladder view that takes the view commands: none while a text editor is active.
LadderView* Ladder(const CommandTarget& target) {
    return target.text ? nullptr : target.ladder;
}

bool* BarOf(CMainFrame& frame, Command command) {
    switch (command) {
    case C::ViewToolbar: return &frame.bars.toolbar;
    case C::ViewStatusBar: return &frame.bars.statusBar;
    case C::ViewInstructionBar: return &frame.bars.instructionBar;
    case C::ViewProjectBar: return &frame.bars.projectBar;
    case C::ViewOutputBar: return &frame.bars.outputBar;
    default: return nullptr;
    }
}

int RecentIndex(Command command) {
    for (size_t i = 0; i < kRecentFileCommands.size(); ++i)
        if (kRecentFileCommands[i] == command) return static_cast<int>(i);
    return -1;
}

// The component a project bar item stands for, when it is a function block or user type.
CUnit* ComponentOf(CMainFrame& frame, const CommandTarget& target) {
    if (!target.treeItem || target.treeItem->unit.empty()) return nullptr;
    const TreeRole role = target.treeItem->role;
    if (role != TreeRole::FunctionBlock && role != TreeRole::UserType) return nullptr;
    return frame.project().FindUnit(target.treeItem->unit);
}

struct ExportChoice {
    ExportSubject subject;
    const CUnit* unit = nullptr;
};

std::optional<ExportChoice> ExportOf(CMainFrame& frame, const CommandTarget& target) {
    if (!target.treeItem) return std::nullopt;
    switch (target.treeItem->role) {
    case TreeRole::MainTask: return ExportChoice{ExportSubject::MainTask};
    case TreeRole::MainProgram:
    case TreeRole::MainRoutine:
    case TreeRole::MainTags: return ExportChoice{ExportSubject::MainProgram};
    case TreeRole::FunctionBlock:
    case TreeRole::FunctionBlockRoutine:
    case TreeRole::FunctionBlockTags:
    case TreeRole::UserType: {
        const CUnit* unit = frame.project().FindUnit(target.treeItem->unit);
        if (!unit) return std::nullopt;
        return ExportChoice{unit->IsType() ? ExportSubject::Type : ExportSubject::FunctionBlock, unit};
    }
    default: return std::nullopt;
    }
}

bool Enabled(CMainFrame& frame, Command command, const CommandTarget& target) {
    const bool project = frame.HasProject();
    const bool debugging = frame.debugMode != 0;
    LadderView* ladder = Ladder(target);
    StEditor* text = target.text;
    const bool editor = ladder || text;
    switch (command) {
    case C::New:
    case C::Open: return !target.debugViewFocused;
    case C::Close:
    case C::SaveAs: return project && !target.debugViewFocused;
    case C::Save: return project && frame.doc().modified && !target.debugViewFocused;
    case C::Print:
    case C::PrintPreview: return project && editor;
    case C::RecentFile1:
    case C::RecentFile2:
    case C::RecentFile3:
    case C::RecentFile4: return static_cast<size_t>(RecentIndex(command)) < frame.recentFiles.size();
    case C::Undo: return text ? text->CanUndo() : ladder && ladder->undo.CanUndo();
    case C::Cut:
    case C::Copy:
    case C::Find: return editor;
    // A text editor pastes only text; a ladder view tells what it can paste when it tries.
    case C::Paste: return text ? text->CanPaste() : ladder != nullptr;
    case C::ZoomIn: return ladder && ladder->CanZoomIn();
    case C::ZoomOut: return ladder && ladder->CanZoomOut();
    case C::VerifyProgram:
    case C::Import: return project;
    // One run at a time. The tests run in process, on an image of the program as it is
    // when the run starts, so being online does not matter; a download is building the
    // same program and the build would disturb it.
    case C::RunTests: return project && !frame.testsRunning && !frame.downloadInProgress;
    case C::ChooseTestFiles: return project && !frame.testsRunning;
    case C::EditElement:
    case C::Delete:
    case C::AddRung:
    case C::EditRungComment: return ladder != nullptr;
    // Live values exist only online.
    case C::ToggleBit: return debugging && (target.debugViewFocused || ladder);
    case C::WriteValue: return debugging;
    case C::NonVolatile:
        return project && target.tag && IsDeclaredIn(frame.project(), target.tagList, *target.tag);
    case C::Export: return project && ExportOf(frame, target).has_value();
    case C::AddComponent: {
        const TreeRole role = target.treeItem ? target.treeItem->role : TreeRole::Revision;
        return project && (role == TreeRole::FunctionBlocks || role == TreeRole::UserDefined);
    }
    case C::DeleteComponent: return project && ComponentOf(frame, target);
    default: return true; // Print Setup, Exit, the bars, Help Topics, About
    }
}

CommandOutcome Did(bool done) {
    return done ? CommandOutcome::Done : CommandOutcome::NotDone;
}

CommandOutcome OpenRecentFile(CMainFrame& frame, Command command) {
    const std::string path = frame.recentFiles[static_cast<size_t>(RecentIndex(command))];
    if (OpenDocument(frame, path)) return CommandOutcome::Done;
    // An entry whose file is gone leaves the list; one that failed otherwise stays.
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) RemoveRecentFile(frame, path);
    return CommandOutcome::NotDone;
}

CommandOutcome EditCommand(Command command, const CommandTarget& target) {
    if (StEditor* text = target.text) {
        StEditor::Outcome outcome = StEditor::Outcome::Nothing;
        switch (command) {
        case C::Undo: outcome = text->Undo(); break;
        case C::Cut: outcome = text->Cut(); break;
        case C::Copy: outcome = text->Copy(); break;
        default: outcome = text->Paste(); break;
        }
        return Did(outcome == StEditor::Outcome::Done);
    }
    LadderView& view = *target.ladder;
    if (command == C::Undo) return Did(view.Undo(target.focusInView) == LadderUndo::Outcome::Undone);
    ClipboardOutcome outcome = ClipboardOutcome::Nothing;
    switch (command) {
    case C::Cut: outcome = LadderCut(view, target.focusInView); break;
    case C::Copy: outcome = LadderCopy(view, target.focusInView); break;
    default: outcome = LadderPaste(view, target.focusInView); break;
    }
    return Did(outcome == ClipboardOutcome::Done);
}

CommandOutcome Run(CMainFrame& frame, Command command, const CommandTarget& target) {
    LadderView* ladder = Ladder(target);
    switch (command) {
    case C::New: return Did(NewDocument(frame));
    case C::Open: return Did(OpenDocument(frame));
    case C::Close: return Did(CloseDocument(frame));
    case C::Save: return Did(SaveDocument(frame));
    case C::SaveAs: return Did(SaveDocumentAs(frame));
    case C::RecentFile1:
    case C::RecentFile2:
    case C::RecentFile3:
    case C::RecentFile4: return OpenRecentFile(frame, command);
    case C::Exit: return Did(CloseMainWindow(frame));
    case C::Undo:
    case C::Cut:
    case C::Copy:
    case C::Paste: return EditCommand(command, target);
    case C::ViewToolbar:
    case C::ViewStatusBar:
    case C::ViewInstructionBar:
    case C::ViewProjectBar:
    case C::ViewOutputBar: {
        bool* visible = BarOf(frame, command);
        *visible = !*visible;
        frame.host().Repaint();
        return CommandOutcome::Done;
    }
    case C::ZoomIn: return Did(ladder->ZoomIn());
    case C::ZoomOut: return Did(ladder->ZoomOut());
    case C::VerifyProgram: return Did(VerifyProgramCommand(frame));
    case C::MakeBinFile: return Did(MakeBinFileCommand(frame));
    case C::DownloadProgram: return Did(DownloadProgram(frame));
    case C::DeleteModuleProgram: return Did(DeleteModuleProgram(frame));
    case C::Debug: return Did(StartDebugging(frame));
    case C::StopDebugging: frame.online().StopDebugging(); return CommandOutcome::Done;
    case C::ToggleDebug: ToggleDebug(frame); return CommandOutcome::Done;
    case C::ProgramMode: frame.online().SetProgramMode(); return CommandOutcome::Done;
    case C::RunMode: frame.online().SetRunMode(); return CommandOutcome::Done;
    case C::ControllerProperties: return Did(ChangeControllerProperties(frame));
    case C::Delete: return Did(DeleteSelection(*ladder));
    case C::AddRung: return Did(InsertRung(*ladder));
    case C::ToggleBit:
        if (target.debugViewFocused)
            return Did(ToggleVariable(frame, target.debugViewUnit, target.debugViewSelection));
        return Did(ToggleBit(frame, ladder->unit(), ladder->selected));
    case C::NonVolatile: return Did(ToggleNonVolatile(frame, target.tagList, *target.tag));
    case C::Import: return Did(OnImport(frame).ran);
    case C::Export: {
        const ExportChoice choice = *ExportOf(frame, target);
        return Did(ExportComponent(frame, choice.subject, choice.unit));
    }
    case C::DeleteComponent: return Did(DeleteComponent(frame, *ComponentOf(frame, target)));
    case C::HelpTopics: return Did(OpenHelpTopics(frame));
    case C::Print:
    case C::PrintPreview:
    case C::PrintSetup:
    case C::Find:
    case C::DownloadProgramToModules:
    case C::EditElement:
    case C::EditRungComment:
    case C::WriteValue:
    case C::AddComponent:
    case C::RunTests:
    case C::ChooseTestFiles:
    case C::About: return CommandOutcome::FrontEnd;
    }
    return CommandOutcome::NotDone;
}

} // namespace

CommandState CommandStateOf(CMainFrame& frame, Command command, const CommandTarget& target) {
    const CommandInfo& info = CommandInfoOf(command);
    if (std::optional<CommandState> online = OnlineCommandState(frame, info.text)) {
        online->enabled = online->enabled && frame.HasProject();
        return *online;
    }
    CommandState state;
    state.enabled = Enabled(frame, command, target);
    if (const bool* visible = BarOf(frame, command)) state.checked = *visible;
    if (command == C::NonVolatile && state.enabled) state.checked = target.tag->nonVolatile != 0;
    return state;
}

CommandOutcome InvokeCommand(CMainFrame& frame, Command command, const CommandTarget& target) {
    if (!CommandStateOf(frame, command, target).enabled) return CommandOutcome::Disabled;
    if (!PassesBusyGuard(frame, command)) return CommandOutcome::Ignored;
    const bool editCommand =
        command == C::Undo || command == C::Cut || command == C::Copy || command == C::Paste;
    if (editCommand && Ladder(target) && !target.focusInView) return CommandOutcome::PassToFocus;
    if (!PassesDebugGuard(frame, command)) return CommandOutcome::Refused;
    return Run(frame, command, target);
}

} // namespace pontra
