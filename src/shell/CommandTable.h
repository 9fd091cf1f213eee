// SPDX-License-Identifier: GPL-3.0-or-later
// The application's command set as data: every command with the menus and bars that
// offer it, its accelerators and the core operation that carries it out; the tabs of the
// ladder instruction bar; the document string of the project file type. Every front end
// builds its menus, bars and key bindings from this table, and asks CommandSet.h whether
// a command is enabled and what happens when it is invoked.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pontra {

enum class Command {
    New,
    Open,
    Close,
    Save,
    SaveAs,
    Print,
    PrintPreview,
    PrintSetup,
    RecentFile1,
    RecentFile2,
    RecentFile3,
    RecentFile4,
    Exit,
    Undo,
    Cut,
    Copy,
    Paste,
    Find,
    ViewToolbar,
    ViewStatusBar,
    ViewInstructionBar,
    ViewProjectBar,
    ViewOutputBar,
    ZoomIn,
    ZoomOut,
    VerifyProgram,
    MakeBinFile,
    DownloadProgram,
    DownloadProgramToModules,
    DeleteModuleProgram,
    Debug,
    StopDebugging,
    ToggleDebug,
    ProgramMode,
    RunMode,
    ControllerProperties,
    RunTests,
    ChooseTestFiles,
    EditElement,
    Delete,
    AddRung,
    EditRungComment,
    ToggleBit,
    WriteValue,
    NonVolatile,
    Import,
    Export,
    AddComponent,
    DeleteComponent,
    HelpTopics,
    About,
};

// Where a command is offered (a set of these bits).
enum Place : uint32_t {
    kFileMenu = 1u << 0,
    kEditMenu = 1u << 1,
    kViewMenu = 1u << 2,
    kControllerMenu = 1u << 3, // the "Controller/Logic" menu
    kHelpMenu = 1u << 4,
    kToolbar = 1u << 5,
    kElementMenu = 1u << 6,      // context menu of a ladder element
    kRungMenu = 1u << 7,         // context menu of a rung
    kBranchMenu = 1u << 8,       // context menu of a branch
    kDebugView = 1u << 9,        // the Structured Text debug view and its context menu
    kTagMenu = 1u << 10,         // context menu of a tag list
    kProjectBarMenus = 1u << 11, // context menus of the project bar's items
};

struct CommandInfo {
    Command command;
    std::string_view text;                        // the command's name as menus show it
    uint32_t places;                              // Place bits
    std::array<std::string_view, 2> accelerators; // "Ctrl+Z", "Alt+Backspace"; unused slots empty
    std::string_view operation;                   // the core operation(s) behind it; empty: front end only
};

// Every command, in menu order.
std::span<const CommandInfo> CommandTable();
const CommandInfo& CommandInfoOf(Command command);
// The command an accelerator ("Ctrl+V", "Shift+Insert", "F1") invokes.
std::optional<Command> CommandForAccelerator(std::string_view accelerator);
// The recent-file entry commands, first (most recent) to fourth.
constexpr std::array<Command, 4> kRecentFileCommands = {Command::RecentFile1, Command::RecentFile2,
                                                        Command::RecentFile3, Command::RecentFile4};

// The ladder instruction bar's tab titles, in order.
std::vector<std::string> InstructionBarTabNames();

// The one project file type: window title, document name, new-file name, filter text,
// extension, registry type name and type description, separated by "\n".
constexpr const char* kDocumentString =
    "\nHalden\nHalden\nCLP Files (*.clp)\n.clp\nVessa.Document\nHalden Document";
enum class DocumentStringField {
    WindowTitle,
    DocumentName,
    NewFileName,
    Filter,
    Extension,
    TypeName,
    TypeDescription
};
std::string_view DocumentString(DocumentStringField field);

} // namespace pontra
