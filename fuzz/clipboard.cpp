// SPDX-License-Identifier: GPL-3.0-or-later
// Clipboard payloads: a rung or element record from any program pasted into a ladder
// editor at any selection; whatever the paste lets in must then build or be refused
// with messages, and undo must bring the rungs back.
// Input: [in block][rung][element][rung format] then the payload.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "build/ProgramImage.h"
#include "files/Records.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/Clipboard.h"
#include "shell/LadderView.h"
#include "shell/MainFrame.h"

using namespace pontra;

namespace {

// A main program of a few rungs, tags of the usual kinds and a function block.
std::unique_ptr<CProject> Sample() {
    auto project = NewProject("Vessa");
    auto unit = std::make_unique<CUnit>("Block", kUnitFunctionBlock);
    unit->rungs.push_back(NewRung());
    auto in = std::make_unique<CTag>("In", "BOOL");
    in->usage = kUsageInput;
    unit->tags.push_back(std::move(in));
    project->units.push_back(std::move(unit));
    for (auto [name, type] :
         {std::pair{"A", "BOOL"}, {"N", "DINT"}, {"T", "TIMER"}, {"Arr", "DINT[4]"}, {"Inst", "Block"}}) {
        auto tag = std::make_unique<CTag>(name, type);
        BuildMembers(*project, *tag);
        project->doc.tags.push_back(std::move(tag));
    }
    auto& rungs = project->doc.rungs;
    auto xic = std::make_unique<CElement>(10);
    xic->operands[0] = "A";
    rungs.back()->Append(std::move(xic));
    rungs.push_back(NewRung());
    return project;
}

std::vector<uint8_t> RungBytes(LadderView& view) {
    ArchiveWriter out;
    for (const auto& r : view.Rungs()) WriteRung(out, *r);
    return out.Take();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An element record of 12 bytes becomes some 900 bytes of element.
    fuzz::HeapBudget budget(size, 128, 16 << 20);
    fuzz::Script in(data, size);
    fuzz::QuietHost quiet;
    ScriptedHost& host = *quiet;
    CMainFrame frame(host);
    frame.SetProject(Sample());
    LadderView view(frame, in.Flag() ? frame.project().FindUnit("Block") : nullptr);
    view.currentRung = static_cast<int>(in.Pick(view.Rungs().size()));
    CRung& current = *view.Rungs()[static_cast<size_t>(view.currentRung)];
    view.selected = current.elements[in.Pick(current.elements.size())].get();
    const char* format = in.Flag() ? kClipboardRungFormat : kClipboardElementFormat;
    const auto payload = in.Rest();
    host.clipboard[format] = std::string(payload.begin(), payload.end());

    const std::vector<uint8_t> before = RungBytes(view);
    if (LadderPaste(view) != ClipboardOutcome::Done) return 0;
    std::string path;
    BuildProgramImage(frame, path, true);
    view.Undo();
    FUZZ_CHECK(RungBytes(view) == before, "undo brings back the rungs before the paste");
    return 0;
}
