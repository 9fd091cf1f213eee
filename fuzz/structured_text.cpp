// SPDX-License-Identifier: GPL-3.0-or-later
// Structured Text: any text as the body of a function block in a whole project build
// (compile, verification, layout and code generation up to the image header).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "build/ProgramImage.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/MainFrame.h"

using namespace pontra;

namespace {

void AddTag(const CProject& project, TagList& tags, const char* name, const char* type, int usage) {
    auto tag = std::make_unique<CTag>(name, type);
    tag->usage = usage;
    BuildMembers(project, *tag);
    tags.push_back(std::move(tag));
}

// "Calc" in Structured Text, with parameters and locals of every kind the compiler
// treats differently, called from the main program; "Helper" is a ladder block it may call.
std::unique_ptr<CProject> Sample(std::vector<std::string> text) {
    auto project = NewProject("VessaK2");
    auto helper = std::make_unique<CUnit>("Helper", kUnitFunctionBlock);
    helper->rungs.push_back(NewRung());
    AddTag(*project, helper->tags, "In", "DINT", kUsageInput);
    AddTag(*project, helper->tags, "Out", "DINT", kUsageOutput);
    project->units.push_back(std::move(helper));

    auto calc = std::make_unique<CUnit>("Calc", kUnitFunctionBlock, kLanguageST);
    CUnit& unit = *calc;
    project->units.push_back(std::move(calc));
    AddTag(*project, unit.tags, "x", "DINT", kUsageInput);
    AddTag(*project, unit.tags, "b", "BOOL", kUsageInput);
    AddTag(*project, unit.tags, "y", "DINT", kUsageOutput);
    AddTag(*project, unit.tags, "s", "SINT", kUsageStatic);
    AddTag(*project, unit.tags, "i", "INT", kUsageStatic);
    AddTag(*project, unit.tags, "arr", "DINT[8]", kUsageStatic);
    AddTag(*project, unit.tags, "m", "DINT[3,4]", kUsageStatic);
    AddTag(*project, unit.tags, "t", "IEC_TON", kUsageStatic);
    AddTag(*project, unit.tags, "c", "IEC_CTU", kUsageStatic);
    AddTag(*project, unit.tags, "h", "Helper", kUsageStatic);
    unit.text = std::move(text);

    AddTag(*project, project->doc.tags, "inst", "Calc", kUsageNone);
    project->doc.rungs.clear();
    project->doc.rungs.push_back(NewRung());
    auto call = std::make_unique<CElement>(kKindJFB);
    call->operands[0] = "inst";
    project->doc.rungs[0]->Append(std::move(call));
    return project;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Tokens and error lines: some 200 bytes per byte of text at most.
    fuzz::HeapBudget budget(size, 256, 16 << 20);
    fuzz::QuietHost host;
    CMainFrame frame(*host);
    frame.SetProject(Sample(fuzz::ModelLines({reinterpret_cast<const char*>(data), size})));
    std::string path;
    BuildProgramImage(frame, path, true);
    return 0;
}
