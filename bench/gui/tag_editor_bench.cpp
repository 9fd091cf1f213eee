// SPDX-License-Identifier: GPL-3.0-or-later
// The tag editor on a tag memory of 10,000 bytes filled with DINT arrays (100 arrays of
// 25 elements, each element with its 32 bits: 82,600 tags in all): opening the editor
// (model, view, first layout and paint) and one change of the filter. Target: under
// 50 ms each.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTreeView>

#include "gui/TagEditor.h"
#include "host/ScriptedHost.h"
#include "model/Types.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace {

using namespace pontra;

struct ArrayProject {
    ArrayProject() {
        frame.SetProject(NewProjectDocument());
        for (int i = 0; i < 100; ++i) {
            auto tag = std::make_unique<CTag>("Data" + std::to_string(i), "DINT[25]");
            tag->description = "Readings of zone " + std::to_string(i);
            BuildMembers(frame.project(), *tag);
            frame.doc().tags.push_back(std::move(tag));
        }
    }
    ScriptedHost host;
    CMainFrame frame{host};
};

ArrayProject& Project() {
    static ArrayProject project;
    return project;
}

void BM_OpenTagEditor(benchmark::State& state) {
    ArrayProject& p = Project();
    for (auto _ : state) {
        gui::TagEditor editor(p.frame, TagListSubject::Main());
        editor.resize(1200, 700);
        editor.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(editor.view()->model()->rowCount());
    }
}
BENCHMARK(BM_OpenTagEditor)->Unit(benchmark::kMillisecond);

void BM_FilterTagEditor(benchmark::State& state) {
    ArrayProject& p = Project();
    gui::TagEditor editor(p.frame, TagListSubject::Main());
    editor.resize(1200, 700);
    editor.show();
    // Two arrays expanded: their rows go with the filter and come back collapsed.
    editor.view()->expand(editor.view()->model()->index(0, 0));
    editor.view()->expand(editor.view()->model()->index(1, 0));
    QApplication::processEvents();
    bool narrow = true;
    for (auto _ : state) {
        editor.filterField()->setText(narrow ? "zone 4" : "");
        QApplication::processEvents();
        narrow = !narrow;
    }
}
BENCHMARK(BM_FilterTagEditor)->Unit(benchmark::kMillisecond);

}  // namespace

