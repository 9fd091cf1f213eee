// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/ProgramCode.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "build/StructuredTextRungCode.h"
#include "model/Project.h"
#include "shell/MainFrame.h"

namespace pontra {

using namespace image;

namespace {

constexpr int kKindLbl = 47;

class ProgramCoder {
public:
    ProgramCoder(CMainFrame& frame, CodeBuffer& code, std::vector<CJFB>& calls)
        : frame_(frame), project_(frame.project()), output_(frame.output), code_(code), calls_(calls) {}

    bool GenerateUnit(CUnit* unit, size_t listIndex);

private:
    bool ResolveJumps(const UnitCodeRecords& records, bool structuredText);

    CMainFrame& frame_;
    CProject& project_;
    OutputWindow& output_;
    CodeBuffer& code_;
    std::vector<CJFB>& calls_;
};

bool ProgramCoder::GenerateUnit(CUnit* unit, size_t listIndex) {
    UnitCodeRecords records;
    UnitScope scope = unit ? FunctionBlockScope(project_, *unit) : MainProgramScope(project_);
    IndexTagNames(scope);  // every operand of the unit is looked up
    const bool structuredText = unit && unit->IsStructuredText();
    RungCoder coder(scope, code_, output_, records);

    if (unit) {
        unit->codeAddress = code_.Position();
        coder.Emit(InstructionWord(kFunctionBlockHeader));
        coder.Emit(static_cast<uint32_t>(unit->instanceSize));
    }
    const RungList& rungs = unit ? unit->rungs : project_.doc.rungs;
    for (size_t r = 0; r < rungs.size(); ++r) {
        const CRung& rung = *rungs[r];
        coder.SetRung(static_cast<int>(r));
        if (rung.elements.size() > 1 && rung.elements[1]->kind == kKindLbl) {
            const CElement& label = *rung.elements[1];
            records.labels.push_back({&label, label.operands[0], code_.Position(), static_cast<int>(r), 0});
        }
        if (structuredText) GenerateStructuredTextRung(coder, rung);
        else GenerateLadderRung(coder, rung);
    }
    if (unit) {
        coder.EmitSimple(kRung);
        coder.EmitSimple(kRfb);
        coder.EmitSimple(kRnd);
    }
    coder.EmitSimple(kEnd);
    const bool moreBlocks = std::any_of(project_.units.begin() + static_cast<std::ptrdiff_t>(unit ? listIndex + 1 : 0),
                                        project_.units.end(), [](const auto& u) { return u->IsFunctionBlock(); });
    coder.Emit(moreBlocks ? kMarkerMoreFirst : kMarkerLastFirst);
    coder.Emit(moreBlocks ? kMarkerMoreSecond : kMarkerLastSecond);

    if (code_.Overflowed()) {
        output_.AddOutputLine("Error: Program code exceeds " + std::to_string(kCodeBufferSize) + " bytes");
        return false;
    }
    if (!coder.Ok()) return false;
    calls_.insert(calls_.end(), records.calls.begin(), records.calls.end());
    return ResolveJumps(records, structuredText);
}

bool ProgramCoder::ResolveJumps(const UnitCodeRecords& records, bool structuredText) {
    // The first label of each name (a unit compiled from Structured Text has thousands).
    std::unordered_map<std::string_view, const CLabel*> labels;
    labels.reserve(records.labels.size());
    for (const CLabel& label : records.labels) labels.try_emplace(label.name, &label);
    std::string lastError;
    for (const CLabel& jump : records.jumps) {
        const auto found = labels.find(jump.name);
        const CLabel* label = found == labels.end() ? nullptr : found->second;
        const char* problem = nullptr;
        if (!label) {
            problem = "JMP instruction is referenced to invalid label";
        } else if (label->rung > jump.rung || structuredText) {
            if (label->rung <= jump.rung) code_.PatchByte(jump.position + 1, kBackwardJump);
            code_.Patch(jump.position + 4, static_cast<uint32_t>(label->position / 4));
        } else {
            problem = "JMP instruction is situated after LBL instruction";
        }
        if (problem) {
            const std::string error = "Error at Rung: " + std::to_string(jump.rung) + ", Element: " +
                                      jump.element->mnemonic + ", Operand: 0 -> " + problem;
            output_.AddOutputLine(error, jump.element);
            lastError = error;
        }
    }
    if (lastError.empty()) return true;
    frame_.host().Message(lastError);
    return false;
}

}  // namespace

bool GenerateProgramCode(CMainFrame& frame, CodeBuffer& code, std::vector<CJFB>& calls) {
    ProgramCoder coder(frame, code, calls);
    if (!coder.GenerateUnit(nullptr, 0)) return false;
    const UnitList& units = frame.project().units;
    for (size_t i = 0; i < units.size(); ++i)
        if (units[i]->IsFunctionBlock() && !coder.GenerateUnit(units[i].get(), i)) return false;
    return true;
}

bool ResolveCalls(const CProject& project, const std::vector<CJFB>& calls, CodeBuffer& code) {
    for (const CJFB& call : calls) {
        if (call.unitIndex < 0 || static_cast<size_t>(call.unitIndex) >= project.units.size()) return false;
        code.Patch(call.position, static_cast<uint32_t>(project.units[static_cast<size_t>(call.unitIndex)]->codeAddress / 4));
    }
    return true;
}

}  // namespace pontra
