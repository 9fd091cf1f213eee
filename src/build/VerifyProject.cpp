// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/VerifyProject.h"

#include <algorithm>

#include "build/Verifier.h"
#include "model/Naming.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/MainFrame.h"
#include "shell/Titles.h"
#include "st/StructuredText.h"

namespace pontra {

namespace {

// Tens of thousands of members (every bit of every integer) are visited at each
// verification; most are clear already and are only read.
void ClearUsed(CTag& tag) {
    if (tag.work2 != 0) tag.work2 = 0;
    for (auto& member : tag.members) ClearUsed(*member);
}

bool IsThreeDimensional(const std::string& type) {
    const size_t open = type.find('[');
    return open != std::string::npos && std::count(type.begin() + static_cast<std::ptrdiff_t>(open), type.end(), ',') >= 2;
}

std::string MainWindowTitle(const CMainFrame& frame) {
    TitleState state;
    state.online = frame.debugMode != 0;
    state.statusSuffix = frame.statusSuffix;
    return WindowTitles(frame.project(), state)["main"];
}

}  // namespace

Verifier::Verifier(CMainFrame& frame) : frame_(frame), project_(frame.project()), output_(frame.output) {}

bool Verifier::Run() {
    output_.ClearOutput();
    frame_.compileError = false;
    const std::string title = MainWindowTitle(frame_);
    output_.AddOutputLine("Verify " + title + " ...");

    CheckArrayDimensions();
    VerifyMainProgram();
    for (auto& unit : project_.units) {
        if (unit->IsType()) VerifyType(*unit);
        else if (unit->IsFunctionBlock()) VerifyFunctionBlock(*unit);
    }

    const int errors = CountErrors();
    std::string shortTitle = title;
    if (const size_t cut = shortTitle.find(" - Main Routine ("); cut != std::string::npos) shortTitle.resize(cut);
    output_.AddOutputLine("Verify " + shortTitle + " - " + std::to_string(errors) + " error(s)");

    // "Error at line" lines lead to the first Structured Text unit that failed.
    if (!firstFailedText_.empty()) output_.compiledUnit = firstFailedText_;

    // The self-check reports through its own message and never changes the result.
    InstanceSelfCheck(frame_);
    return errors == 0;
}

void Verifier::CheckArrayDimensions() {
    const std::string text = " -> Three dimensional array is not supported.";
    for (const auto& tag : project_.doc.tags)
        if (IsThreeDimensional(tag->dataType)) output_.AddOutputLine("Error at Tag: " + tag->name + text);
    for (const auto& tag : project_.doc.controllerTags)
        if (IsThreeDimensional(tag->dataType)) output_.AddOutputLine("Error at Controller Tag: " + tag->name + text);
    for (const auto& unit : project_.units) {
        const CType* type = unit->IsType() ? project_.FindType(unit->name) : nullptr;
        for (const auto& tag : type ? type->members : unit->tags)
            if (IsThreeDimensional(tag->dataType)) output_.AddOutputLine("Error at Tag: " + tag->name + text);
    }
}

void Verifier::CheckTagList(TagList& tags) {
    for (auto& tag : tags) {
        ClearUsed(*tag);
        if (!IsValidSymbolName(tag->name)) output_.AddOutputLine("Error: Tag: " + tag->name + " -> Incorrect tag name");
        if (HasBraces(tag->description))
            output_.AddOutputLine("Error: Tag: " + tag->name + " -> Incorrect tag description");
    }
}

void Verifier::VerifyMainProgram() {
    CVessaDoc& doc = project_.doc;
    CheckTagList(doc.tags);
    doc.workTags.clear();
    UnitScope scope = MainProgramScope(project_);
    IndexTagNames(scope);  // every operand is looked up
    CheckRungs(scope, doc.rungs);
    WarnUnused(doc.tags);
}

void Verifier::VerifyFunctionBlock(CUnit& unit) {
    output_.AddOutputLine("Verify Function Block " + unit.name + " ...");
    if (!IsValidSymbolName(unit.name))
        output_.AddOutputLine("Error: Component: " + unit.name + " -> Incorrect component name");
    CheckTagList(unit.tags);
    unit.tags2.clear();
    UnitScope scope = FunctionBlockScope(project_, unit);
    IndexTagNames(scope);
    if (unit.IsStructuredText()) {
        // The compiler checks the text and reports in its own lines; its rungs are
        // trusted, but their operands still mark tags used and need scratch tags.
        if (!CompileStructuredTextUnit(frame_, unit) && firstFailedText_.empty()) firstFailedText_ = unit.name;
        for (const auto& rung : unit.rungs) NoteGeneratedOperands(scope, *rung);
    } else {
        CheckRungs(scope, unit.rungs);
    }
    WarnUnused(unit.tags);
}

void Verifier::VerifyType(CUnit& unit) {
    output_.AddOutputLine("Verify Type " + unit.name + " ...");
    if (!IsValidSymbolName(unit.name))
        output_.AddOutputLine("Error: Component: " + unit.name + " -> Incorrect component name");
    CType* type = project_.FindType(unit.name);
    CheckTagList(type ? type->members : unit.tags);
}

void Verifier::CheckRungs(const UnitScope& scope, RungList& rungs) {
    for (size_t r = 0; r < rungs.size(); ++r) {
        const int rung = static_cast<int>(r);
        if (HasBraces(rungs[r]->comment))
            output_.AddOutputLine("Error at Rung: " + std::to_string(rung) + " -> Incorrect rung comment");
        CheckElements(scope, *rungs[r], rung);
    }
}

void Verifier::NoteGeneratedOperands(const UnitScope& scope, const CRung& rung) {
    for (const auto& element : rung.elements) {
        for (const auto& leg : element->legs) NoteGeneratedOperands(scope, *leg);
        for (int i = 0; i < element->operandCount && i < kMaxOperands; ++i) {
            const std::string& text = element->operands[static_cast<size_t>(i)];
            if (TagRef ref = FindOperandTag(scope, text)) {
                MarkUsed(scope, ref);
                continue;
            }
            auto array = ParseArrayOperand(text);
            if (!array) continue;
            if (TagRef base = FindOperandTag(scope, array->name)) {
                MarkUsed(scope, base);
                EnsureScratchTags(scope);
            }
            for (const auto& index : array->indexes)
                if (TagRef ref = FindOperandTag(scope, index)) MarkUsed(scope, ref);
        }
    }
}

void Verifier::WarnUnused(const TagList& tags) {
    for (const auto& tag : tags)
        if (tag->work2 == 0) output_.AddOutputLine("Warning: Tag: " + tag->name + " -> Not used");
}

int Verifier::CountErrors() const {
    int count = 0;
    for (const auto& line : output_.Lines())
        if (line.text.starts_with("Error")) ++count;
    return count;
}

bool VerifyProject(CMainFrame& frame) { return Verifier(frame).Run(); }

}  // namespace pontra
