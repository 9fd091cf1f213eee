// SPDX-License-Identifier: GPL-3.0-or-later
// Every menu and toolbar command shows the core's enabled and checked state, in each
// state a project can be in (greyed too while a download runs, when the core would
// ignore it then).
#include <QAction>

#include "GuiFixture.h"
#include "gui/OutputDock.h"
#include "shell/CommandGuards.h"
#include "shell/CommandTable.h"

namespace pontra::gui {
namespace {

using CommandStates = GuiTest;

struct ProjectState {
    const char* name;
    bool project;
    int debugMode;
    bool downloading;
};

void ExpectActionsMatchTheCore(MainWindow& window, const char* state) {
    window.RefreshCommandStates();
    const CommandTarget target = window.Target();
    int checked = 0;
    for (const CommandInfo& info : CommandTable()) {
        QAction* action = window.action(info.command);
        if (!action) continue;
        const CommandState core = CommandStateOf(window.frame(), info.command, target);
        // What a running download would ignore is greyed until it ends.
        const bool enabled = core.enabled && PassesBusyGuard(window.frame(), info.command);
        EXPECT_EQ(action->isEnabled(), enabled) << state << ": " << info.text;
        if (action->isCheckable()) {
            EXPECT_EQ(action->isChecked(), core.checked) << state << ": " << info.text;
        }
        ++checked;
    }
    EXPECT_GT(checked, 30) << "the menus offer the command table";
}

TEST_F(CommandStates, MatchTheCoreInEveryProjectState) {
    const std::string path = MakeProject("Line.clp");
    const ProjectState states[] = {
        {"no project", false, 0, false},
        {"offline", true, 0, false},
        {"online", true, 1, false},
        {"downloading", true, 0, true},
    };
    for (const ProjectState& state : states) {
        if (state.project && !frame().HasProject()) {
            ASSERT_TRUE(window->StartUp(path));
        }
        if (!state.project) {
            ASSERT_TRUE(window->StartUp(""));
        }
        frame().debugMode = state.debugMode;
        frame().downloadInProgress = state.downloading;
        ExpectActionsMatchTheCore(*window, state.name);
        frame().debugMode = 0;
        frame().downloadInProgress = false;
    }
}

TEST_F(CommandStates, FollowTheStateAsItChanges) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    EXPECT_FALSE(window->action(Command::Save)->isEnabled());
    EXPECT_TRUE(window->action(Command::DownloadProgram)->isEnabled());
    frame().SetModified(true);
    window->RefreshCommandStates();
    EXPECT_TRUE(window->action(Command::Save)->isEnabled());
    frame().debugMode = 1;
    window->RefreshCommandStates();
    EXPECT_FALSE(window->action(Command::DownloadProgram)->isEnabled());
    EXPECT_FALSE(window->action(Command::ControllerProperties)->isEnabled());
    frame().debugMode = 0;
}

TEST_F(CommandStates, ViewCommandsToggleTheirBarsAndShowTheCheckMark) {
    ASSERT_TRUE(window->StartUp(""));
    window->show();
    Settle();
    QAction* outputBar = window->action(Command::ViewOutputBar);
    EXPECT_TRUE(outputBar->isChecked());
    outputBar->trigger();
    EXPECT_FALSE(frame().bars.outputBar);
    EXPECT_TRUE(window->outputDock()->isHidden());
    EXPECT_FALSE(outputBar->isChecked());
    outputBar->trigger();
    EXPECT_FALSE(window->outputDock()->isHidden());
    EXPECT_TRUE(outputBar->isChecked());
}

}  // namespace
}  // namespace pontra::gui
