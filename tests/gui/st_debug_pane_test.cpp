// SPDX-License-Identifier: GPL-3.0-or-later
// The debug pane beside the Structured Text editor against a soft module (pontra-sim on
// a random loopback address) running the block: out of debug mode the initial values,
// online the live values of the chosen instance after each read, structures folded
// under their line, the pane following the editor's scrolling, and Toggle Bit and
// Write Value on its lines.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QScrollBar>

#include "StWindowBench.h"
#include "gui/StDebugPane.h"
#include "gui/WriteTagDialog.h"
#include "online/OnlineBench.h"
#include "online/OnlineSession.h"

namespace pontra::test {
namespace {

// The number behind "Value = " of the pane's line for `name`; -1 when it shows none.
long ValueOf(const std::vector<std::string>& lines, const std::string& name) {
    for (const std::string& line : lines) {
        if (!line.starts_with(name + ": ")) continue;
        const size_t at = line.find("Value = ");
        if (at == std::string::npos) return -1;
        try {
            return std::stol(line.substr(at + 8));
        } catch (...) {
            return -1;
        }
    }
    return -1;
}

TEST(StDebugPane, ShowsInitialValuesThenTheLiveValuesOfTheChosenInstance) {
    OnlineBench bench;
    CProject& p = bench.project();
    CUnit& ramp = AddFunctionBlock(p, "Ramp", true);
    p.types.push_back(std::make_unique<CType>("Ramp"));
    AddTag(p, ramp.tags, "Step", "INT", kUsageInput).initialValue = "3";
    AddTag(p, ramp.tags, "Speed", "INT", kUsageOutput).initialValue = "0";
    AddTag(p, ramp.tags, "Hold", "TIMER");
    ramp.text = {"(* count up by Step every scan *)", "Speed := Speed + Step;", "IF Speed > 30000 THEN",
                 "\tSpeed := 0;", "END_IF;"};
    AddTag(p, bench.doc().tags, "R1", "Ramp");
    AddRung(bench.doc().rungs, Els(El("JFB", {"R1"})));
    ASSERT_TRUE(bench.Save());

    gui::StEditorWindow window(bench.frame, ramp);
    window.resize(900, 400);
    window.show();
    gui::StDebugPane& pane = window.debugPane();
    // Offline: the initial values, the timer folded with its members under it.
    const std::vector<std::string> offline = pane.Lines();
    ASSERT_GE(offline.size(), 4u);
    EXPECT_EQ(offline[0], "Step: INT, InitValue = 3");
    EXPECT_EQ(offline[1], "Speed: INT, InitValue = 0");
    EXPECT_EQ(offline[2], "Hold: TIMER, InitValue = {...}");
    ASSERT_EQ(pane.topLevelItemCount(), 3);
    EXPECT_EQ(static_cast<size_t>(pane.topLevelItem(2)->childCount()), offline.size() - 3);
    EXPECT_FALSE(pane.topLevelItem(2)->isExpanded());
    EXPECT_TRUE(pane.topLevelItem(2)->child(0)->text(0).startsWith("Hold.PRE: DINT, InitValue = "));

    ASSERT_TRUE(bench.StartModules());
    ASSERT_TRUE(bench.Download()) << ::testing::PrintToString(bench.Lines());
    ASSERT_TRUE(bench.GoOnline()) << ::testing::PrintToString(bench.host.Messages());
    window.DebugModeChanged();
    ASSERT_TRUE(window.instanceList()->isVisible());
    ASSERT_TRUE(bench.Poll());
    window.LiveValuesChanged();
    EXPECT_EQ(pane.Lines()[0], "Step: INT, Value = ...") << "no instance chosen yet";

    ASSERT_EQ(window.instanceList()->count(), 2);
    EXPECT_EQ(window.instanceList()->itemText(1), "R1");
    window.instanceList()->setCurrentIndex(1);
    Q_EMIT window.instanceList()->activated(1);
    ASSERT_TRUE(bench.Poll());
    window.LiveValuesChanged();
    const std::vector<std::string> first = pane.Lines();
    EXPECT_EQ(first[0], "Step: INT, Value = 3");
    const long speed1 = ValueOf(first, "Speed");
    EXPECT_GT(speed1, 0) << ::testing::PrintToString(first);
    EXPECT_EQ(first[2], "Hold: TIMER, Value = {...}");
    pane.topLevelItem(2)->setExpanded(true);
    // The module keeps scanning: the next read shows a larger value, in the same tree.
    long speed2 = speed1;
    for (int poll = 0; poll < 10 && speed2 == speed1; ++poll) {
        bench.host.Wait(30);
        ASSERT_TRUE(bench.Poll());
        window.LiveValuesChanged();
        speed2 = ValueOf(pane.Lines(), "Speed");
    }
    EXPECT_NE(speed2, speed1) << ::testing::PrintToString(pane.Lines());
    EXPECT_TRUE(pane.topLevelItem(2)->isExpanded()) << "a refresh keeps what is unfolded";
    EXPECT_EQ(pane.topLevelItem(1)->text(0).toStdString(), "Speed: INT, Value = " + std::to_string(speed2));

    // The hover tip shows the live value on green.
    const size_t line2 = window.core().Text().LineStart(1);
    window.core().SetSelection(line2, line2 + 5);
    ASSERT_EQ(window.core().Text().Text(line2, line2 + 5), "Speed");
    window.core().UpdateHoverTip(true);
    EXPECT_TRUE(window.core().Tip().text.starts_with("Speed: INT, Value = ")) << window.core().Tip().text;
    EXPECT_EQ(window.core().Tip().background, kHoverDebugBackground);

    ASSERT_TRUE(bench.Stop());
    window.DebugModeChanged();
    EXPECT_EQ(pane.Lines()[1], "Speed: INT, InitValue = 0");
    EXPECT_FALSE(window.instanceList()->isVisible());
}

TEST(StDebugPane, FollowsTheEditorsScrollingWhileOnline) {
    StWindowBench b;
    for (int i = 0; i < 60; ++i) b.Tag(("V" + std::to_string(i)).c_str(), "DINT");
    b.calc->text.clear();
    for (int i = 0; i < 200; ++i) b.calc->text.push_back("V" + std::to_string(i % 60) + " := " + std::to_string(i) + ";");
    b.Open();
    gui::StDebugPane& pane = b.window->debugPane();
    b.Text()->verticalScrollBar()->setValue(12);
    EXPECT_EQ(pane.verticalScrollBar()->value(), 0) << "offline the pane stays where it is";
    b.bench.frame.debugMode = 1;  // as the online start sets it
    b.window->DebugModeChanged();
    EXPECT_EQ(pane.verticalScrollBar()->value(), 12);
    b.Text()->verticalScrollBar()->setValue(20);
    EXPECT_EQ(pane.verticalScrollBar()->value(), 20);
    b.bench.frame.debugMode = 0;
    b.window->DebugModeChanged();
}

// The pane's own commands on a running block: Ctrl+T toggles a BOOL variable, a
// double-click on a number opens Write Tag, and neither does anything without a line.
TEST(StDebugPane, TogglesAndWritesTheSelectedVariable) {
    OnlineBench bench;
    CProject& p = bench.project();
    CUnit& block = AddFunctionBlock(p, "Gate", true);
    p.types.push_back(std::make_unique<CType>("Gate"));
    AddTag(p, block.tags, "Open", "BOOL", kUsageInput);
    AddTag(p, block.tags, "Limit", "INT", kUsageInput).initialValue = "10";
    AddTag(p, block.tags, "Passed", "BOOL", kUsageOutput);
    block.text = {"Passed := Open AND Limit > 20;"};
    AddTag(p, bench.doc().tags, "G1", "Gate");
    AddRung(bench.doc().rungs, Els(El("JFB", {"G1"})));
    ASSERT_TRUE(bench.Save());
    gui::StEditorWindow window(bench.frame, block);
    window.resize(900, 400);
    window.show();
    ASSERT_TRUE(WatchFirstInstance(bench, window));
    gui::StDebugPane& pane = window.debugPane();
    const auto line = [&](const char* name) { return ValueOf(pane.Lines(), name); };
    ASSERT_EQ(line("Limit"), 10);
    ASSERT_EQ(line("Open"), 0);

    // Ctrl+T on "Open".
    pane.setCurrentItem(pane.topLevelItem(0));
    pane.setFocus();
    QTest::keyClick(&pane, Qt::Key_T, Qt::ControlModifier);
    // A double-click on "Limit": the dialog takes 25.
    pane.setCurrentItem(pane.topLevelItem(1));
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<gui::WriteTagDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->valueField()->text(), QStringLiteral("10"));
        dialog->valueField()->setText(QStringLiteral("25"));
        dialog->accept();
    });
    Q_EMIT pane.itemDoubleClicked(pane.topLevelItem(1), 0);
    for (int poll = 0; poll < 10 && line("Passed") != 1; ++poll) {
        bench.host.Wait(30);
        ASSERT_TRUE(bench.Poll());
        window.LiveValuesChanged();
    }
    EXPECT_EQ(line("Open"), 1);
    EXPECT_EQ(line("Limit"), 25);
    EXPECT_EQ(line("Passed"), 1) << "the block ran with both";

    pane.setCurrentItem(nullptr);
    EXPECT_NE(window.InvokeDebugCommand(Command::ToggleBit), CommandOutcome::Done);
    EXPECT_FALSE(window.WriteSelectedValue());
    ASSERT_TRUE(bench.Stop());
    window.DebugModeChanged();
}

}  // namespace
}  // namespace pontra::test
