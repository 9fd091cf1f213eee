// SPDX-License-Identifier: GPL-3.0-or-later
// Online through the main window's own actions, against a soft module (pontra-sim on a
// random loopback address and high ports), with the window's real timers: a download
// with its progress, debugging with live values in the ladder and tag editors, Toggle
// Bit, the run modes in the status bar, a module that goes silent and comes back, and
// Delete Module Program. The window must keep handling events while the core waits.
#include <gtest/gtest.h>
#include <signal.h>

#include <QAction>
#include <QImage>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

#include "GuiFixture.h"
#include "build/OperandScope.h"
#include "comm/RegisterClient.h"
#include "gui/DownloadBar.h"
#include "gui/LadderEditor.h"
#include "gui/LadderStyle.h"
#include "gui/OnlineStatusWidget.h"
#include "gui/TagEditor.h"
#include "gui/TagTreeModel.h"
#include "gui/TrendDock.h"
#include "model/Project.h"
#include "online/OnlineBench.h"
#include "online/OnlineSession.h"


namespace pontra::gui {
namespace {

using C = Command;
constexpr int kWaitMs = 8000;
// The soft module's register that says whether a program is stored.
constexpr int kRegProgramStored = 279;

class MainWindowOnlineTest : public GuiTest {
protected:
    void SetUp() override {
        bench.AddTestProgram();
        ASSERT_TRUE(bench.Save());
        ASSERT_TRUE(window->StartUp(bench.dir.File("line.clp")));
        ASSERT_TRUE(bench.sim.Start());
        uint32_t address = 0;
        ASSERT_TRUE(ParseModuleAddress(bench.sim.address, address));
        // The module's address belongs to the project, as its properties dialog sets it.
        frame().doc().SetModuleAddress(address);
        frame().SetModified(false);
        ASSERT_TRUE(frame().online().SetPorts({bench.sim.modbusPort, bench.sim.tftpPort, bench.sim.udpPort}));
        frame().online().restartWaitMs = 50;  // the soft module restarts at once
        window->show();
        window->RefreshAll();
        Settle();
    }

    bool Pump(const std::function<bool()>& done) { return host->PumpUntil(done, kWaitMs); }
    void Trigger(Command command) {
        window->RefreshCommandStates();
        QAction* action = window->action(command);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled()) << action->text().toStdString();
        action->trigger();
    }
    // Waits for the next complete read of tag memory (the window's own poll timer).
    bool NextRead() {
        const uint64_t before = frame().online().CompleteReads();
        return Pump([&] { return frame().online().CompleteReads() > before; });
    }
    int ModuleRegister(int reg) {
        CRegisterClient client(bench.sim.modbusPort);
        std::vector<uint16_t> value;
        if (!client.ConnectModule(bench.sim.address) || !client.ReadModuleRegisters(reg, 1, value)) return -1;
        return value[0];
    }
    OnlineStatusWidget& status() { return *window->onlineStatus(); }

    // The value cell of a main-program tag in the tag editor.
    QString TagValue(TagEditor& tags, const std::string& name) {
        const CTag* tag = FindOperandTag(MainProgramScope(frame().project()), name).tag;
        EXPECT_NE(tag, nullptr) << name;
        const QModelIndex row = tags.model()->IndexOf(tag, TagTreeModel::kValue);
        return row.isValid() ? tags.model()->data(row).toString() : QString();
    }

    // The colour of the wire leaving an element of the main program's ladder editor.
    QColor WireColour(LadderEditor& ladder, const CElement* element) {
        const QImage image = ladder.viewport()->grab().toImage();
        const QRect r = ladder.ElementRect(element);
        const int x = r.left() + static_cast<int>(r.width() * 0.85);
        const int y = r.top() + static_cast<int>(LadderMetrics::kWireY * ladder.scale());
        for (int dy = -2; dy <= 2; ++dy)
            if (const QColor c = image.pixelColor(x, y + dy); c != QColor(Qt::white)) return c;
        return QColor(Qt::white);
    }
    const CElement* Element(int rung, int index) { return frame().doc().rungs.at(rung)->elements.at(index).get(); }

    void ClickOn(LadderEditor& ladder, const CElement* element) {
        const QPoint at = ladder.ElementRect(element).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, ladder.viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(ladder.viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, ladder.viewport()->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(ladder.viewport(), &release);
    }

    // Opens the context menu at a point of `widget` and chooses the entry `text`; false
    // when the menu did not offer it.
    static bool ChooseFromMenu(QWidget* widget, const QPoint& at, const QString& text) {
        bool chosen = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* action : menu->actions())
                if (action->text() == text && action->isEnabled()) {
                    action->trigger();
                    chosen = true;
                }
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
        return chosen;
    }

    test::OnlineBench bench;
    const QColor energised{0, 160, 40}, deEnergised{20, 30, 140};
};

TEST_F(MainWindowOnlineTest, DownloadShowsItsProgressAndTheWindowKeepsRunning) {
    DownloadBar& bar = *window->downloadBar();
    EXPECT_FALSE(bar.isVisible()) << "only while a download runs";
    std::vector<int> percents;
    int refusedAgain = 0, enabledDownloads = 0;
    bool barShown = false;
    QString caption;
    QObject::connect(host.get(), &QtHost::progressSet, window.get(), [&](int position, int range) {
        if (range > 0) percents.push_back(position * 100 / range);
        barShown = barShown || bar.isVisible();
        if (caption.isEmpty()) caption = bar.caption()->text();
        // A second start from the menu while the first runs: the core refuses it.
        window->RefreshCommandStates();
        if (window->action(C::DownloadProgram)->isEnabled()) ++enabledDownloads;
        if (InvokeCommand(frame(), C::DownloadProgram, window->Target()) == CommandOutcome::Done) ++refusedAgain;
    });
    // Timers keep firing while the core waits for the module: the window is not frozen.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);

    script.answers = {Host::Answer::Yes};  // "Do you really want Download Program?"
    Trigger(C::DownloadProgram);
    ticker.stop();

    EXPECT_EQ(script.shown.front(), "question: Do you really want Download Program?");
    ASSERT_EQ(script.shown.size(), 2u) << ::testing::PrintToString(script.shown);
    EXPECT_EQ(script.shown.back().rfind("message: Download complete successfuly (Program memory = ", 0), 0u);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_TRUE(barShown);
    EXPECT_EQ(caption, QStringLiteral("Download Program:"));
    EXPECT_FALSE(bar.isVisible()) << "hidden again afterwards";
    EXPECT_EQ(refusedAgain, 0);
    EXPECT_EQ(enabledDownloads, 0) << "the menu item is greyed while a download runs";
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(ModuleRegister(kRegProgramStored), 1);
    EXPECT_TRUE(window->action(C::DownloadProgram)->isEnabled());

    // Delete Module Program: asked first, then done and said so.
    script.shown.clear();
    script.answers = {Host::Answer::Yes};
    Trigger(C::DeleteModuleProgram);
    EXPECT_EQ(script.shown, (std::vector<std::string>{"question: Do you really want Delete Module Program?",
                                                      "message: Delete Module Program complete successfuly."}));
    EXPECT_EQ(ModuleRegister(kRegProgramStored), 0);
}

TEST_F(MainWindowOnlineTest, DebugShowsLiveValuesTogglesAndSwitchesModes) {
    script.answers = {Host::Answer::Yes};
    Trigger(C::DownloadProgram);
    ASSERT_EQ(ModuleRegister(kRegProgramStored), 1) << ::testing::PrintToString(script.shown);

    auto* tags = dynamic_cast<TagEditor*>(window->OpenDocument("tags"));
    ASSERT_NE(tags, nullptr);
    auto* ladder = dynamic_cast<LadderEditor*>(window->OpenDocument("main"));
    ASSERT_NE(ladder, nullptr);
    ladder->resize(900, 500);
    EXPECT_EQ(status().runState()->isVisibleTo(&status()), false) << "nothing online shown offline";
    const QString offlineTitle = window->windowTitle();

    script.shown.clear();
    Trigger(C::ToggleDebug);
    ASSERT_TRUE(Pump([&] { return frame().debugMode != 0 && frame().online().DataValid(); }))
        << ::testing::PrintToString(script.shown);
    ASSERT_TRUE(NextRead());
    EXPECT_NE(window->windowTitle(), offlineTitle) << "the title carries the debug suffix";
    EXPECT_EQ(window->TitleOf("main"), window->documentArea()->activeSubWindow()->windowTitle());
    EXPECT_EQ(tags->model()->headerData(TagTreeModel::kValue, Qt::Horizontal).toString(), QStringLiteral("Debug Value"));
    EXPECT_EQ(TagValue(*tags, "Run"), QStringLiteral("1"));
    EXPECT_EQ(TagValue(*tags, "Level"), QStringLiteral("-300"));
    EXPECT_EQ(TagValue(*tags, "Lamp"), QStringLiteral("0"));
    Pump([&] { return status().runState()->text() == QStringLiteral("RUN"); });
    EXPECT_EQ(status().runState()->text(), QStringLiteral("RUN"));
    EXPECT_TRUE(status().taskTime()->isVisibleTo(&status()));

    // Rung 2: XIC(Input) OTE(Lamp), Input off: the contact stops the power.
    const CElement* input = Element(2, 1);
    const CElement* lamp = Element(2, 2);
    EXPECT_EQ(WireColour(*ladder, Element(0, 1)), energised) << "Run is on";
    EXPECT_EQ(WireColour(*ladder, input), deEnergised);
    EXPECT_EQ(WireColour(*ladder, lamp), deEnergised);

    // Toggle Bit (Ctrl+T) on the clicked contact: the next read shows the input and the
    // lamp on.
    window->OpenDocument("main");
    ClickOn(*ladder, input);
    QTest::keyClick(ladder, Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(Pump([&] { return TagValue(*tags, "Lamp") == QStringLiteral("1"); }))
        << TagValue(*tags, "Lamp").toStdString();
    EXPECT_EQ(TagValue(*tags, "Input"), QStringLiteral("1"));
    ClickOn(*ladder, Element(1, 2));  // the selection's highlight off the contact
    EXPECT_EQ(WireColour(*ladder, input), energised);
    EXPECT_EQ(WireColour(*ladder, lamp), energised);

    // Program mode stops the scan; the status bar says so, and RUN again after.
    Trigger(C::ProgramMode);
    EXPECT_TRUE(Pump([&] { return status().runState()->text() == QStringLiteral("PROGRAM"); }));
    Trigger(C::RunMode);
    EXPECT_TRUE(Pump([&] { return status().runState()->text() == QStringLiteral("RUN"); }));

    Trigger(C::StopDebugging);
    ASSERT_TRUE(Pump([&] { return frame().debugMode == 0; }));
    Settle();
    EXPECT_EQ(window->windowTitle(), offlineTitle);
    EXPECT_EQ(tags->model()->headerData(TagTreeModel::kValue, Qt::Horizontal).toString(), QStringLiteral("Init Value"));
    for (QLabel* label : status().findChildren<QLabel*>())
        EXPECT_FALSE(label->isVisibleTo(&status())) << "offline: " << label->text().toStdString();
    EXPECT_TRUE(script.shown.empty()) << ::testing::PrintToString(script.shown);
}

TEST_F(MainWindowOnlineTest, ASilentModuleIsReportedOnceAndTheSessionRecovers) {
    script.answers = {Host::Answer::Yes};
    Trigger(C::DownloadProgram);
    auto* tags = dynamic_cast<TagEditor*>(window->OpenDocument("tags"));
    ASSERT_NE(tags, nullptr);
    script.shown.clear();
    Trigger(C::ToggleDebug);
    ASSERT_TRUE(Pump([&] { return frame().debugMode != 0 && frame().online().DataValid(); }));
    ASSERT_TRUE(NextRead());
    EXPECT_EQ(TagValue(*tags, "Level"), QStringLiteral("-300"));

    bench.sim.Signal(SIGSTOP);
    ASSERT_TRUE(Pump([&] { return !frame().online().DataValid(); }));
    ASSERT_TRUE(Pump([&] { return status().silent()->isVisibleTo(&status()); }));
    EXPECT_TRUE(status().silent()->text().startsWith(QStringLiteral("Module not answering")))
        << status().silent()->text().toStdString();
    EXPECT_EQ(status().dataValid()->text(), QStringLiteral("..."));
    EXPECT_EQ(TagValue(*tags, "Level"), QStringLiteral("..."));
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral(" - Timeout"))) << window->windowTitle().toStdString();
    // More polls go unanswered: the titles and the status bar say so, no dialog per poll.
    host->PumpUntil([] { return false; }, 2500);
    EXPECT_TRUE(script.shown.empty()) << ::testing::PrintToString(script.shown);

    // Stop Debugging works with the module still silent.
    Trigger(C::StopDebugging);
    ASSERT_TRUE(Pump([&] { return frame().debugMode == 0; }));

    // Back again: Debug works as before.
    bench.sim.Signal(SIGCONT);
    Trigger(C::ToggleDebug);
    ASSERT_TRUE(Pump([&] { return frame().debugMode != 0 && frame().online().DataValid(); }))
        << ::testing::PrintToString(script.shown);
    ASSERT_TRUE(NextRead());
    EXPECT_EQ(TagValue(*tags, "Level"), QStringLiteral("-300"));
    EXPECT_FALSE(status().silent()->isVisibleTo(&status()));
    EXPECT_FALSE(window->windowTitle().contains(QStringLiteral("Timeout")));
    Trigger(C::StopDebugging);
    ASSERT_TRUE(Pump([&] { return frame().debugMode == 0; }));
}

// Tags reach the trend from a ladder operand's menu and by dragging from the tag editor
// or a ladder operand; the trend then holds the values each read brings.
TEST_F(MainWindowOnlineTest, TrendTakesTagsFromTheEditorsAndHoldsTheReads) {
    // An alias goes on the trend under its own name with the lamp's value.
    test::AddTag(frame().project(), frame().doc().tags, "LampShown", "BOOL").alias = "Lamp";
    frame().SetModified(true);
    script.answers = {Host::Answer::Yes, Host::Answer::Yes};
    Trigger(C::DownloadProgram);
    auto* tags = dynamic_cast<TagEditor*>(window->OpenDocument("tags"));
    ASSERT_NE(tags, nullptr);
    auto* ladder = dynamic_cast<LadderEditor*>(window->OpenDocument("main"));
    ASSERT_NE(ladder, nullptr);
    TrendDock& trend = *window->trendDock();

    // Rung 2's coil: "Add "Lamp" to Trend" on its menu; the timer box of rung 0 has a
    // structure for operand, which the trend cannot draw.
    const QPoint lamp = ladder->ElementRect(Element(2, 2)).center();
    EXPECT_EQ(ladder->TrendOperandAt(lamp), "Lamp");
    EXPECT_FALSE(ladder->TrendOperandAt(ladder->ElementRect(Element(0, 2)).center()));
    EXPECT_FALSE(ChooseFromMenu(ladder->viewport(), ladder->ElementRect(Element(0, 2)).center(),
                                QStringLiteral("Add \"T1\" to Trend")));
    ASSERT_TRUE(ChooseFromMenu(ladder->viewport(), lamp, QStringLiteral("Add \"Lamp\" to Trend")));
    EXPECT_TRUE(trend.isVisible());

    // Dragged from the tag editor: the timer's accumulator (a structure's row carries
    // nothing the trend can take), and the input from the ladder's contact.
    const CTag* timer = FindOperandTag(MainProgramScope(frame().project()), "T1").tag;
    const QModelIndex timerRow = tags->model()->IndexOf(timer);
    EXPECT_FALSE(tags->model()->flags(timerRow) & Qt::ItemIsDragEnabled);
    EXPECT_EQ(tags->model()->mimeData({timerRow}), nullptr);
    tags->view()->expand(timerRow);
    QModelIndex accumulator;
    for (int r = 0; r < tags->model()->rowCount(timerRow); ++r)
        if (tags->model()->TagAt(tags->model()->index(r, 0, timerRow))->name == "T1.ACC")
            accumulator = tags->model()->index(r, 0, timerRow);
    ASSERT_TRUE(accumulator.isValid());
    EXPECT_TRUE(tags->model()->flags(accumulator) & Qt::ItemIsDragEnabled);
    const auto drop = [&](QMimeData* data) {
        ASSERT_NE(data, nullptr);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&trend, &enter);
        EXPECT_TRUE(enter.isAccepted()) << data->text().toStdString();
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&trend, &event);
        EXPECT_TRUE(event.isAccepted()) << data->text().toStdString();
        delete data;
    };
    drop(tags->model()->mimeData({accumulator, tags->model()->index(accumulator.row(), 3, timerRow)}));
    drop(ladder->TrendDragData(ladder->ElementRect(Element(2, 1)).center()));
    EXPECT_TRUE(window->AddToTrend(QStringLiteral("LampShown")));
    EXPECT_EQ(trend.Buffer().Tags(), (std::vector<std::string>{"Lamp", "T1.ACC", "Input", "LampShown"}));

    Trigger(C::ToggleDebug);
    ASSERT_TRUE(Pump([&] { return frame().debugMode != 0 && frame().online().DataValid(); }));
    ASSERT_TRUE(NextRead());
    ClickOn(*ladder, Element(2, 1));
    QTest::keyClick(ladder, Qt::Key_T, Qt::ControlModifier);  // the input on: the lamp follows
    ASSERT_TRUE(Pump([&] { return !trend.Buffer().Series(0).empty() && trend.Buffer().Series(0).back().value == 1; }));
    ASSERT_TRUE(NextRead());
    const auto& lampSeries = trend.Buffer().Series(0);
    const auto& timerSeries = trend.Buffer().Series(1);
    EXPECT_EQ(lampSeries.front().value, 0);
    EXPECT_EQ(trend.Buffer().Series(2).back().value, 1);
    EXPECT_EQ(trend.Buffer().Series(3).front().value, 0);
    EXPECT_EQ(trend.Buffer().Series(3).back().value, 1);
    ASSERT_GE(timerSeries.size(), 3u);
    EXPECT_GT(timerSeries.back().value, timerSeries.front().value) << "the timer runs";
    EXPECT_EQ(timerSeries.size(), lampSeries.size()) << "one sample of each tag per read";
    if (const QByteArray folder = qgetenv("PONTRA_SCREENSHOT_DIR"); !folder.isEmpty()) {
        window->resize(1400, 900);
        Settle();
        window->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/main_window_trend.png"));
    }
    Trigger(C::StopDebugging);
    ASSERT_TRUE(Pump([&] { return frame().debugMode == 0; }));
    // The tags belong to the project: closing it empties the trend.
    frame().SetModified(false);
    Trigger(C::Close);
    EXPECT_TRUE(trend.Buffer().Tags().empty());
}

// A program that stops on a runtime error: the status bar shows the module's error text
// with its instruction and rung; going offline clears it.
TEST_F(MainWindowOnlineTest, ARuntimeErrorShowsInTheStatusBar) {
    CProject& p = frame().project();
    test::AddTag(p, frame().doc().tags, "Zero", "INT");
    test::AddTag(p, frame().doc().tags, "Quotient", "INT");
    test::AddRung(frame().doc().rungs, test::Els(test::El("DIV", {"Level", "Zero", "Quotient"})));
    frame().SetModified(true);
    // "Do you really want Download Program?", then saving the modified project first.
    script.answers = {Host::Answer::Yes, Host::Answer::Yes};
    Trigger(C::DownloadProgram);
    ASSERT_EQ(ModuleRegister(kRegProgramStored), 1) << ::testing::PrintToString(script.shown);
    script.shown.clear();
    Trigger(C::ToggleDebug);
    ASSERT_TRUE(Pump([&] { return frame().debugMode != 0 && frame().online().DataValid(); }))
        << ::testing::PrintToString(script.shown);
    ASSERT_TRUE(Pump([&] { return status().error()->isVisibleTo(&status()); }))
        << ::testing::PrintToString(script.shown);
    const std::string error = status().error()->text().toStdString();
    EXPECT_EQ(error.rfind("Runtime Error(#103) - Divide by Zero. Program Counter = ", 0), 0u) << error;
    EXPECT_NE(error.find(", Rung = 3"), std::string::npos) << error;
    if (const QByteArray folder = qgetenv("PONTRA_SCREENSHOT_DIR"); !folder.isEmpty())
        window->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/main_window_runtime_error.png"));
    Trigger(C::StopDebugging);
    ASSERT_TRUE(Pump([&] { return frame().debugMode == 0; }));
    Settle();
    EXPECT_FALSE(status().error()->isVisibleTo(&status()));
}

}  // namespace
}  // namespace pontra::gui
