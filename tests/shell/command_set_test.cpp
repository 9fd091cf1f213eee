// SPDX-License-Identifier: GPL-3.0-or-later
// The command set: the table's accelerators and names, the enabling rules, the busy and
// debug-mode guards as every route applies them, start-up, closing, recent files, bars
// and help.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "host/ScriptedHost.h"
#include "model/Project.h"
#include "shell/AppShell.h"
#include "shell/CommandGuards.h"
#include "shell/CommandSet.h"
#include "shell/DocumentLifecycle.h"
#include "shell/LadderEditing.h"
#include "shell/LadderView.h"
#include "shell/MainFrame.h"
#include "shell/ProjectTree.h"
#include "shell/StEditor.h"
#include "shell/TagConfiguration.h"
#include "shell/TagConnection.h"
#include "shell/TagRules.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

using C = Command;
constexpr const char* kRefusal = "This operation can't be use in Debug mode!";

TreeItem Item(TreeRole role, const std::string& unit = {}) {
    TreeItem item;
    item.text = unit;
    item.role = role;
    item.unit = unit;
    return item;
}

class CommandSetTest : public ::testing::Test {
public: // the case tables' setters reach the fixture
    CommandSetTest() {
        frame.SetProject(NewProjectDocument());
        view = std::make_unique<LadderView>(frame, nullptr);
        target.ladder = view.get();
    }

    // A saved project file with one program tag.
    std::string SavedProject(const std::string& name) {
        ScriptedHost otherHost;
        CMainFrame other{otherHost};
        other.SetProject(NewProjectDocument());
        other.doc().tags.push_back(std::make_unique<CTag>("Motor", "BOOL"));
        const std::string path = dir.File(name);
        EXPECT_TRUE(SaveDocumentAs(other, path));
        return path;
    }

    CommandState State(Command command) { return CommandStateOf(frame, command, target); }

    TempDir dir;
    ScriptedHost host;
    CMainFrame frame{host};
    std::unique_ptr<LadderView> view;
    CommandTarget target;
};

TEST(CommandTable, AcceleratorsReachTheirCommandsAndNoKeyIsBoundTwice) {
    const std::pair<const char*, Command> keys[] = {
        {"Ctrl+N", C::New},    {"Ctrl+O", C::Open},        {"Ctrl+S", C::Save},   {"Ctrl+P", C::Print},
        {"Ctrl+Z", C::Undo},   {"Alt+Backspace", C::Undo}, {"Ctrl+X", C::Cut},    {"Shift+Delete", C::Cut},
        {"Ctrl+C", C::Copy},   {"Ctrl+Insert", C::Copy},   {"Ctrl+V", C::Paste},  {"Shift+Insert", C::Paste},
        {"Ctrl+F", C::Find},   {"Enter", C::EditElement},  {"Delete", C::Delete}, {"Ctrl+T", C::ToggleBit},
        {"F1", C::HelpTopics}, {"Ctrl+Shift+T", C::RunTests},
    };
    for (const auto& [key, command] : keys) EXPECT_EQ(CommandForAccelerator(key), command) << key;
    std::multiset<std::string_view> bound;
    for (const CommandInfo& info : CommandTable())
        for (std::string_view key : info.accelerators)
            if (!key.empty()) bound.insert(key);
    EXPECT_EQ(bound.size(), std::size(keys));
    for (std::string_view key : bound) EXPECT_EQ(bound.count(key), 1u) << key;
    EXPECT_FALSE(CommandForAccelerator(""));
    EXPECT_FALSE(CommandForAccelerator("Ctrl+Q"));
}

TEST(CommandTable, EveryOnlineRuleNamesACommandOfTheTable) {
    // The online rules are looked up by name; a name that drifted would leave a command
    // without its rule.
    for (std::string_view name : kOnlineCommands) {
        bool found = false;
        for (const CommandInfo& info : CommandTable()) found = found || info.text == name;
        EXPECT_TRUE(found) << name;
    }
}

TEST(CommandGuards, LookingAndMonitoringStayAvailable) {
    for (Command c : {C::Find, C::ZoomIn, C::ZoomOut, C::StopDebugging, C::ProgramMode, C::RunMode,
                      C::ToggleBit, C::WriteValue, C::HelpTopics, C::About, C::ViewToolbar, C::Export}) {
        EXPECT_FALSE(IsBusyGuarded(c)) << CommandInfoOf(c).text;
        EXPECT_FALSE(IsDebugGuarded(c)) << CommandInfoOf(c).text;
    }
    EXPECT_FALSE(IsDebugGuarded(EditAction::LadderInput)); // moving the selection changes nothing
}

TEST_F(CommandSetTest, EnablingFollowsTheFrameState) {
    struct Case {
        const char* what;
        std::function<void(CommandSetTest&)> set;
        Command command;
        bool enabled, checked;
    };
    auto online = [](CommandSetTest& t) { t.frame.debugMode = 1; };
    auto debugViewFocus = [](CommandSetTest& t) { t.target.debugViewFocused = true; };
    auto noProject = [](CommandSetTest& t) { t.frame.CloseProject(); };
    auto modifiedInDebugView = [](CommandSetTest& t) {
        t.frame.SetModified(true);
        t.target.debugViewFocused = true;
    };
    auto nothing = [](CommandSetTest&) {};
    auto oneRecent = [](CommandSetTest& t) { t.frame.recentFiles = {"/p/A.clp"}; };
    // clang-format off
    const Case cases[] = {
        {"unmodified: Save off", nothing, C::Save, false, false},
        {"modified: Save on", [](auto& t) { t.frame.SetModified(true); }, C::Save, true, false},
        {"no undo step", nothing, C::Undo, false, false},
        {"an undo step", [](auto& t) { t.view->SaveUndo(); }, C::Undo, true, false},
        {"no view: no Undo", [](auto& t) { t.target.ladder = nullptr; }, C::Undo, false, false},
        {"zoom 20", [](auto& t) { t.view->zoom = 20; }, C::ZoomOut, true, false},
        {"zoom 10", [](auto& t) { t.view->zoom = 10; }, C::ZoomOut, false, false},
        {"zoom at the top", [](auto& t) { t.view->zoom = LadderView::kMaxZoom; }, C::ZoomIn, false, false},
        {"bar shown", nothing, C::ViewOutputBar, true, true},
        {"bar hidden", [](auto& t) { t.frame.bars.outputBar = false; }, C::ViewOutputBar, true, false},
        {"debug view focused: New", debugViewFocus, C::New, false, false},
        {"debug view focused: Save As", debugViewFocus, C::SaveAs, false, false},
        {"debug view focused: Save", modifiedInDebugView, C::Save, false, false},
        {"debug view focused: Verify", debugViewFocus, C::VerifyProgram, true, false},
        {"online: Download Program", online, C::DownloadProgram, false, false},
        {"online: Make .bin File", online, C::MakeBinFile, false, false},
        {"online: Controller Properties", online, C::ControllerProperties, false, false},
        {"online: Stop Debugging", online, C::StopDebugging, true, false},
        {"online: toggle checked", online, C::ToggleDebug, true, true},
        {"online: Paste still offered", online, C::Paste, true, false},
        {"offline: Toggle Bit", nothing, C::ToggleBit, false, false},
        {"online: Toggle Bit", online, C::ToggleBit, true, false},
        {"no recent file", nothing, C::RecentFile1, false, false},
        {"one recent file", oneRecent, C::RecentFile1, true, false},
        {"no second recent file", oneRecent, C::RecentFile2, false, false},
        {"no project: Save As", noProject, C::SaveAs, false, false},
        {"no project: Verify", noProject, C::VerifyProgram, false, false},
        {"no project: Open", noProject, C::Open, true, false},
        {"a project: Run Tests", nothing, C::RunTests, true, false},
        {"online: Run Tests (in process)", online, C::RunTests, true, false},
        {"no project: Run Tests", noProject, C::RunTests, false, false},
        {"a run going: no second", [](auto& t) { t.frame.testsRunning = true; }, C::RunTests, false, false},
        {"a download going: Run Tests", [](auto& t) { t.frame.downloadInProgress = true; }, C::RunTests, false, false},
        {"a project: Choose Test Files", nothing, C::ChooseTestFiles, true, false},
        {"a run going: Choose Test Files", [](auto& t) { t.frame.testsRunning = true; }, C::ChooseTestFiles, false, false},
        {"a run going: Save", [](auto& t) { t.frame.testsRunning = true; t.frame.SetModified(true); }, C::Save, true, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        CommandSetTest& t = *this;
        t.frame.SetProject(NewProjectDocument());
        t.view = std::make_unique<LadderView>(t.frame, nullptr);
        t.target = CommandTarget{};
        t.target.ladder = t.view.get();
        t.frame.debugMode = 0;
        t.frame.testsRunning = false;
        t.frame.downloadInProgress = false;
        t.frame.bars = BarVisibility{};
        t.frame.recentFiles.clear();
        c.set(t);
        const CommandState state = State(c.command);
        EXPECT_EQ(state.enabled, c.enabled) << c.what;
        EXPECT_EQ(state.checked, c.checked) << c.what;
    }
}

TEST_F(CommandSetTest, DisabledCommandsDoNothingEvenOnline) {
    frame.debugMode = 1;
    for (Command c : {C::DownloadProgram, C::MakeBinFile, C::ControllerProperties, C::DeleteModuleProgram,
                      C::DownloadProgramToModules, C::Debug})
        EXPECT_EQ(InvokeCommand(frame, c, target), CommandOutcome::Disabled) << CommandInfoOf(c).text;
    EXPECT_TRUE(host.log.empty());
}

TEST_F(CommandSetTest, PasteWhileDebuggingIsRefusedAndChangesNothing) {
    ASSERT_TRUE(InsertInstruction(*view, 2));
    ASSERT_EQ(InvokeCommand(frame, C::Copy, target), CommandOutcome::Done);
    frame.SetModified(false);
    const size_t elements = frame.doc().rungs[0]->elements.size();
    frame.debugMode = 1;
    EXPECT_EQ(InvokeCommand(frame, C::Paste, target), CommandOutcome::Refused);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{kRefusal});
    EXPECT_FALSE(frame.doc().modified);
    EXPECT_EQ(frame.doc().rungs[0]->elements.size(), elements);
    // An in-place editor that has the focus pastes into itself, online or not.
    target.focusInView = false;
    EXPECT_EQ(InvokeCommand(frame, C::Paste, target), CommandOutcome::PassToFocus);
    EXPECT_EQ(host.Messages().size(), 1u);
}

// Every command the debug-mode guard covers, reached through InvokeCommand while it is
// enabled online: one refusal each, and the project, its file and the windows unchanged.
TEST_F(CommandSetTest, DebugModeGuardRefusesEveryEditingCommand) {
    frame.recentFiles = {SavedProject("R.clp")};
    view->SaveUndo();
    frame.SetModified(true); // Save must be enabled to be refused
    CTag* tag = CreateTag(frame, TagListSubject::Main(), NewTagRequest{"Valve", "DINT"});
    ASSERT_TRUE(tag);
    ASSERT_TRUE(AddComponent(frame, AddComponentRequest{"Block"}));
    const TreeItem blockItem = Item(TreeRole::FunctionBlock, "Block");
    const TreeItem blocksItem = Item(TreeRole::FunctionBlocks);
    const size_t rungElements = frame.doc().rungs[0]->elements.size();
    const size_t units = frame.units().size();
    const CProject* project = &frame.project();
    host.log.clear();
    host.windows.clear();

    frame.debugMode = 1;
    for (Command c : {C::New, C::Open, C::RecentFile1, C::Close, C::Save, C::SaveAs, C::Undo, C::Cut, C::Copy,
                      C::Paste, C::EditElement, C::Delete, C::AddRung, C::EditRungComment, C::NonVolatile,
                      C::Import, C::AddComponent, C::DeleteComponent}) {
        target.tag = tag;
        target.treeItem = c == C::AddComponent ? &blocksItem : &blockItem;
        host.log.clear();
        EXPECT_EQ(InvokeCommand(frame, c, target), CommandOutcome::Refused) << CommandInfoOf(c).text;
        EXPECT_EQ(host.log, std::vector<std::string>{"message: " + std::string(kRefusal)})
            << CommandInfoOf(c).text;
    }
    EXPECT_EQ(&frame.project(), project);
    EXPECT_EQ(frame.doc().rungs[0]->elements.size(), rungElements);
    EXPECT_EQ(frame.units().size(), units);
    EXPECT_EQ(tag->nonVolatile, 0);
    EXPECT_TRUE(view->undo.CanUndo());
    EXPECT_TRUE(host.windows.empty());
    EXPECT_TRUE(host.clipboard.empty());
}

// The tag lists, their dialogs and the project tree change the project as the ladder
// editor does, and are refused online the same way.
TEST_F(CommandSetTest, TagAndTreeEditsAreRefusedOnline) {
    CUnit* block = AddComponent(frame, AddComponentRequest{"Block"});
    ASSERT_TRUE(block);
    CTag* tag = CreateTag(frame, TagListSubject::Main(), NewTagRequest{"Speed", "DINT"});
    ASSERT_TRUE(tag);
    CTag* slot = frame.project().FindControllerTag("Tag1");
    ASSERT_TRUE(slot);
    CTag member("Limit", "DINT");
    member.configMode = kConfigRange;
    CTag choice("Mode", "DINT");
    choice.configMode = kConfigChoice;
    frame.SetModified(false);
    frame.debugMode = 1;
    host.log.clear();
    const auto main = TagListSubject::Main();
    const TreeItem blockItem = Item(TreeRole::FunctionBlock, "Block");
    const TreeItem major = Item(TreeRole::MajorNumber);
    const std::pair<const char*, std::function<bool()>> edits[] = {
        {"new tag",
         [&] {
             return CreateTag(frame, main, NewTagRequest{"B", "BOOL"}) != nullptr;
         }},
        {"rename tag", [&] { return EditTagName(frame, main, *tag, "Rate"); }},
        {"retype tag", [&] { return EditTagDataType(frame, main, *tag, "INT"); }},
        {"describe tag", [&] { return EditTagDescription(frame, main, *tag, "line speed"); }},
        {"delete tag", [&] { return DeleteTag(frame, main, *tag); }},
        {"non-volatile", [&] { return ToggleNonVolatile(frame, main, *tag); }},
        {"connection", [&] { return ConnectionDialog(*slot).Apply(frame, *slot); }},
        {"limits",
         [&] {
             return EditNumberLimits(frame, member, NumberLimits{"1", "5"});
         }},
        {"selection", [&] { return SelectionDialog(choice).Apply(frame, choice); }},
        {"add component", [&] { return AddComponent(frame, AddComponentRequest{"Other"}) != nullptr; }},
        {"rename component", [&] { return RenameItem(frame, blockItem, "Renamed"); }},
        {"version", [&] { return RenameItem(frame, major, "7"); }},
        {"delete component", [&] { return DeleteComponent(frame, *block); }},
    };
    for (const auto& [what, edit] : edits) {
        host.log.clear();
        EXPECT_FALSE(edit()) << what;
        EXPECT_EQ(host.log, std::vector<std::string>{"message: " + std::string(kRefusal)}) << what;
    }
    EXPECT_FALSE(frame.doc().modified);
    EXPECT_EQ(tag->name, "Speed");
    EXPECT_EQ(frame.doc().version.major, 1);
    EXPECT_EQ(frame.project().FindUnit("Block"), block);
}

TEST_F(CommandSetTest, BusyGuardIgnoresSilently) {
    view->SaveUndo();
    frame.SetModified(true);
    frame.downloadInProgress = true;
    for (Command c : {C::Save, C::SaveAs, C::Undo, C::Cut, C::Copy, C::Paste, C::Delete, C::AddRung,
                      C::VerifyProgram, C::MakeBinFile, C::DownloadProgram, C::DeleteModuleProgram, C::Debug,
                      C::ToggleDebug, C::ControllerProperties, C::EditElement, C::Exit})
        EXPECT_EQ(InvokeCommand(frame, c, target), CommandOutcome::Ignored) << CommandInfoOf(c).text;
    // Closing the project, and with it New and Open, waits for the download too.
    EXPECT_EQ(InvokeCommand(frame, C::New, target), CommandOutcome::NotDone);
    EXPECT_FALSE(MoveSelection(*view, MoveKey::End));
    EXPECT_TRUE(host.log.empty());
    EXPECT_TRUE(view->undo.CanUndo());
    EXPECT_TRUE(host.settings.empty()); // no bar layout saved: the window stayed open
}

TEST_F(CommandSetTest, StartUpOpensTheCommandLineFileOrNothing) {
    const std::string path = SavedProject("Line.clp");
    {
        ScriptedHost h;
        CMainFrame f{h};
        EXPECT_TRUE(StartUp(f, path));
        ASSERT_TRUE(f.HasProject());
        EXPECT_EQ(f.doc().pathName, path);
        EXPECT_EQ(f.doc().tags.size(), 1u);
        EXPECT_EQ(f.recentFiles, std::vector<std::string>{path});
        EXPECT_EQ(h.settings["Recent File List\\File1"], path);
    }
    {
        ScriptedHost h;
        CMainFrame f{h};
        EXPECT_TRUE(StartUp(f, ""));
        EXPECT_FALSE(f.HasProject());
        EXPECT_TRUE(h.log.empty());
        EXPECT_EQ(CommandStateOf(f, C::Save).enabled, false);
        EXPECT_EQ(InvokeCommand(f, C::Close), CommandOutcome::Disabled);
        EXPECT_EQ(CommandStateOf(f, C::New).enabled, true);
    }
    {
        ScriptedHost h;
        CMainFrame f{h};
        EXPECT_FALSE(StartUp(f, dir.File("Missing.clp")));
        EXPECT_FALSE(f.HasProject());
        EXPECT_EQ(h.Messages().size(), 1u);
        EXPECT_TRUE(f.recentFiles.empty());
    }
}

TEST_F(CommandSetTest, CloseLeavesNoProjectAndClosesItsWindows) {
    ASSERT_TRUE(AddComponent(frame, AddComponentRequest{"Block"}));
    frame.SetModified(false);
    host.windows.clear();
    EXPECT_EQ(InvokeCommand(frame, C::Close, target), CommandOutcome::Done);
    EXPECT_FALSE(frame.HasProject());
    EXPECT_EQ(host.windows,
              (std::vector<std::string>{"close: fb:Block:routine", "close: fb:Block:tags", "close: main",
                                        "close: tags", "close: type:Configuration"}));
    EXPECT_EQ(InvokeCommand(frame, C::New, {}), CommandOutcome::Done);
    EXPECT_TRUE(frame.HasProject());
}

TEST_F(CommandSetTest, BarsToggleAndSurviveARestart) {
    EXPECT_EQ(InvokeCommand(frame, C::ViewProjectBar, target), CommandOutcome::Done);
    // Exit first offers to save; Cancel keeps the window and writes no settings.
    frame.SetModified(true);
    host.threeWayAnswers = {Host::Answer::Cancel, Host::Answer::No};
    EXPECT_EQ(InvokeCommand(frame, C::Exit, target), CommandOutcome::NotDone);
    EXPECT_TRUE(host.settings.empty());
    EXPECT_FALSE(State(C::ViewProjectBar).checked);
    EXPECT_TRUE(State(C::ViewToolbar).checked);
    ASSERT_EQ(InvokeCommand(frame, C::Exit, target), CommandOutcome::Done);
    EXPECT_EQ(host.settings["BarStates\\BarState\\Project Bar"], "0");
    EXPECT_EQ(host.settings["BarStates\\BarState\\Toolbar"], "1");

    host.settings["BarStates\\BarState\\Output Bar"] = "garbage";
    CMainFrame next{host};
    StartUp(next, "");
    EXPECT_FALSE(next.bars.projectBar);
    EXPECT_TRUE(next.bars.toolbar);
    EXPECT_TRUE(next.bars.outputBar); // a damaged value keeps the default
}

TEST_F(CommandSetTest, RecentFilesKeepFourMostRecentFirst) {
    std::vector<std::string> paths;
    for (const char* name : {"A.clp", "B.clp", "C.clp", "D.clp", "E.clp"})
        paths.push_back(SavedProject(name));
    host.settings.clear();
    for (const std::string& path : paths) ASSERT_TRUE(OpenDocument(frame, path));
    ASSERT_TRUE(OpenDocument(frame, paths[2])); // already listed: moves to the top
    EXPECT_EQ(frame.recentFiles, (std::vector<std::string>{paths[2], paths[4], paths[3], paths[1]}));
    EXPECT_EQ(host.settings["Recent File List\\File4"], paths[1]);

    CMainFrame next{host};
    LoadRecentFiles(next);
    EXPECT_EQ(next.recentFiles, frame.recentFiles);

    // The second entry's file is gone: opening it reports that and drops the entry.
    std::filesystem::remove(paths[4]);
    host.log.clear();
    EXPECT_EQ(InvokeCommand(frame, C::RecentFile2, target), CommandOutcome::NotDone);
    EXPECT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(frame.recentFiles, (std::vector<std::string>{paths[2], paths[3], paths[1]}));
    EXPECT_EQ(host.settings["Recent File List\\File4"], "");
    EXPECT_EQ(InvokeCommand(frame, C::RecentFile3, target), CommandOutcome::Done);
    EXPECT_EQ(frame.doc().pathName, paths[1]);
}

TEST_F(CommandSetTest, HelpTopicsOpensThePdfBesideTheProgram) {
    EXPECT_EQ(InvokeCommand(frame, C::HelpTopics), CommandOutcome::Done);
    EXPECT_EQ(host.viewed, std::vector<std::string>{host.ProgramFolder() + "/Pontra.pdf"});
    host.viewerOpens = false;
    EXPECT_EQ(InvokeCommand(frame, C::HelpTopics), CommandOutcome::NotDone);
    EXPECT_EQ(host.Messages(),
              std::vector<std::string>{"Can't open the help file '" + host.viewed[1] + "'!"});
}

TEST_F(CommandSetTest, EditCommandsGoToTheActiveTextEditor) {
    auto unit = std::make_unique<CUnit>("Text", kUnitFunctionBlock, kLanguageST);
    unit->text = {"A := 1;"};
    StEditor editor(frame, *unit);
    target.text = &editor;
    EXPECT_FALSE(State(C::Paste).enabled);  // no text on the clipboard
    EXPECT_FALSE(State(C::ZoomIn).enabled); // zoom is the ladder view's
    editor.SetSelection(0, 1);
    EXPECT_EQ(InvokeCommand(frame, C::Copy, target), CommandOutcome::Done);
    EXPECT_EQ(host.clipboard[Host::kClipboardText], "A");
    EXPECT_TRUE(State(C::Paste).enabled);
    EXPECT_EQ(InvokeCommand(frame, C::Paste, target), CommandOutcome::Done);
    EXPECT_TRUE(State(C::Undo).enabled);
    frame.debugMode = 1;
    EXPECT_EQ(InvokeCommand(frame, C::Undo, target), CommandOutcome::Refused);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{kRefusal});
}

} // namespace
} // namespace pontra
