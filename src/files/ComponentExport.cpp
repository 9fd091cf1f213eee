// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ComponentExport.h"

#include <utility>

#include "files/RungText.h"
#include "files/SafeFileWrite.h"
#include "model/CompilerQuirks.h"
#include "model/Naming.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

template <typename TagT>
void CollectSlots(TagT& tag, std::vector<TagT*>& slots) {
    for (auto& member : tag.members) {
        if (!member->alias.empty()) continue;
        if (IsElementary(member->dataType))
            slots.push_back(member.get());
        else
            CollectSlots<TagT>(*member, slots);
    }
}

bool IsDefaultValue(const std::string& value) { return value.empty() || value == "0"; }

// " := (v1,v2,...)" for an array or structure whose values differ from those a new tag
// of its type gets; empty otherwise.
std::string ValueListText(const CProject& project, const CTag& tag) {
    const std::vector<const CTag*> slots = InitialValueSlots(tag);
    if (slots.empty()) return {};
    CTag fresh(tag.name, tag.dataType);
    BuildMembers(project, fresh);
    const std::vector<const CTag*> defaults = InitialValueSlots(std::as_const(fresh));
    bool same = defaults.size() == slots.size();
    for (size_t i = 0; same && i < slots.size(); ++i) same = slots[i]->initialValue == defaults[i]->initialValue;
    if (same) return {};
    std::string text = " := (";
    for (size_t i = 0; i < slots.size(); ++i) {
        if (i > 0) text += ',';
        text += IsDefaultValue(slots[i]->initialValue) ? std::string("0") : slots[i]->initialValue;
    }
    return text + ")";
}

bool TagAllowed(const CTag& tag) { return !tag.name.empty() && IsValidSymbolName(tag.name) && !HasBraces(tag.description); }

bool TagsAllowed(const TagList& tags) {
    for (const auto& tag : tags)
        if (!TagAllowed(*tag)) return false;
    return true;
}

bool RungsAllowed(const RungList& rungs) {
    for (const auto& rung : rungs)
        if (HasBraces(rung.get()->comment)) return false;
    return true;
}

const TagList& TypeMembers(const CProject& project, const CUnit& unit) {
    if (const CType* type = project.FindType(unit.name)) return type->members;
    return unit.tags;
}

bool UnitAllowed(const CProject& project, const CUnit& unit) {
    if (unit.IsType()) return TagsAllowed(TypeMembers(project, unit));
    return TagsAllowed(unit.tags) && (unit.IsStructuredText() || RungsAllowed(unit.rungs));
}

void AppendSection(const CProject& project, const char* keyword, const TagList& tags,
                   bool (*belongs)(const CTag&), std::string& out) {
    std::string lines;
    for (const auto& tag : tags)
        if (belongs(*tag)) lines += DeclarationLine(project, *tag);
    if (lines.empty()) return;
    out += keyword;
    out += "\r\n";
    out += lines;
    out += "END_VAR\r\n\r\n";
}

bool IsLocalOrStatic(const CTag& tag) { return tag.usage == kUsageNone || tag.usage == kUsageStatic; }

void AppendMainProgram(const CProject& project, std::string& out) {
    out += "PROGRAM Main \r\n\r\n";
    out += "VAR\r\n";
    for (const auto& tag : project.doc.tags)
        if (IsLocalOrStatic(*tag)) out += DeclarationLine(project, *tag);
    out += "END_VAR\r\n\r\n";
    for (const auto& rung : project.doc.rungs) AppendRungText(*rung, out);
    out += "END_PROGRAM\r\n";
}

void AppendFunctionBlock(const CProject& project, const CUnit& unit, std::string& out) {
    out += "FUNCTION_BLOCK " + unit.name + "\r\n\r\n";
    AppendSection(project, "VAR_INPUT", unit.tags, [](const CTag& t) { return t.usage == kUsageInput; }, out);
    AppendSection(project, "VAR_OUTPUT", unit.tags, [](const CTag& t) { return t.usage == kUsageOutput; }, out);
    AppendSection(project, "VAR_IN_OUT", unit.tags, [](const CTag& t) { return t.usage == kUsageInOut; }, out);
    AppendSection(project, "VAR", unit.tags, IsLocalOrStatic, out);
    if (unit.IsStructuredText()) {
        for (const auto& line : unit.text) out += line + "\r\n";
    } else {
        for (const auto& rung : unit.rungs) AppendRungText(*rung, out);
    }
    out += "END_FUNCTION_BLOCK\r\n";
}

void AppendType(const CProject& project, const CUnit& unit, std::string& out) {
    out += "TYPE " + unit.name + "\r\n\r\n";
    out += "VAR\r\n";
    for (const auto& member : TypeMembers(project, unit)) out += DeclarationLine(project, *member);
    out += "END_VAR\r\n\r\n";
    out += "END_TYPE\r\n";
}

void AppendUnit(const CProject& project, const CUnit& unit, std::string& out) {
    if (unit.IsType())
        AppendType(project, unit, out);
    else
        AppendFunctionBlock(project, unit, out);
}

}  // namespace

std::vector<const CTag*> InitialValueSlots(const CTag& tag) {
    std::vector<const CTag*> slots;
    if (!IsElementary(tag.dataType)) CollectSlots<const CTag>(tag, slots);
    return slots;
}

std::vector<CTag*> InitialValueSlots(CTag& tag) {
    std::vector<CTag*> slots;
    if (!IsElementary(tag.dataType)) CollectSlots<CTag>(tag, slots);
    return slots;
}

std::string DeclarationLine(const CProject& project, const CTag& tag) {
    std::string line = tag.name;
    if (!tag.alias.empty()) line += "{alias = " + tag.alias + "}";
    if (!tag.description.empty()) line += "{description = " + tag.description + "}";
    if (!tag.alias.empty()) return line + ";\r\n";
    line += ": ";
    if (auto array = ParseArrayType(tag.dataType)) {
        line += "ARRAY[" + std::to_string(array->dim1);
        // "," + a temporary string: GCC 12's -Wrestrict report on it is false.
        PONTRA_GCC_STRING_WRESTRICT_BEGIN
        if (array->dim2) line += "," + std::to_string(array->dim2);
        PONTRA_GCC_STRING_WRESTRICT_END
        line += "] OF " + array->element;
    } else {
        line += tag.dataType;
    }
    if (IsElementary(tag.dataType)) {
        if (!IsDefaultValue(tag.initialValue)) line += " := " + tag.initialValue;
    } else {
        line += ValueListText(project, tag);
    }
    return line + ";\r\n";
}

std::optional<std::string> ExportText(const CProject& project, ExportSubject subject, const CUnit* unit) {
    std::string out;
    switch (subject) {
    case ExportSubject::MainProgram:
    case ExportSubject::MainTask:
        if (!TagsAllowed(project.doc.tags) || !RungsAllowed(project.doc.rungs)) return std::nullopt;
        if (subject == ExportSubject::MainTask)
            for (const auto& u : project.units)
                if (!UnitAllowed(project, *u)) return std::nullopt;
        AppendMainProgram(project, out);
        if (subject == ExportSubject::MainTask) {
            for (const auto& u : project.units) {
                out += "\r\n";
                AppendUnit(project, *u, out);
            }
        }
        return out;
    case ExportSubject::FunctionBlock:
    case ExportSubject::Type:
        if (!unit || !UnitAllowed(project, *unit)) return std::nullopt;
        AppendUnit(project, *unit, out);
        return out;
    }
    return std::nullopt;
}

bool ExportComponent(CMainFrame& frame, ExportSubject subject, const CUnit* unit, const std::string& path) {
    if (frame.commitPendingEdits) frame.commitPendingEdits();
    Host& host = frame.host();
    const std::optional<std::string> text = ExportText(frame.project(), subject, unit);
    if (!text) {
        host.Message(kExportForbiddenSymbol);
        return false;
    }
    host.EmptyClipboard();
    host.SetClipboard(Host::kClipboardText, *text);
    std::string target = path;
    if (target.empty()) {
        FileDialogRequest request;
        request.save = true;
        request.filter = kComponentFileFilter;
        request.defaultExtension = kComponentFileExtension;
        std::optional<std::string> chosen = host.ChooseFile(request);
        if (!chosen || chosen->empty()) return false;
        target = *chosen;
    }
    std::string error;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text->data());
    if (!WriteFileSafely(target, std::span<const uint8_t>(bytes, text->size()), error)) {
        host.Message("Can't write the file '" + target + "'!\r\n" + error);
        return false;
    }
    return true;
}

bool ExportMainProgram(CMainFrame& frame, const std::string& path) {
    return ExportComponent(frame, ExportSubject::MainProgram, nullptr, path);
}

bool ExportMainTask(CMainFrame& frame, const std::string& path) {
    return ExportComponent(frame, ExportSubject::MainTask, nullptr, path);
}

bool ExportFunctionBlock(CMainFrame& frame, const CUnit& unit, const std::string& path) {
    return ExportComponent(frame, ExportSubject::FunctionBlock, &unit, path);
}

bool ExportType(CMainFrame& frame, const CUnit& unit, const std::string& path) {
    return ExportComponent(frame, ExportSubject::Type, &unit, path);
}

}  // namespace pontra
