// SPDX-License-Identifier: GPL-3.0-or-later
// The online pieces of the window against soft modules (pontra-sim on random loopback
// addresses and high ports): the module list dialogs with a download to 8 modules, one of
// the wrong type; the status bar fields through mode changes and a module that goes
// silent and comes back; the trend holding the values read. With PONTRA_SCREENSHOT_DIR
// set, pictures of each are written there for looking at.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <fstream>
#include <thread>
#include <sstream>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>

#include "gui/ListDownloadResultsDialog.h"
#include "gui/ModuleAddressDialog.h"
#include "gui/ModuleListWindow.h"
#include "gui/OnlineStatusWidget.h"
#include "gui/TrendDock.h"
#include "gui/TrendPlot.h"
#include "online/LiveWrites.h"
#include "online/ModuleList.h"
#include "online/OnlineBench.h"
#include "online/OnlineSession.h"

namespace pontra::test {
namespace {

void Shot(QWidget& widget, const char* name) {
    const QByteArray folder = qgetenv("PONTRA_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QApplication::processEvents();
    const QString path = QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name);
    EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
}

TEST(ModuleAddressDialog, OkTakesOnlyDottedAddresses) {
    const struct {
        const char* text;
        bool ok;
    } cases[] = {{"127.0.0.1", true},  {" 127.0.0.12 ", true}, {"255.255.255.255", true}, {"", false},
                 {"127.0.0", false},   {"127.0.0.256", false}, {"127.0.0.1.5", false},    {"a.b.c.d", false},
                 {"127..0.1", false},  {"1270.0.0.1", false}};
    for (const auto& c : cases) {
        gui::ModuleAddressDialog dialog("");
        dialog.field()->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(dialog.OkEnabled(), c.ok) << c.text;
        EXPECT_EQ(dialog.Address().has_value(), c.ok) << c.text;
    }
    gui::ModuleAddressDialog edit("127.0.0.9");
    EXPECT_EQ(edit.Address(), "127.0.0.9");
}

std::vector<std::string> Items(const QListWidget& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.count(); ++i) items.push_back(list.item(i)->text().toStdString());
    return items;
}

TEST(ModuleListWindow, DownloadsToEightModulesOneOfTheWrongType) {
    constexpr int kModules = 7;
    OnlineBench bench;
    bench.AddTestProgram();
    ASSERT_TRUE(bench.Save());
    ASSERT_TRUE(bench.StartModules({}, kModules));
    sim::test::SimProcess stranger; // another type of module on the same ports
    stranger.keepPorts = true;
    stranger.modbusPort = bench.sim.modbusPort;
    stranger.tftpPort = bench.sim.tftpPort;
    stranger.udpPort = bench.sim.udpPort;
    ASSERT_TRUE(stranger.Start({"--type", "Aldera"}, 1));

    std::vector<std::string> wanted;
    for (int i = 0; i < kModules; ++i) {
        wanted.push_back(bench.sim.Address(i));
        if (i == 3) wanted.push_back(stranger.Address(0));
    }
    {
        gui::ModuleListWindow window(bench.frame);
        EXPECT_FALSE(window.button("Delete")->isEnabled());
        EXPECT_FALSE(window.button("Edit")->isEnabled());
        std::vector<std::string> answers = wanted;
        answers.insert(answers.begin() + 2, "127.0.0.250"); // deleted below
        answers.push_back(wanted[0]);                        // already in the list
        size_t next = 0;
        window.askAddress = [&](const std::string&) { return std::optional<std::string>(answers.at(next++)); };
        for (size_t i = 0; i < answers.size(); ++i) window.button("Add")->click();
        EXPECT_EQ(bench.host.Messages(), std::vector<std::string>{"IP Address " + wanted[0] + " is already exist!"});
        window.addresses()->setCurrentRow(2);
        window.button("Delete")->click();
        EXPECT_EQ(Items(*window.addresses()), wanted);
        EXPECT_EQ(window.addresses()->currentRow(), 2) << "the entry now at its place";

        // Edit through the list: a typo, then put right.
        window.addresses()->setCurrentRow(1);
        window.askAddress = [](const std::string& was) { return std::optional<std::string>(was + "9"); };
        window.button("Edit")->click();
        EXPECT_EQ(window.addresses()->item(1)->text().toStdString(), wanted[1] + "9");
        window.askAddress = [&](const std::string&) { return std::optional<std::string>(wanted[1]); };
        window.button("Edit")->click();
        window.askAddress = [](const std::string&) { return std::nullopt; }; // Cancel
        window.button("Edit")->click();
        EXPECT_EQ(Items(*window.addresses()), wanted);
        window.button("Save")->click();
        EXPECT_EQ(window.result(), QDialog::Accepted);
    }
    EXPECT_EQ(ReadModuleList(bench.dir.File("line_Modules.txt")), wanted);

    bench.host.log.clear();
    gui::ModuleListWindow window(bench.frame); // reads the saved list
    ASSERT_EQ(Items(*window.addresses()), wanted);
    window.resize(520, 460);
    Shot(window, "module_list.png");

    // While the workers run, the results fill one by one and nothing starts twice.
    std::vector<int> lines;
    int refused = 0, enabledButtons = 0;
    auto show = window.list().onOutputChanged;
    window.list().onOutputChanged = [&](int line) {
        show(line);
        lines.push_back(line);
        if (window.DownloadToAllModules()) ++refused; // counts a wrong second start
        if (window.list().DownloadToAllModules()) ++refused; // the core's busy guard
        if (window.button("Download to All Modules")->isEnabled()) ++enabledButtons;
        if (line >= 0) {
            const auto* row = window.results()->table()->topLevelItem(line);
            EXPECT_NE(row->text(1), QStringLiteral("...")) << line;
        }
    };
    EXPECT_FALSE(window.DownloadToAllModules());
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(enabledButtons, 0);
    EXPECT_TRUE(window.button("Download to All Modules")->isEnabled()) << "enabled again afterwards";
    ASSERT_EQ(lines.size(), wanted.size() + 1);
    EXPECT_EQ(lines.front(), -1);
    std::vector<int> finished(lines.begin() + 1, lines.end());
    std::sort(finished.begin(), finished.end());
    for (int i = 0; i < static_cast<int>(wanted.size()); ++i) EXPECT_EQ(finished[static_cast<size_t>(i)], i);
    EXPECT_EQ(bench.host.Messages(), std::vector<std::string>{"Download to Modules Error!"});

    gui::ListDownloadResultsDialog* results = window.results();
    ASSERT_NE(results, nullptr);
    ASSERT_EQ(results->table()->topLevelItemCount(), static_cast<int>(wanted.size()));
    for (size_t i = 0; i < wanted.size(); ++i) {
        const QTreeWidgetItem* row = results->table()->topLevelItem(static_cast<int>(i));
        EXPECT_EQ(row->text(0).toStdString(), wanted[i]);
        const bool wrong = wanted[i] == stranger.Address(0);
        EXPECT_EQ(row->text(1).toStdString(), wrong ? "Type of module is not Vessa in PLC Mode" : "OK") << wanted[i];
        EXPECT_EQ(window.output()->item(static_cast<int>(i))->text().toStdString(),
                  wanted[i] + (wrong ? " Type of module is not Vessa in PLC Mode" : " OK"));
    }
    EXPECT_EQ(results->summary()->text().toStdString(), "7 of 8 modules downloaded, 1 failed");
    EXPECT_EQ(bench.ModuleRegister(279, kModules - 1), 1) << "the program is in the last module";
    Shot(*results, "list_download_results.png");
    Shot(window, "module_list_after_download.png");
}

TEST(ModuleListWindow, ASaveThatFailsSaysSoAndKeepsTheList) {
    OnlineBench bench;
    ASSERT_TRUE(bench.Save());
    bench.doc().pathName = bench.dir.File("gone/line.clp"); // its folder was removed
    gui::ModuleListWindow window(bench.frame);
    window.askAddress = [](const std::string&) { return std::optional<std::string>("127.0.0.7"); };
    window.button("Add")->click();
    window.button("Save")->click();
    EXPECT_NE(window.result(), QDialog::Accepted);
    EXPECT_EQ(bench.host.Messages(),
              std::vector<std::string>{"Error: Unable save data to file " + bench.dir.File("gone/line_Modules.txt")});
    EXPECT_EQ(Items(*window.addresses()), std::vector<std::string>{"127.0.0.7"});
}

struct OnlineWidgetsTest : ::testing::Test {
    void SetUp() override {
        bench.AddTestProgram();
        ASSERT_TRUE(bench.Save());
        ASSERT_TRUE(bench.StartModules({"--program", bench.BuildImage()}));
        ASSERT_TRUE(bench.GoOnline()) << ::testing::PrintToString(bench.host.log);
        ASSERT_TRUE(bench.Poll());
    }
    bool StatusRead() {
        const uint64_t before = bench.online().StatusReplies();
        bench.host.FireTimer(kStatusTimer);
        return bench.host.PumpUntil([&] { return bench.online().StatusReplies() > before; }, 3s);
    }
    OnlineBench bench;
};

bool Showing(const QLabel* label, const QWidget& in) {
    return label->isVisibleTo(&in);
}

TEST_F(OnlineWidgetsTest, StatusFieldsFollowModesAndASilentModule) {
    gui::OnlineStatusWidget status;
    status.Refresh(bench.frame);
    EXPECT_EQ(status.address()->text().toStdString(), bench.sim.address);
    EXPECT_EQ(status.dataValid()->text(), QStringLiteral("Data valid 0 s ago"));
    EXPECT_FALSE(Showing(status.silent(), status));

    ASSERT_TRUE(StatusRead());
    status.Refresh(bench.frame);
    EXPECT_EQ(status.runState()->text(), QStringLiteral("RUN"));
    EXPECT_TRUE(status.taskTime()->text().startsWith(QStringLiteral("TaskTime "))) << status.taskTime()->text().toStdString();
    EXPECT_TRUE(status.taskTime()->text().contains(QStringLiteral("CPU = ")));
    EXPECT_FALSE(Showing(status.error(), status));
    status.resize(status.sizeHint());
    Shot(status, "status_online.png");

    bench.online().SetProgramMode();
    ASSERT_TRUE(StatusRead());
    status.Refresh(bench.frame);
    EXPECT_EQ(status.runState()->text(), QStringLiteral("PROGRAM"));
    bench.online().SetRunMode();
    ASSERT_TRUE(StatusRead());
    status.Refresh(bench.frame);
    EXPECT_EQ(status.runState()->text(), QStringLiteral("RUN"));

    bench.sim.Signal(SIGSTOP);
    bench.host.FireTimer(kPollTimer);
    ASSERT_TRUE(bench.host.PumpUntil([&] { return !bench.online().DataValid(); }, 3s));
    status.Refresh(bench.frame);
    EXPECT_TRUE(Showing(status.silent(), status));
    EXPECT_EQ(status.silent()->text(), QStringLiteral("Module not answering (Timeout)"));
    EXPECT_EQ(status.dataValid()->text(), QStringLiteral("..."));
    status.resize(status.sizeHint());
    Shot(status, "status_silent.png");

    bench.sim.Signal(SIGCONT);
    ASSERT_TRUE(bench.Poll());
    status.Refresh(bench.frame);
    EXPECT_FALSE(Showing(status.silent(), status));
    EXPECT_EQ(status.dataValid()->text(), QStringLiteral("Data valid 0 s ago"));

    ASSERT_TRUE(bench.Stop());
    status.Refresh(bench.frame);
    for (QLabel* label : status.findChildren<QLabel*>()) EXPECT_FALSE(Showing(label, status)) << "offline";
}

TEST_F(OnlineWidgetsTest, TrendHoldsTheValuesRead) {
    gui::TrendDock trend(bench.frame);
    EXPECT_TRUE(trend.AddTag("Lamp"));
    EXPECT_FALSE(trend.AddTag("Lamp"));
    EXPECT_FALSE(trend.AddTag("T1")) << "a structure has no single value";
    EXPECT_FALSE(trend.AddTag("NoSuchTag"));
    QMimeData dropped;
    dropped.setText(QStringLiteral("T1.ACC\nLevel\n"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&trend, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&trend, &drop);
    ASSERT_EQ(trend.Buffer().Tags(), (std::vector<std::string>{"Lamp", "T1.ACC", "Level"}));

    trend.Refresh();
    std::vector<std::vector<double>> seen(3);
    const auto record = [&] {
        seen[0].push_back(std::stod(bench.Value("Lamp")));
        seen[1].push_back(std::stod(bench.Value("T1.ACC")));
        seen[2].push_back(std::stod(bench.Value("Level")));
    };
    record();
    for (int i = 0; i < 4; ++i) {
        if (i == 2) {
            ASSERT_TRUE(ToggleVariable(bench.frame, nullptr, "Input"));
        }
        std::this_thread::sleep_for(20ms);
        ASSERT_TRUE(bench.Poll());
        trend.Refresh();
        trend.Refresh(); // no new read: no new sample
        record();
    }
    for (size_t tag = 0; tag < 3; ++tag) {
        std::vector<double> held;
        for (const auto& s : trend.Buffer().Series(tag)) held.push_back(s.value);
        EXPECT_EQ(held, seen[tag]) << trend.Buffer().Tags()[tag];
        EXPECT_EQ(trend.plot()->Line(tag).size(), static_cast<qsizetype>(2 * held.size() - 1)) << "steps";
    }
    EXPECT_EQ(seen[0].back(), 1) << "the lamp follows the input";
    EXPECT_EQ(seen[0].front(), 0);

    // Paused: reads come, nothing is taken or lost.
    trend.SetPaused(true);
    ASSERT_TRUE(bench.Poll());
    trend.Refresh();
    EXPECT_EQ(trend.Buffer().Series(0).size(), seen[0].size());
    trend.SetPaused(false);

    const double last = *trend.Buffer().LastTime();
    EXPECT_EQ(trend.ReadOut(last).toStdString(),
              "t = " + QString::number(last, 'f', 1).toStdString() + " s   Lamp = 1   T1.ACC = " +
                  QString::number(seen[1].back(), 'g', 10).toStdString() + "   Level = -300");
    trend.ZoomTo(0, 1);
    EXPECT_FALSE(trend.Following());
    EXPECT_DOUBLE_EQ(trend.TimeRange().second - trend.TimeRange().first, 2) << "at least two seconds";
    trend.ResetZoom();
    EXPECT_TRUE(trend.Following());

    const std::string csv = bench.dir.File("trend.csv");
    ASSERT_TRUE(trend.ExportCsv(QString::fromStdString(csv)));
    std::ifstream in(csv, std::ios::binary);
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header, "Time (s),Lamp,T1.ACC,Level\r");
    int rows = 0;
    for (std::string line; std::getline(in, line);) ++rows;
    EXPECT_EQ(rows, static_cast<int>(seen[0].size()));
    EXPECT_FALSE(trend.ExportCsv(QString::fromStdString(bench.dir.File("no/such/folder/trend.csv"))));

    trend.RemoveTag("Level");
    EXPECT_EQ(trend.Buffer().Tags().size(), 2u);
    trend.resize(640, 360);
    trend.readOut()->setText(trend.ReadOut(last));
    Shot(trend, "trend_two_tags.png");
}

// The mouse on the plot: the read-out follows the cursor, a dragged band zooms to its
// times, the wheel zooms about the cursor, and a click alone changes nothing.
TEST(TrendDock, MouseZoomsOnTimeAndReadsOut) {
    OnlineBench bench;
    bench.AddTestProgram();
    gui::TrendDock trend(bench.frame);
    ASSERT_TRUE(trend.AddTag("Level"));
    ASSERT_TRUE(trend.AddTag("Lamp"));
    for (int t = 0; t <= 100; ++t)
        trend.Buffer().Append(t, {std::optional<double>(t * 10), std::optional<double>(t >= 50 ? 1 : 0)});
    trend.Redraw();
    trend.resize(700, 360);
    trend.show();
    QApplication::processEvents();
    gui::TrendPlot& plot = *trend.plot();
    EXPECT_DOUBLE_EQ(plot.From(), 0);
    EXPECT_DOUBLE_EQ(plot.To(), 100);
    const QRectF area = plot.PlotArea();
    const auto xAt = [&](double t) { return area.left() + t / 100 * area.width(); };
    const double y = area.center().y();
    const auto mouse = [&](QEvent::Type type, double x, Qt::MouseButton button) {
        QMouseEvent event(type, QPointF(x, y), plot.mapToGlobal(QPointF(x, y)), button,
                          type == QEvent::MouseMove ? Qt::NoButton : button, Qt::NoModifier);
        QApplication::sendEvent(&plot, &event);
    };

    mouse(QEvent::MouseMove, xAt(60.2), Qt::NoButton);
    EXPECT_EQ(trend.readOut()->text(), QStringLiteral("t = 60.2 s   Level = 600   Lamp = 1"));
    mouse(QEvent::MouseButtonPress, xAt(20), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, xAt(20), Qt::LeftButton);
    EXPECT_TRUE(trend.Following()) << "a click is no zoom";

    mouse(QEvent::MouseButtonPress, xAt(20), Qt::LeftButton);
    mouse(QEvent::MouseMove, xAt(40), Qt::NoButton);
    mouse(QEvent::MouseButtonRelease, xAt(40), Qt::LeftButton);
    EXPECT_FALSE(trend.Following());
    EXPECT_NEAR(plot.From(), 20, 0.2);
    EXPECT_NEAR(plot.To(), 40, 0.2);
    Shot(trend, "trend_zoomed.png");

    trend.Buffer().Append(101, {std::optional<double>(0), std::optional<double>(0)});
    trend.Redraw();
    EXPECT_NEAR(plot.To(), 40, 0.2) << "a zoomed view stays where it is";

    const QPointF middle(area.left() + area.width() / 2, y);
    QWheelEvent out(middle, plot.mapToGlobal(middle), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
    QApplication::sendEvent(&plot, &out);
    EXPECT_NEAR(plot.To() - plot.From(), 25, 0.3) << "out by a quarter about the cursor";
    EXPECT_NEAR((plot.From() + plot.To()) / 2, 30, 0.3);

    trend.ResetZoom();
    EXPECT_DOUBLE_EQ(plot.To(), 101);
    EXPECT_EQ(plot.Line(0).size(), 2 * 102 - 1);
}

} // namespace
} // namespace pontra::test
