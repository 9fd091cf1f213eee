// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ControllerTagMerge.h"

#include <map>
#include <string>

#include "model/CompilerQuirks.h"
#include "model/ControllerTypes.h"
#include "model/Project.h"
#include "model/Types.h"
#include "model/ValueStyle.h"

namespace pontra {

namespace {

struct OldName {
    const char* old;
    const char* current;
};
constexpr OldName kOldServoNames[] = {{"ServoControlLeft", "ServoSetPointLeft"},
                                      {"ServoControlRight", "ServoSetPointRight"}};

void SetScope(CTag& tag, int scope) {
    tag.scope = scope;
    for (auto& m : tag.members) SetScope(*m, scope);
}

void TakeUserSettings(CTag& target, const CTag& stored) {
    target.description = stored.description;
    if (target.dataType == stored.dataType) {
        target.initialValue = stored.initialValue;
        target.style = stored.style;
    }
}

// Bit members carry the value too (the controller image is written from them), so a
// value that arrives without its bits hands them down.
void SetBitsFromValue(CTag& tag) {
    if (!IsElementary(tag.dataType) || tag.dataType == "BOOL") return;
    const uint32_t value = static_cast<uint32_t>(DecimalToInt(tag.initialValue));
    for (size_t bit = 0; bit < tag.members.size() && bit < 32; ++bit) {
        // A one-character assignment: GCC 12's -Wrestrict report on it is false.
        PONTRA_GCC_STRING_WRESTRICT_BEGIN
        tag.members[bit]->initialValue = ((value >> bit) & 1u) ? "1" : "0";
        PONTRA_GCC_STRING_WRESTRICT_END
    }
}

void IndexMembers(CTag& tag, std::map<std::string, CTag*>& index) {
    for (auto& m : tag.members) {
        index.emplace(m->name, m.get());
        IndexMembers(*m, index);
    }
}

// Stored members are named after the stored tag; under an old name their prefix changes.
std::string CurrentMemberName(const std::string& name, const std::string& storedTag, const std::string& currentTag) {
    if (storedTag == currentTag || !name.starts_with(storedTag)) return name;
    return currentTag + name.substr(storedTag.size());
}

void MergeMembers(const CTag& stored, const std::string& storedTag, const std::string& currentTag,
                  const std::map<std::string, CTag*>& index) {
    for (const auto& m : stored.members) {
        auto found = index.find(CurrentMemberName(m->name, storedTag, currentTag));
        if (found != index.end()) TakeUserSettings(*found->second, *m);
        MergeMembers(*m, storedTag, currentTag, index);
    }
}

}  // namespace

ControllerTagMerge::ControllerTagMerge(CProject& project, int firstSlot)
    : project_(project), nextSlot_(static_cast<size_t>(firstSlot)) {}

void ControllerTagMerge::Merge(std::unique_ptr<CTag> stored) {
    TagList& list = project_.doc.controllerTags;
    SetScope(*stored, 1);
    if (stored->connectionKind != kConnNone) {
        // A type has only so many slots; a file with more connection tags than that
        // (or a connection tag for a type without slots) loses the surplus.
        if (nextSlot_ < list.size()) list[nextSlot_] = std::move(stored);
        ++nextSlot_;
        return;
    }
    std::string name = stored->name;
    bool oldName = false;
    for (const auto& rename : kOldServoNames) {
        if (name == rename.old) {
            name = rename.current;
            oldName = true;
        }
    }
    CTag* target = FindTag(list, name);
    if (!target) return;
    if (oldName) {
        oldServoName_ = true;
        project_.projectUpdated = 1;
    }
    TakeUserSettings(*target, *stored);
    if (stored->members.empty() && stored->dataType == target->dataType) SetBitsFromValue(*target);
    std::map<std::string, CTag*> index;
    IndexMembers(*target, index);
    MergeMembers(*stored, stored->name, name, index);
}

void ControllerTagMerge::Finish() {
    const std::string& type = project_.doc.controllerType;
    for (auto& tag : project_.doc.controllerTags) {
        if (!HasDescriptionTable(type, tag->name)) continue;
        for (size_t i = 0; i < tag->members.size(); ++i) {
            CTag& member = *tag->members[i];
            if (member.description.empty())
                member.description = TableDescription(type, tag->name, static_cast<int>(i));
        }
    }
}

void ApplyBareControllerValues(CProject& project, const std::vector<uint32_t>& values) {
    TagList& list = project.doc.controllerTags;
    if (values.size() != list.size()) return;
    for (size_t i = 0; i < list.size(); ++i) {
        list[i]->initialValue = std::to_string(static_cast<int32_t>(values[i]));
        SetBitsFromValue(*list[i]);
    }
}

}  // namespace pontra
