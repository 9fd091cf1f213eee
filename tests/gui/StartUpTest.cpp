// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up with and without a project on the command line, and with one that fails.
#include <QAction>
#include <fstream>

#include "GuiFixture.h"
#include "host/ScriptedHost.h"

namespace pontra::gui {
namespace {

using StartUp = GuiTest;

TEST_F(StartUp, WithoutAFileNoProjectIsOpen) {
    EXPECT_TRUE(window->StartUp(""));
    EXPECT_FALSE(frame().HasProject());
    EXPECT_TRUE(window->OpenKeys().empty());
    EXPECT_EQ(window->windowTitle(), "Pontra");
    EXPECT_FALSE(window->action(Command::Save)->isEnabled());
    EXPECT_FALSE(window->action(Command::Close)->isEnabled());
    EXPECT_TRUE(window->action(Command::Open)->isEnabled());
    EXPECT_TRUE(script.shown.empty());
}

TEST_F(StartUp, AFileOpensWithItsMainRoutineWindow) {
    const std::string path = MakeProject("Line.clp");
    EXPECT_TRUE(window->StartUp(path));
    Settle();
    ASSERT_TRUE(frame().HasProject());
    EXPECT_EQ(frame().doc().pathName, path);
    EXPECT_EQ(ActiveKey(), "main");
    EXPECT_EQ(window->TitleOf("main"), "Line.clp - Main Routine (0.0.0.0)");
    EXPECT_TRUE(window->windowTitle().contains("Line.clp - Main Routine"));
    EXPECT_TRUE(script.shown.empty());
}

TEST_F(StartUp, AFileThatCannotBeReadLeavesNoProjectAndSaysWhy) {
    const std::string path = dir.File("Broken.clp");
    std::ofstream(path, std::ios::binary) << "not a project";
    EXPECT_FALSE(window->StartUp(path));
    EXPECT_FALSE(frame().HasProject());
    EXPECT_TRUE(window->OpenKeys().empty());
    ASSERT_EQ(script.shown.size(), 1u);
    EXPECT_TRUE(script.shown[0].starts_with("message: Can't open the project file '" + path + "'!"));
}

TEST_F(StartUp, AnExceptionOutOfACommandIsShownAndTheProjectStays) {
    const std::string path = MakeProject("Line.clp");
    ASSERT_TRUE(window->StartUp(path));
    frame().commitPendingEdits = [] { throw std::runtime_error("editor fault"); };
    frame().SetModified(true);
    EXPECT_EQ(window->Run(Command::Save), CommandOutcome::NotDone);
    ASSERT_FALSE(script.shown.empty());
    EXPECT_TRUE(script.shown.back().find("editor fault") != std::string::npos);
    EXPECT_TRUE(frame().HasProject());
    EXPECT_EQ(frame().doc().pathName, path);
    frame().commitPendingEdits = {};
}

}  // namespace
}  // namespace pontra::gui
