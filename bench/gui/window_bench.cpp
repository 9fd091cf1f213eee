// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop application with the largest module project (a 2,000-rung main program):
// start-up to the first painted main window, and opening the project from a running
// window until its main routine is painted. Offscreen platform; the program's own
// process start (loading Qt) is not part of the figure.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "OnlineRig.h"
#include "gui/MainWindow.h"
#include "gui/QtHost.h"

namespace pontra::bench {
namespace {

using gui::MainWindow;
using gui::QtHost;

// Notes when a widget of the document area has been painted.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->window() && qobject_cast<QMdiSubWindow*>(widget->parentWidget())) painted = true;
            if (widget && qobject_cast<QMdiArea*>(widget->parentWidget())) painted = true;
        }
        return false;
    }
};

void WaitForPaint(PaintWatch& watch) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!watch.painted && std::chrono::steady_clock::now() < give_up)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

const std::string& LargestProject() {
    static OnlineRig rig;
    static std::string path;
    if (path.empty()) {
        std::string error;
        if (rig.MakeProject({2000, 0}, error)) path = rig.frame.doc().pathName;
    }
    return path;
}

void BM_StartUpToFirstPaint(benchmark::State& state) {
    const std::string& path = LargestProject();
    if (path.empty()) return state.SkipWithError("the 2,000-rung project could not be built");
    QTemporaryDir scratch;
    for (auto _ : state) {
        PaintWatch watch;
        qApp->installEventFilter(&watch);
        {
            QtHost host(scratch.filePath("settings.ini"));
            gui::HostScript script;
            host.SetScript(&script);
            MainWindow window(host);
            window.StartUp(path);
            window.show();
            WaitForPaint(watch);
            state.PauseTiming();
            window.hide();
        }
        qApp->removeEventFilter(&watch);
        QApplication::processEvents();
        state.ResumeTiming();
        if (!watch.painted) return state.SkipWithError("the main window was not painted");
    }
}
BENCHMARK(BM_StartUpToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_OpenFromRunningWindow(benchmark::State& state) {
    const std::string& path = LargestProject();
    if (path.empty()) return state.SkipWithError("the 2,000-rung project could not be built");
    QTemporaryDir scratch;
    QtHost host(scratch.filePath("settings.ini"));
    gui::HostScript script;
    host.SetScript(&script);
    MainWindow window(host);
    window.StartUp("");
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        PaintWatch watch;
        qApp->installEventFilter(&watch);
        script.files.push_back(path);
        window.action(Command::Open)->trigger();
        WaitForPaint(watch);
        qApp->removeEventFilter(&watch);
        if (!watch.painted || !window.frame().HasProject()) return state.SkipWithError("the project did not open");
    }
}
BENCHMARK(BM_OpenFromRunningWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
}  // namespace pontra::bench

