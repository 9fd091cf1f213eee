// SPDX-License-Identifier: GPL-3.0-or-later
// The ladder editor with a main program of 2,000 rungs (the line module's groups of ten
// rungs of one or two instructions, with the tags they name): laying it all out, painting
// one viewport at 100 % and 25 %, and applying one complete read of live values to the
// rungs in view. Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "comm/UdpRequest.h"
#include "gui/LadderEditor.h"
#include "host/ScriptedHost.h"
#include "model/Catalogue.h"
#include "model/Types.h"
#include "online/OnlineSession.h"
#include "shell/LadderLayout.h"
#include "shell/MainFrame.h"

namespace pontra::gui {
namespace {

std::unique_ptr<CElement> Element(const char* mnemonic, std::initializer_list<std::string> operands) {
    auto e = std::make_unique<CElement>(MnemonicToKind(mnemonic));
    size_t i = 0;
    for (const auto& o : operands) e->operands[i++] = o;
    return e;
}

// The line program of the online benchmarks, with descriptions on its tags and an
// address for each so live values can be read.
void FillLine(CMainFrame& frame, int count) {
    CProject& project = frame.project();
    int address = 400;
    auto add = [&](const std::string& name, const char* type) {
        auto tag = std::make_unique<CTag>(name, type);
        tag->description = "Zone " + name + " of the conveyor line";
        BuildMembers(project, *tag);
        tag->address = address;
        int offset = 0;
        for (auto& m : tag->members) m->address = address + 4 * offset++;
        address += 4 * std::max<int>(1, static_cast<int>(tag->members.size()));
        project.doc.tags.push_back(std::move(tag));
    };
    for (int i = 0; i < count; ++i) add("B" + std::to_string(i), "BOOL");
    for (int t = 0; t <= (count - 1) / 80; ++t) add("T" + std::to_string(t), "TIMER");
    for (int c = 0; c <= (count - 1) / 160; ++c) add("C" + std::to_string(c), "COUNTER");
    add("Level", "DINT");
    auto& rungs = project.doc.rungs;
    rungs.clear();
    for (int i = 0; i < count; ++i) {
        const std::string own = "B" + std::to_string(i), prev = "B" + std::to_string(std::max(0, i - 1)),
                          back = "B" + std::to_string(std::max(0, i - 5)), t = "T" + std::to_string(i / 80),
                          c = "C" + std::to_string(i / 160);
        auto rung = NewRung();
        switch (i % 10) {
            case 0: rung->Append(Element("XIC", {back})); rung->Append(Element("TON", {t})); break;
            case 1: rung->Append(Element("XIC", {t + ".DN"})); rung->Append(Element("OTE", {own})); break;
            case 2: rung->Append(Element("XIC", {prev})); rung->Append(Element("CTU", {c})); break;
            case 3: rung->Append(Element("XIO", {prev})); rung->Append(Element("OTE", {own})); break;
            case 4: rung->Append(Element("MOV", {t + ".ACC", "Level"})); break;
            case 5: rung->Append(Element("OTE", {own})); break;
            case 6: rung->Append(Element("OTL", {own})); break;
            case 7: rung->Append(Element("OTU", {back})); break;
            case 8: rung->Append(Element("OTE", {own})); break;
            default: rung->Append(Element("OTU", {prev})); break;
        }
        rungs.push_back(std::move(rung));
    }
    project.doc.SetModuleAddress(0x7F000063u);
}

void BM_LayoutAllRungs(benchmark::State& state) {
    ScriptedHost host;
    CMainFrame frame{host};
    FillLine(frame, 2000);
    for (auto _ : state) {
        LadderLayout layout;
        benchmark::DoNotOptimize(layout.Sync(frame.doc().rungs));
        layout.StoreRects();
    }
}
BENCHMARK(BM_LayoutAllRungs)->Unit(benchmark::kMillisecond);

void BM_PaintViewport(benchmark::State& state) {
    ScriptedHost host;
    CMainFrame frame{host};
    FillLine(frame, 2000);
    LadderEditor editor(frame, nullptr);
    editor.resize(1280, 900);
    editor.SetZoom(static_cast<int>(state.range(0)));
    editor.show();
    QApplication::processEvents();
    QImage image(editor.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        editor.viewport()->render(&image);
    }
}
BENCHMARK(BM_PaintViewport)->Arg(100)->Arg(25)->Unit(benchmark::kMillisecond);

void BM_ApplyLiveRead(benchmark::State& state) {
    ScriptedHost host;
    CMainFrame frame{host};
    FillLine(frame, 2000);
    LadderEditor editor(frame, nullptr);
    editor.resize(1280, 900);
    editor.show();
    QApplication::processEvents();
    std::vector<uint8_t> memory(9000, 0);
    frame.online().SetPorts({27001, 30001, 47001});
    frame.online().EnterDebugMode(memory);
    editor.DebugModeChanged();
    UdpRequest reply;
    reply.command = kUdpReadMemory;
    reply.count = 1000;
    reply.state = kUdpAnswered;
    reply.replyLength = static_cast<uint32_t>(kUdpHeaderSize + 1000);
    int flip = 0;
    for (auto _ : state) {
        // One complete read whose values differ from the last: every chunk, then the view.
        ++flip;
        for (int at = 0; at < 9000; at += 1000) {
            reply.address = static_cast<uint16_t>(at);
            std::fill(reply.reply.begin() + kUdpHeaderSize, reply.reply.begin() + kUdpHeaderSize + 1000,
                      static_cast<uint8_t>(flip & 1 ? 0x55 : 0xAA));
            frame.online().OnReadAnswered(reply);
        }
        editor.LiveValuesChanged();
        // With argument 1 the repaint of the rungs that changed is timed as well.
        if (state.range(0)) QApplication::processEvents();
    }
    state.counters["rungsRepainted"] = editor.LastLiveRepaints();
}
BENCHMARK(BM_ApplyLiveRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pontra::gui

