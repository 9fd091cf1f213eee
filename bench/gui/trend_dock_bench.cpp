// SPDX-License-Identifier: GPL-3.0-or-later
// The trend dock at its heaviest: 8 tags read once a second for the whole 10-minute
// window (600 samples each, 1,199 step points per line). Timed: one read's sample taken
// and the dock repainted, offscreen; and the sample alone. The target is 10 ms, the
// budget a read has for every view it repaints. Drawn with a chart library (Qt Charts,
// a line series per tag) this took 12-16 ms, 9 ms of it replacing the series' points;
// painted directly it takes about 5 ms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include <QApplication>

#include "gui/TrendDock.h"
#include "host/ScriptedHost.h"
#include "model/Tag.h"
#include "shell/MainFrame.h"

namespace pontra {
namespace {

constexpr int kTags = 8;
constexpr int kWindowSamples = 600;

std::vector<std::optional<double>> Values(int read) {
    std::vector<std::optional<double>> values;
    for (int tag = 0; tag < kTags; ++tag)
        values.push_back(tag % 2 ? std::optional<double>((read / (tag + 1)) % 2)
                                 : std::optional<double>(std::round(1000 * std::sin(read * 0.05 + tag))));
    return values;
}

void BM_TrendReadToRepaint(benchmark::State& state) {
    ScriptedHost host;
    CMainFrame frame(host);
    for (int i = 0; i < kTags; ++i)
        frame.doc().tags.push_back(std::make_unique<CTag>("Tag" + std::to_string(i), i % 2 ? "BOOL" : "DINT"));
    gui::TrendDock dock(frame);
    for (int i = 0; i < kTags; ++i)
        if (!dock.AddTag("Tag" + std::to_string(i))) state.SkipWithError("tag refused");
    dock.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    dock.show();
    int read = 0;
    for (; read < kWindowSamples; ++read) dock.Buffer().Append(read, Values(read));
    dock.Redraw();
    QApplication::processEvents();
    size_t points = 0;
    for (auto _ : state) {
        dock.Buffer().Append(read, Values(read));
        ++read;
        dock.Redraw();
        QApplication::processEvents();
        dock.repaint();
        points = 0;
        for (int i = 0; i < kTags; ++i) points += dock.Buffer().Series(static_cast<size_t>(i)).size();
    }
    state.counters["samples"] = static_cast<double>(points);
}
// The share of the above that taking the sample and fitting the axes takes.
void BM_TrendSampleOnly(benchmark::State& state) {
    ScriptedHost host;
    CMainFrame frame(host);
    for (int i = 0; i < kTags; ++i)
        frame.doc().tags.push_back(std::make_unique<CTag>("Tag" + std::to_string(i), i % 2 ? "BOOL" : "DINT"));
    gui::TrendDock dock(frame);
    for (int i = 0; i < kTags; ++i) dock.AddTag("Tag" + std::to_string(i));
    dock.resize(640, 360);
    dock.show();
    int read = 0;
    for (; read < kWindowSamples; ++read) dock.Buffer().Append(read, Values(read));
    dock.Redraw();
    QApplication::processEvents();
    for (auto _ : state) {
        dock.Buffer().Append(read, Values(read));
        ++read;
        dock.Redraw();
    }
}
BENCHMARK(BM_TrendSampleOnly)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_TrendReadToRepaint)->Args({640, 360})->Args({1600, 500})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pontra

