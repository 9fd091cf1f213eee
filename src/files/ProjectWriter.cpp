// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ProjectWriter.h"

#include "files/Archive.h"
#include "files/Records.h"
#include "model/Project.h"

namespace pontra {

namespace {

constexpr uint32_t kUnitRecordVersion = 1;
constexpr uint8_t kConfigBlockMarker = 1;

void AlignMemberScopes(CTag& tag) {
    for (auto& m : tag.members) {
        m->scope = tag.scope;
        AlignMemberScopes(*m);
    }
}

void WriteRungs(ArchiveWriter& out, const RungList& rungs) {
    out.U32(static_cast<uint32_t>(rungs.size()));
    for (const auto& r : rungs) WriteRung(out, *r);
}

void WriteTags(ArchiveWriter& out, TagList& tags, std::string_view controllerType = {}) {
    out.U32(static_cast<uint32_t>(tags.size()));
    for (auto& t : tags) {
        AlignMemberScopes(*t);
        WriteTag(out, *t, controllerType);
    }
}

bool WriteUnit(ArchiveWriter& out, CProject& project, CUnit& unit, std::string& error) {
    out.U32(kUnitRecordVersion);
    out.Text(unit.name);
    out.U8(unit.kind);
    out.U8(unit.language);
    if (unit.language == kLanguageST) {
        out.U32(static_cast<uint32_t>(unit.text.size()));
        for (size_t i = 0; i < unit.text.size(); ++i) {
            const std::string& line = unit.text[i];
            if (line.size() > kMaxSTLineLength) {
                error = "line " + std::to_string(i + 1) + " of '" + unit.name + "' is longer than " +
                        std::to_string(kMaxSTLineLength) + " characters";
                return false;
            }
            out.U32(static_cast<uint32_t>(line.size()));
            out.Raw(line);
        }
    } else {
        WriteRungs(out, unit.rungs);
    }
    if (unit.IsType()) {
        // A type's member declarations live in the type list; the unit only names it.
        if (CType* type = project.FindType(unit.name)) WriteTags(out, type->members);
        else out.U32(0);
    } else {
        WriteTags(out, unit.tags);
    }
    return true;
}

void WriteConfigurationBlock(ArchiveWriter& out, const CType& type) {
    out.U8(kConfigBlockMarker);
    out.U32(static_cast<uint32_t>(type.members.size()));
    for (const auto& m : type.members) {
        out.Text(m->name);
        out.Text(m->configText);
        out.U8(m->configMode);
        out.U32(static_cast<uint32_t>(m->choiceTexts.size()));
        for (size_t i = 0; i < m->choiceTexts.size(); ++i) {
            out.Text(m->choiceTexts[i]);
            out.U32(i < m->choiceValues.size() ? m->choiceValues[i] : 0);
        }
    }
}

}  // namespace

bool WriteProject(CProject& project, std::vector<uint8_t>& bytes, std::string& error) {
    CVessaDoc& doc = project.doc;
    ArchiveWriter out;
    out.U32(kCurrentFormatVersion);
    out.U32(doc.timeStamp);
    out.U32(doc.moduleAddress);
    out.Text(doc.controllerType);
    WriteRungs(out, doc.rungs);
    WriteTags(out, doc.tags);
    WriteTags(out, doc.controllerTags, doc.controllerType);
    out.U32((static_cast<uint32_t>(doc.version.major) << 16) | doc.version.minor);
    out.U32(doc.version.revision);
    out.U32(doc.version.revision);  // the two reserved words
    out.U32(doc.version.revision);
    out.U32(static_cast<uint32_t>(project.units.size()));
    for (auto& unit : project.units)
        if (!WriteUnit(out, project, *unit, error)) return false;
    if (project.configEnabled) {
        bool typeUnit = false;
        for (const auto& unit : project.units) typeUnit = typeUnit || (unit->IsType() && unit->name == project.configTypeName);
        const CType* type = project.FindType(project.configTypeName);
        if (typeUnit && type) WriteConfigurationBlock(out, *type);
    }
    bytes = out.Take();
    return true;
}

}  // namespace pontra
