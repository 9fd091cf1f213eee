// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandTable.h"

#include "model/InstructionBar.h"

namespace pontra {

namespace {

using C = Command;

constexpr uint32_t kLadderMenus = kElementMenu | kRungMenu | kBranchMenu;
constexpr uint32_t kClipboardPlaces = kEditMenu | kToolbar | kLadderMenus;

// clang-format off
constexpr CommandInfo kTable[] = {
    {C::New, "New", kFileMenu | kToolbar, {"Ctrl+N"}, "NewDocument"},
    {C::Open, "Open...", kFileMenu | kToolbar, {"Ctrl+O"}, "OpenDocument"},
    {C::Close, "Close", kFileMenu, {}, "CloseDocument"},
    {C::Save, "Save", kFileMenu | kToolbar, {"Ctrl+S"}, "SaveDocument"},
    {C::SaveAs, "Save As...", kFileMenu, {}, "SaveDocumentAs"},
    {C::Print, "Print...", kFileMenu, {"Ctrl+P"}, ""},
    {C::PrintPreview, "Print Preview", kFileMenu, {}, ""},
    {C::PrintSetup, "Print Setup...", kFileMenu, {}, ""},
    {C::RecentFile1, "Recent File 1", kFileMenu, {}, "OpenDocument"},
    {C::RecentFile2, "Recent File 2", kFileMenu, {}, "OpenDocument"},
    {C::RecentFile3, "Recent File 3", kFileMenu, {}, "OpenDocument"},
    {C::RecentFile4, "Recent File 4", kFileMenu, {}, "OpenDocument"},
    {C::Exit, "Exit", kFileMenu, {}, "CloseMainWindow"},
    {C::Undo, "Undo", kEditMenu, {"Ctrl+Z", "Alt+Backspace"}, "LadderView::Undo, StEditor::Undo"},
    {C::Cut, "Cut", kClipboardPlaces, {"Ctrl+X", "Shift+Delete"}, "LadderCut, StEditor::Cut"},
    {C::Copy, "Copy", kClipboardPlaces, {"Ctrl+C", "Ctrl+Insert"}, "LadderCopy, StEditor::Copy"},
    {C::Paste, "Paste", kClipboardPlaces, {"Ctrl+V", "Shift+Insert"}, "LadderPaste, StEditor::Paste"},
    {C::Find, "Find...", kEditMenu, {"Ctrl+F"}, "FindNext, StEditor::FindNext"},
    {C::ViewToolbar, "Toolbar", kViewMenu, {}, "ToggleBar"},
    {C::ViewStatusBar, "Status Bar", kViewMenu, {}, "ToggleBar"},
    {C::ViewInstructionBar, "Ladder Instruction Bar", kViewMenu, {}, "ToggleBar"},
    {C::ViewProjectBar, "Project Bar", kViewMenu, {}, "ToggleBar"},
    {C::ViewOutputBar, "Output Bar", kViewMenu, {}, "ToggleBar"},
    {C::ZoomIn, "Zoom In", kViewMenu | kToolbar, {}, "LadderView::ZoomIn"},
    {C::ZoomOut, "Zoom Out", kViewMenu | kToolbar, {}, "LadderView::ZoomOut"},
    {C::VerifyProgram, "Verify Program", kControllerMenu | kToolbar, {}, "VerifyProgramCommand"},
    {C::MakeBinFile, "Make .bin File", kControllerMenu | kToolbar, {}, "MakeBinFileCommand"},
    {C::DownloadProgram, "Download Program", kControllerMenu | kToolbar, {}, "DownloadProgram"},
    {C::DownloadProgramToModules, "Download Program to Modules...", kControllerMenu | kToolbar, {},
     "ModuleListDialog::DownloadToAllModules"},
    {C::DeleteModuleProgram, "Delete Module Program", kControllerMenu, {}, "DeleteModuleProgram"},
    {C::Debug, "Debug", kControllerMenu, {}, "StartDebugging"},
    {C::StopDebugging, "Stop Debugging", kControllerMenu, {}, "OnlineSession::StopDebugging"},
    {C::ToggleDebug, "Toggle Debug/Stop Debugging", kToolbar, {}, "ToggleDebug"},
    {C::ProgramMode, "Program Mode", kControllerMenu | kToolbar, {}, "OnlineSession::SetProgramMode"},
    {C::RunMode, "Run Mode", kControllerMenu | kToolbar, {}, "OnlineSession::SetRunMode"},
    {C::ControllerProperties, "Controller Properties...", kControllerMenu | kToolbar, {},
     "ChangeControllerProperties"},
    // The project's scenario tests, in process on a simulated module; the front end runs
    // them off its own thread and lists the results.
    {C::RunTests, "Run Tests", kControllerMenu, {"Ctrl+Shift+T"}, "PrepareTestRun, ScenarioSuite::Run"},
    {C::ChooseTestFiles, "Choose Test Files...", kControllerMenu, {}, "ChooseScenarioFiles"},
    {C::EditElement, "Edit Element", kElementMenu, {"Enter"}, "EditOperand"},
    {C::Delete, "Delete", kLadderMenus, {"Delete"}, "DeleteSelection"},
    {C::AddRung, "Add", kRungMenu, {}, "InsertRung"},
    {C::EditRungComment, "Edit Rung Comment", kRungMenu, {}, "EditRungComment"},
    {C::ToggleBit, "Toggle Bit", kElementMenu | kDebugView, {"Ctrl+T"}, "ToggleBit, ToggleVariable"},
    {C::WriteValue, "Write Value", kDebugView, {}, "WriteTagDialog::Ok"},
    {C::NonVolatile, "Non-volatile", kTagMenu, {}, "ToggleNonVolatile"},
    {C::Import, "Import...", kProjectBarMenus, {}, "OnImport"},
    {C::Export, "Export...", kProjectBarMenus, {}, "ExportComponent"},
    {C::AddComponent, "Add", kProjectBarMenus, {}, "AddComponent"},
    {C::DeleteComponent, "Delete", kProjectBarMenus, {}, "DeleteComponent"},
    {C::HelpTopics, "Help Topics", kHelpMenu, {"F1"}, "OpenHelpTopics"},
    {C::About, "About", kHelpMenu, {}, ""},
};
// clang-format on

// The table is indexed by command: each entry sits at its command's number.
constexpr bool InCommandOrder() {
    for (size_t i = 0; i < std::size(kTable); ++i)
        if (static_cast<size_t>(kTable[i].command) != i) return false;
    return true;
}
static_assert(InCommandOrder());
static_assert(std::size(kTable) == static_cast<size_t>(Command::About) + 1);

} // namespace

std::span<const CommandInfo> CommandTable() {
    return kTable;
}

const CommandInfo& CommandInfoOf(Command command) {
    return kTable[static_cast<size_t>(command)];
}

std::optional<Command> CommandForAccelerator(std::string_view accelerator) {
    if (accelerator.empty()) return std::nullopt;
    for (const CommandInfo& info : kTable)
        for (std::string_view key : info.accelerators)
            if (key == accelerator) return info.command;
    return std::nullopt;
}

std::vector<std::string> InstructionBarTabNames() {
    std::vector<std::string> names;
    for (const BarTab& tab : InstructionBar("Vessa")) names.push_back(tab.title);
    return names;
}

std::string_view DocumentString(DocumentStringField field) {
    std::string_view rest = kDocumentString;
    for (int i = 0; i < static_cast<int>(field); ++i) {
        const size_t end = rest.find('\n');
        if (end == std::string_view::npos) return {};
        rest.remove_prefix(end + 1);
    }
    return rest.substr(0, rest.find('\n'));
}

} // namespace pontra
