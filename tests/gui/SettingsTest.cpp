// SPDX-License-Identifier: GPL-3.0-or-later
// What the program keeps between runs: recent files, bars, layout; and a settings file
// that is damaged or from another version.
#include <QAction>
#include <QSettings>
#include <fstream>

#include "GuiFixture.h"
#include "gui/OutputDock.h"

namespace pontra::gui {
namespace {

using Settings = GuiTest;

TEST_F(Settings, RecentFilesSurviveARestartMostRecentFirst) {
    const std::string first = MakeProject("First.clp");
    const std::string second = MakeProject("Second.clp");
    ASSERT_TRUE(window->StartUp(first));
    script.files.push_back(second);
    window->action(Command::Open)->trigger();
    Settle();
    StopWindow();

    StartWindow();
    ASSERT_TRUE(window->StartUp(""));
    EXPECT_EQ(frame().recentFiles, (std::vector<std::string>{second, first}));
    QAction* recent1 = window->action(Command::RecentFile1);
    QAction* recent2 = window->action(Command::RecentFile2);
    EXPECT_TRUE(recent1->isVisible() && recent1->isEnabled());
    EXPECT_TRUE(recent1->text().endsWith(QString::fromStdString(second)));
    EXPECT_TRUE(recent2->text().endsWith(QString::fromStdString(first)));
    EXPECT_FALSE(window->action(Command::RecentFile3)->isVisible());

    recent2->trigger();
    Settle();
    EXPECT_EQ(frame().doc().pathName, first);
}

TEST_F(Settings, AHiddenBarStaysHiddenAfterARestart) {
    ASSERT_TRUE(window->StartUp(""));
    window->show();
    window->action(Command::ViewOutputBar)->trigger();
    StopWindow();

    StartWindow();
    ASSERT_TRUE(window->StartUp(""));
    window->show();
    Settle();
    EXPECT_FALSE(frame().bars.outputBar);
    EXPECT_TRUE(window->outputDock()->isHidden());
    EXPECT_FALSE(window->action(Command::ViewOutputBar)->isChecked());
}

TEST_F(Settings, ADamagedOrForeignSettingsFileStartsFromTheDefaults) {
    const std::string project = MakeProject("Line.clp");
    const std::string damaged[] = {
        std::string("\x00\xff\x13[[[=\n\x01garbage", 17),
        "[Pontra]\nSettingsVersion=99\n[Recent%20File%20List]\nFile1=" + project + "\n[BarStates]\nBarState\\Output%20Bar=0\n",
        "[Pontra]\nSettingsVersion=1\n[Window]\nState=@ByteArray(not a layout)\nGeometry=@ByteArray(\\x1\\x2)\n",
    };
    for (const std::string& content : damaged) {
        StopWindow();
        std::ofstream(settingsFile(), std::ios::binary | std::ios::trunc) << content;
        StartWindow();
        EXPECT_TRUE(window->StartUp(project));
        window->show();
        Settle();
        EXPECT_TRUE(frame().HasProject());
        EXPECT_TRUE(frame().bars.outputBar);
        EXPECT_FALSE(window->outputDock()->isHidden());
        EXPECT_EQ(frame().recentFiles, std::vector<std::string>{project});
        EXPECT_TRUE(script.shown.empty());
    }
}

}  // namespace
}  // namespace pontra::gui
