// SPDX-License-Identifier: GPL-3.0-or-later
// New, Open, Save As and Close through the real menu actions, with the file dialog and
// the questions answered from a script.
#include <QAction>
#include <filesystem>
#include <fstream>

#include "GuiFixture.h"

namespace pontra::gui {
namespace {

using DocumentCommands = GuiTest;

TEST_F(DocumentCommands, NewSaveAsCloseOpen) {
    ASSERT_TRUE(window->StartUp(""));
    window->action(Command::New)->trigger();
    Settle();
    ASSERT_TRUE(frame().HasProject());
    EXPECT_EQ(ActiveKey(), "main");
    EXPECT_EQ(window->TitleOf("main"), "Untitled - Main Routine (0.0.0.0)");

    const std::string path = dir.File("Line.clp");
    script.files.push_back(path);
    window->action(Command::SaveAs)->trigger();
    Settle();
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(script.shown.back(), "file: save");
    EXPECT_EQ(frame().doc().pathName, path);
    EXPECT_TRUE(window->windowTitle().contains("Line.clp - Main Routine"));

    window->action(Command::Close)->trigger();
    Settle();
    EXPECT_FALSE(frame().HasProject());
    EXPECT_TRUE(window->OpenKeys().empty());
    EXPECT_EQ(window->windowTitle(), "Pontra");

    script.files.push_back(path);
    window->action(Command::Open)->trigger();
    Settle();
    ASSERT_TRUE(frame().HasProject());
    EXPECT_EQ(frame().doc().pathName, path);
    EXPECT_EQ(window->OpenKeys(), std::vector<std::string>{"main"});
    EXPECT_TRUE(window->action(Command::RecentFile1)->text().contains(QString::fromStdString(path)));
}

TEST_F(DocumentCommands, ClosingAModifiedProjectAsksAndCancelKeepsIt) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    frame().SetModified(true);
    window->RefreshCommandStates();
    script.answers.push_back(Host::Answer::Cancel);
    window->action(Command::Close)->trigger();
    Settle();
    EXPECT_EQ(script.shown.back(), "question: Save changes to Line.clp?");
    EXPECT_TRUE(frame().HasProject());
    EXPECT_EQ(window->OpenKeys(), std::vector<std::string>{"main"});

    script.answers.push_back(Host::Answer::No);
    window->action(Command::Close)->trigger();
    Settle();
    EXPECT_FALSE(frame().HasProject());
}

TEST_F(DocumentCommands, OpenCancelledOrFailedKeepsTheOpenProject) {
    const std::string path = MakeProject("Line.clp");
    ASSERT_TRUE(window->StartUp(path));
    script.files.push_back(std::nullopt);
    window->action(Command::Open)->trigger();
    const std::string broken = dir.File("Broken.clp");
    std::ofstream(broken, std::ios::binary) << "garbage";
    script.files.push_back(broken);
    window->action(Command::Open)->trigger();
    Settle();
    EXPECT_TRUE(script.shown.back().starts_with("message: Can't open the project file"));
    EXPECT_EQ(frame().doc().pathName, path);
    EXPECT_EQ(window->OpenKeys(), std::vector<std::string>{"main"});
}

TEST_F(DocumentCommands, TheMainWindowDoesNotCloseDuringADownload) {
    ASSERT_TRUE(window->StartUp(MakeProject("Line.clp")));
    window->show();
    frame().downloadInProgress = true;
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    frame().downloadInProgress = false;
    EXPECT_TRUE(window->close());
}

}  // namespace
}  // namespace pontra::gui
