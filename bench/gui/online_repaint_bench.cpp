// SPDX-License-Identifier: GPL-3.0-or-later
// Online with every live view open on the largest project a module holds: the line
// program (1,900 rungs) with the speed ramp's Structured Text block, downloaded to a soft module through the
// main window and monitored there. The ladder editor (scrolled to the rungs whose
// values change each scan), the tag editor (at the end of its list), the Structured
// Text editor with its debug pane and the trend (8 tags, 10 minutes of samples) are
// tiled so that each is visible. Timed: from the moment the read of the tag memory is
// complete in the window's thread to the end of every repaint it causes. Offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QMdiArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "OnlineRig.h"
#include "files/ComponentImport.h"
#include "gui/LadderEditor.h"
#include "gui/MainWindow.h"
#include "gui/QtHost.h"
#include "gui/StDebugPane.h"
#include "gui/StEditorWindow.h"
#include "gui/TagEditor.h"
#include "gui/TrendDock.h"
#include "online/OnlineSession.h"

namespace pontra::bench {
namespace {

using gui::MainWindow;
using gui::QtHost;
using Clock = std::chrono::steady_clock;

constexpr int kWaitMs = 10000;
constexpr int kRungs = 1900;

// Counts paint events anywhere in the application.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// The line program of the online benchmarks, with the speed ramp's Structured Text
// block and its instance imported first (the line's rungs then replace the main
// program's).
bool MakeLargestProject(OnlineRig& rig, std::string& error) {
    const std::filesystem::path example = std::filesystem::path(PONTRA_SOURCE_DIR) / "examples" / "speed_ramp.txt";
    std::ifstream in(example, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    rig.host.defaultAnswer = true;
    const ImportOutcome imported = ImportComponents(rig.frame, text.str(), example.string());
    rig.host.defaultAnswer = false;
    if (!imported.ok) {
        error = "the speed ramp example did not import";
        return false;
    }
    // As many of the line's rungs as fit beside the block in the module's 40,960 bytes.
    return rig.MakeProject({kRungs, 0}, error);
}

void BM_ReadToEveryRepaint(benchmark::State& state) {
    OnlineRig rig;
    std::string error;
    if (!MakeLargestProject(rig, error)) return state.SkipWithError(error.c_str());
    if (!rig.StartModules(1)) return state.SkipWithError("the soft module did not start");

    QTemporaryDir scratch;
    QtHost host(scratch.filePath("settings.ini"));
    gui::HostScript script;
    host.SetScript(&script);
    MainWindow window(host);
    window.resize(1600, 1000);
    if (!window.StartUp(rig.frame.doc().pathName)) return state.SkipWithError("the project did not open");
    CMainFrame& frame = window.frame();
    frame.doc().SetModuleAddress(rig.frame.doc().moduleAddress);
    frame.SetModified(false);
    frame.online().SetPorts(rig.frame.online().Ports());
    frame.online().restartWaitMs = 50;
    window.show();

    script.answers = {Host::Answer::Yes};
    window.Run(Command::DownloadProgram);
    window.Run(Command::Debug);
    if (!host.PumpUntil([&] { return frame.debugMode != 0 && frame.online().DataValid(); }, kWaitMs)) {
        std::string shown = "debugging did not start:";
        for (const std::string& line : script.shown) shown += " [" + line + "]";
        return state.SkipWithError(shown.c_str());
    }

    // The live views of the argument's bits open and visible (1 ladder, 2 tags,
    // 4 Structured Text, 8 trend; 15 all of them).
    const int views = static_cast<int>(state.range(0));
    window.CloseDocument("main");
    auto* ladder = views & 1 ? dynamic_cast<gui::LadderEditor*>(window.OpenDocument("main")) : nullptr;
    auto* tags = views & 2 ? dynamic_cast<gui::TagEditor*>(window.OpenDocument("tags")) : nullptr;
    auto* text = views & 4 ? dynamic_cast<gui::StEditorWindow*>(window.OpenDocument("fb:SpeedRamp:routine")) : nullptr;
    if (!ladder == bool(views & 1) || !tags == bool(views & 2) || !text == bool(views & 4))
        return state.SkipWithError("a window did not open");
    window.documentArea()->setViewMode(QMdiArea::SubWindowView);
    window.documentArea()->tileSubWindows();
    if (views & 8)
        for (const char* tag : {"Scans", "L0", "L1", "L2", "L23", "B5", "B8", "B1898"})
            if (!window.AddToTrend(tag)) return state.SkipWithError("a tag did not go on the trend");
    gui::TrendDock& trend = *window.trendDock();
    // Ten minutes of samples before the reads being timed, as a trend left running.
    for (int second = -600; second < 0; ++second) {
        std::vector<std::optional<double>> values;
        for (size_t i = 0; i < trend.Buffer().Tags().size(); ++i) values.push_back((second * (i + 1)) % 2);
        trend.Buffer().Append(second, values);
    }
    QApplication::processEvents();
    if (ladder) ladder->verticalScrollBar()->setValue(ladder->verticalScrollBar()->maximum());
    if (tags) tags->view()->scrollToBottom();
    QApplication::processEvents();

    // The moment a read is complete, in the window's thread.
    Clock::time_point arrived;
    uint64_t seen = frame.online().CompleteReads();
    frame.online().onRefresh = [&] {
        if (frame.online().CompleteReads() != seen) {
            seen = frame.online().CompleteReads();
            arrived = Clock::now();
        }
    };
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    std::vector<double> times;
    int paints = 0;
    for (auto _ : state) {
        // As the application's event loop does: asleep until something comes.
        const uint64_t before = frame.online().CompleteReads();
        const Clock::time_point giveUp = Clock::now() + std::chrono::milliseconds(kWaitMs);
        while (frame.online().CompleteReads() == before && Clock::now() < giveUp)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (frame.online().CompleteReads() == before) {
            state.SkipWithError("no read came");
            break;
        }
        // Until a pass paints nothing more: the end of the last repaint the read caused.
        Clock::time_point painted = Clock::now();
        const int start = counter.paints;
        for (int quiet = 0; quiet < 2;) {
            const int was = counter.paints;
            QApplication::processEvents();
            if (counter.paints != was) {
                painted = Clock::now();
                quiet = 0;
            } else {
                ++quiet;
            }
        }
        paints = counter.paints - start;
        const double ms = std::chrono::duration<double, std::milli>(painted - arrived).count();
        times.push_back(ms);
        state.SetIterationTime(ms / 1000);
    }
    qApp->removeEventFilter(&counter);
    frame.online().onRefresh = nullptr;
    if (!times.empty()) {
        state.counters["medianMs"] = Median(times);
        state.counters["maxMs"] = *std::max_element(times.begin(), times.end());
    }
    state.counters["paintEvents"] = paints;
    state.counters["imageBytes"] = static_cast<double>(std::filesystem::file_size(rig.ImagePath()));
    if (text) state.counters["debugLines"] = static_cast<double>(text->debugPane().Lines().size());
    window.Run(Command::StopDebugging);
    host.PumpUntil([&] { return frame.debugMode == 0; }, kWaitMs);
    frame.SetModified(false);
}
BENCHMARK(BM_ReadToEveryRepaint)
    ->Arg(15)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(15);

}  // namespace
}  // namespace pontra::bench
