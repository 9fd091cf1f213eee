// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/ProjectLayout.h"

#include <algorithm>

#include "build/TagLayout.h"
#include "model/ControllerTypes.h"
#include "model/Project.h"
#include "model/Types.h"

namespace pontra {

namespace {

bool IsVolatile(const CTag& tag) { return tag.alias.empty() && tag.nonVolatile == 0; }
bool IsNonVolatile(const CTag& tag) { return tag.alias.empty() && tag.nonVolatile != 0; }

bool ConfigurationTypeSet(const CProject& project) {
    return project.configEnabled != 0 && !project.configTypeName.empty();
}

// A function block's own tags get addresses relative to the start of an instance. They
// are placed exactly as an instance's members are (structure rule: alias members skipped,
// close, the scratch tags, the compiler's variables), so that the block's code and the
// memory its callers reserve agree; the memory an instance takes is the instance size.
void LayOutFunctionBlock(CProject& project, CUnit& unit) {
    LayoutCursor cursor;
    InitialImage scratch(0);
    OpenNewType(cursor, unit.name);
    for (auto& tag : unit.tags)
        if (tag->alias.empty()) PlaceTag(project, *tag, cursor, scratch);
    CloseLayout(cursor);
    const bool more = !unit.tags2.empty() || (unit.IsStructuredText() && !unit.stVariables.empty());
    for (auto& tag : unit.tags2) PlaceTag(project, *tag, cursor, scratch);
    if (unit.IsStructuredText())
        for (auto& tag : unit.stVariables) PlaceTag(project, *tag, cursor, scratch);
    // Closing twice after a BOOL would claim a word the instance does not reserve.
    if (more) CloseLayout(cursor);
    unit.instanceSize = cursor.offset;
}

// A user type's member declarations get offsets relative to the start of the type.
void LayOutUserType(const CProject& project, CType& type, CUnit& unit) {
    LayoutCursor cursor;
    InitialImage scratch(0);
    for (auto& declaration : type.members) {
        if (!declaration->alias.empty()) continue;
        CTag member(declaration->name, declaration->dataType);
        member.initialValue = declaration->initialValue;
        BuildMembers(project, member);
        PlaceTag(project, member, cursor, scratch);
        declaration->address = member.address;
        declaration->bit = member.bit;
        declaration->byteSize = member.byteSize;
        if (CTag* read = FindTag(unit.tags, declaration->name)) {
            read->address = member.address;
            read->bit = member.bit;
            read->byteSize = member.byteSize;
        }
    }
}

void CopyRange(const std::vector<uint8_t>& from, std::vector<uint8_t>& to, int begin, int end) {
    for (int a = std::max(begin, 0); a < end; ++a)
        if (static_cast<size_t>(a) < from.size() && static_cast<size_t>(a) < to.size())
            to[static_cast<size_t>(a)] = from[static_cast<size_t>(a)];
}

}  // namespace

bool LayOutProject(CProject& project, ProjectLayout& layout) {
    layout = ProjectLayout{};
    CVessaDoc& doc = project.doc;

    std::vector<uint8_t> controllerImage(kControllerImageSize, 0);
    layout.controllerSize = LayOutControllerArea(project, controllerImage);

    LayoutCursor cursor;
    cursor.offset = layout.controllerSize;
    InitialImage volatileImage(kTagMemorySize);
    for (auto& tag : doc.tags) {
        if (!IsVolatile(*tag)) continue;
        if (ConfigurationTypeSet(project) && tag->dataType == project.configTypeName) layout.configTag = tag.get();
        PlaceTag(project, *tag, cursor, volatileImage);
    }
    CloseLayout(cursor);
    for (auto& tag : doc.workTags) PlaceTag(project, *tag, cursor, volatileImage);

    for (auto& unit : project.units) {
        if (unit->IsFunctionBlock()) {
            LayOutFunctionBlock(project, *unit);
        } else if (unit->IsType()) {
            CType* type = project.FindType(unit->name);
            if (!type) return false;
            LayOutUserType(project, *type, *unit);
        }
    }

    layout.volatileSize = cursor.offset - layout.controllerSize;

    // The non-volatile pass continues the cursor; its stores go to their own block.
    InitialImage nonVolatileImage(kNonVolatileImageSize);
    for (auto& tag : doc.tags)
        if (IsNonVolatile(*tag)) PlaceTag(project, *tag, cursor, nonVolatileImage);
    CloseLayout(cursor);
    for (auto& unit : project.units) {
        if (!unit->IsFunctionBlock()) continue;
        for (auto& tag : unit->tags)
            if (IsNonVolatile(*tag)) PlaceTag(project, *tag, cursor, nonVolatileImage);
        CloseLayout(cursor);
    }
    if (layout.configTag) {
        for (auto& member : layout.configTag->members)
            if (IsNonVolatile(*member)) PlaceTag(project, *member, cursor, nonVolatileImage);
        CloseLayout(cursor);
    }

    layout.totalSize = cursor.offset;
    layout.nonVolatileSize = layout.totalSize - layout.volatileSize - layout.controllerSize;

    // Tag memory as the module receives it; nothing at or beyond 10000 is kept.
    const int kept = std::clamp(layout.totalSize, 0, kTagMemorySize);
    layout.memory.assign(static_cast<size_t>(kept), 0);
    CopyRange(controllerImage, layout.memory, 0, layout.controllerSize);
    CopyRange(volatileImage.Bytes(), layout.memory, layout.controllerSize, layout.NonVolatileStart());
    CopyRange(nonVolatileImage.Bytes(), layout.memory, layout.NonVolatileStart(), kept);
    return true;
}

std::string LayoutLimitMessage(const ProjectLayout& layout) {
    if (layout.totalSize > kTagMemorySize) return "Error - Tags size exceeds 10000 bytes!";
    if (layout.nonVolatileSize > kMaxNonVolatileSize) return "Error - Non-volatile Tags size exceeds 96 bytes!";
    return {};
}

}  // namespace pontra
