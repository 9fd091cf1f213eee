// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TagRules.h"

#include <set>

#include "model/Naming.h"
#include "model/Project.h"
#include "model/TagRename.h"
#include "model/Types.h"
#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

// Alias chains longer than this are cycles or nonsense; the base tag then stays empty.
constexpr int kMaxAliasChain = 64;

std::string BaseTypeOf(std::string_view type) {
    if (auto array = ParseArrayType(type)) return array->element;
    return std::string(type);
}

bool Uses(const CProject& project, std::string_view type, std::string_view target, std::set<std::string>& seen) {
    const std::string base = BaseTypeOf(type);
    if (base == target) return true;
    if (IsElementary(base) || !seen.insert(base).second) return false;
    const TagList* declarations = MemberDeclarations(project, base);
    if (!declarations) return false;
    for (const auto& d : *declarations)
        if (Uses(project, d->dataType, target, seen)) return true;
    return false;
}

bool TypeUses(const CProject& project, std::string_view type, std::string_view target) {
    std::set<std::string> seen;
    return Uses(project, type, target, seen);
}

const CTag* FindByName(const TagList& members, const CTag& like) {
    for (const auto& m : members)
        if (m->name == like.name && m->dataType == like.dataType) return m.get();
    return nullptr;
}

// Puts the values a member had back onto its rebuilt self; bit members follow the value.
void CarryValues(const CProject& project, CTag& fresh, const CTag& old) {
    fresh.initialValue = old.initialValue;
    fresh.style = old.style;
    if (IsElementary(fresh.dataType)) {
        BuildMembers(project, fresh);
        return;
    }
    for (auto& member : fresh.members)
        if (const CTag* before = FindByName(old.members, *member)) CarryValues(project, *member, *before);
}

void Refresh(const CProject& project, CTag& tag, std::string_view typeName) {
    if (!TypeUses(project, tag.dataType, typeName)) return;
    TagList old = std::move(tag.members);
    tag.members.clear();
    BuildMembers(project, tag);
    for (auto& member : tag.members)
        if (const CTag* before = FindByName(old, *member)) CarryValues(project, *member, *before);
}

// Every list of declarations that can hold a tag of a user type or function block.
std::vector<TagList*> DeclarationLists(CProject& project) {
    std::vector<TagList*> lists{&project.doc.tags};
    for (auto& unit : project.units)
        if (unit->IsFunctionBlock()) lists.push_back(&unit->tags);
    for (auto& type : project.types)
        if (!IsPredefinedType(type->name)) lists.push_back(&type->members);
    return lists;
}

void RenameMemberPrefix(CTag& tag, std::string_view oldName, std::string_view newName) {
    for (auto& member : tag.members) {
        RenameReference(member->name, oldName, newName);
        RenameMemberPrefix(*member, oldName, newName);
    }
}

// Members "X.OLD" of every tag X of type `owner`, wherever it stands, become "X.NEW".
void RenameInstanceMembers(TagList& tags, std::string_view owner, std::string_view oldName,
                           std::string_view newName) {
    for (auto& tag : tags) {
        if (tag->dataType == owner) {
            for (auto& member : tag->members) {
                const std::string from = tag->name + "." + std::string(oldName);
                if (member->name != from) continue;
                const std::string to = tag->name + "." + std::string(newName);
                member->name = to;
                RenameMemberPrefix(*member, from, to);
            }
        }
        RenameInstanceMembers(tag->members, owner, oldName, newName);
    }
}

// Operands and aliases that name a member of an instance of `owner` follow the rename
// of that member: "Motor1.Old" becomes "Motor1.New" in every unit that declares Motor1.
void RenameInstanceReferences(CProject& project, std::string_view owner, std::string_view oldName,
                              std::string_view newName) {
    std::vector<ReferenceScope> scopes{MainScope(project)};
    for (auto& unit : project.units)
        if (unit->name != owner) scopes.push_back(UnitScope(project, *unit));
    for (const ReferenceScope& scope : scopes) {
        std::vector<std::string> instances;
        for (TagList* tags : scope.tags)
            for (const auto& tag : *tags)
                if (tag->dataType == owner) instances.push_back(tag->name);
        for (const std::string& instance : instances) {
            const std::string from = instance + "." + std::string(oldName);
            const std::string to = instance + "." + std::string(newName);
            // Texts of the Structured Text are left alone: their members are no single word.
            ReferenceScope ladder{scope.tags, scope.rungs, {}};
            RenameReferences(ladder, from, to);
        }
    }
}

std::string BaseTagOf(const std::vector<const TagList*>& lists, const std::string& alias) {
    std::string name = alias;
    for (int step = 0; step < kMaxAliasChain; ++step) {
        const CTag* target = nullptr;
        for (const TagList* list : lists)
            if ((target = FindTag(*list, name))) break;
        if (!target) return {};
        if (target->alias.empty()) return target->name;
        name = target->alias;
    }
    return {};
}

bool IsSimpleConfigurationType(std::string_view type) {
    return type == "BOOL" || type == "SINT" || type == "INT" || type == "DINT";
}

std::string ConfigurationRefusal(const CProject& project, const TagListSubject& subject, const TagList& list,
                                 const CTag* self, std::string_view type) {
    if (!project.configEnabled) return {};
    if (BaseTypeOf(type) == project.configTypeName) {
        if (subject.kind != TagListSubject::Kind::MainProgram)
            return "Configuration structute is not allowed for Function blocks ot Types!";
        // An array of the structure would be as many instances as it has elements.
        if (type != project.configTypeName) return "Only one instance of Configuration structute is allowed!";
        for (const auto& tag : list)
            if (tag.get() != self && BaseTypeOf(tag->dataType) == project.configTypeName)
                return "Only one instance of Configuration structute is allowed!";
    }
    if (IsConfigurationList(project, subject) && !IsSimpleConfigurationType(type))
        return "Only simple types are allowed for configuration tags!";
    return {};
}

// Name, type and description checks of a declaration; the first refusal, or empty.
std::string TypeRefusal(const CProject& project, const TagListSubject& subject, const TagList& list,
                        const CTag* self, const std::string& type) {
    std::string refusal = CheckDataTypeExists(project, type);
    // A function block that holds an instance of itself is as endless as such a type.
    if (refusal.empty() && subject.unit) refusal = CheckTypeRecursion(project, subject.unit->name, type);
    if (refusal.empty()) refusal = ConfigurationRefusal(project, subject, list, self, type);
    return refusal;
}

std::string NameRefusal(const CProject& project, const TagListSubject& subject, const TagList& list,
                        const std::string& name) {
    std::string refusal = CheckTagName(list, name);
    if (refusal.empty() && subject.kind == TagListSubject::Kind::MainProgram &&
        FindTag(project.doc.controllerTags, name))
        refusal = "Tag with name " + name + " is already exist!";
    return refusal;
}

bool Refuse(CMainFrame& frame, const std::string& refusal) {
    if (refusal.empty()) return false;
    frame.host().Message(refusal);
    return true;
}

// After a change of a declaration: the project is modified and instances follow.
void Changed(CMainFrame& frame, const TagListSubject& subject) {
    if (subject.unit) RefreshInstances(frame.project(), subject.unit->name);
    frame.SetModified(true);
    frame.host().Repaint();
}

std::string StyleFor(const std::string& style, const std::string& type) {
    static const std::set<std::string> kStyles{"Decimal", "Binary", "Octal", "Hex", "IP Address"};
    if (!kStyles.contains(style)) return "Decimal";
    if (style == "IP Address" && type != "DINT") return "Decimal";
    return style;
}

}  // namespace

TagListSubject TagListSubject::Of(CUnit& unit) {
    return {unit.IsType() ? Kind::UserType : Kind::FunctionBlock, &unit};
}

TagList* EditedTags(CProject& project, const TagListSubject& subject) {
    switch (subject.kind) {
        case TagListSubject::Kind::MainProgram: return &project.doc.tags;
        case TagListSubject::Kind::FunctionBlock: return subject.unit ? &subject.unit->tags : nullptr;
        case TagListSubject::Kind::UserType: {
            CType* type = subject.unit ? project.FindType(subject.unit->name) : nullptr;
            return type ? &type->members : nullptr;
        }
    }
    return nullptr;
}

bool IsDeclaredIn(CProject& project, const TagListSubject& subject, const CTag& tag) {
    const TagList* list = EditedTags(project, subject);
    if (!list) return false;
    for (const auto& t : *list)
        if (t.get() == &tag) return true;
    return false;
}

bool IsConfigurationList(const CProject& project, const TagListSubject& subject) {
    return project.configEnabled && subject.kind == TagListSubject::Kind::UserType && subject.unit &&
           subject.unit->name == project.configTypeName;
}

std::string_view ControlTypeName(int mode) {
    static constexpr std::string_view kNames[] = {"", "Check", "Number", "Selection"};
    return mode >= 0 && mode <= 3 ? kNames[mode] : std::string_view();
}

CTag* CreateTag(CMainFrame& frame, const TagListSubject& subject, const NewTagRequest& request) {
    CProject& project = frame.project();
    TagList* list = EditedTags(project, subject);
    if (!list || !PassesDebugGuard(frame, EditAction::TagEdit)) return nullptr;
    std::string refusal = NameRefusal(project, subject, *list, request.name);
    if (refusal.empty()) refusal = TypeRefusal(project, subject, *list, nullptr, request.dataType);
    if (refusal.empty()) refusal = CheckTagDescription(request.description);
    if (Refuse(frame, refusal)) return nullptr;

    auto tag = std::make_unique<CTag>(request.name, request.dataType);
    tag->description = request.description;
    tag->style = StyleFor(request.style, request.dataType);
    tag->nonVolatile = request.nonVolatile ? 1 : 0;
    if (!request.alias.empty()) {
        tag->alias = request.alias;
        std::vector<const TagList*> lists{list};
        if (subject.kind == TagListSubject::Kind::MainProgram) lists.push_back(&project.doc.controllerTags);
        tag->baseTag = BaseTagOf(lists, request.alias);
    }
    BuildMembers(project, *tag);
    CTag* created = tag.get();
    if (subject.kind == TagListSubject::Kind::FunctionBlock) {
        const bool chosen = request.usage >= kUsageInput && request.usage <= kUsageInOut;
        tag->usage = chosen ? request.usage : kUsageStatic;
        InsertByUsage(*list, std::move(tag));
    } else {
        list->push_back(std::move(tag));
    }
    Changed(frame, subject);
    return created;
}

bool EditTagName(CMainFrame& frame, const TagListSubject& subject, CTag& tag, const std::string& name) {
    CProject& project = frame.project();
    if (!IsDeclaredIn(project, subject, tag) || tag.name == name) return false;
    if (!PassesDebugGuard(frame, EditAction::TagEdit)) return false;
    if (Refuse(frame, NameRefusal(project, subject, *EditedTags(project, subject), name))) return false;
    const std::string old = tag.name;
    tag.name = name;
    RenameMemberPrefix(tag, old, name);
    if (subject.unit) {
        RenameReferences(UnitScope(project, *subject.unit), old, name);
        const std::string owner = subject.unit->name;
        for (TagList* list : DeclarationLists(project)) RenameInstanceMembers(*list, owner, old, name);
        RenameInstanceReferences(project, owner, old, name);
    } else {
        RenameReferences(MainScope(project), old, name);
    }
    Changed(frame, subject);
    return true;
}

bool EditTagDataType(CMainFrame& frame, const TagListSubject& subject, CTag& tag, const std::string& type) {
    CProject& project = frame.project();
    if (!IsDeclaredIn(project, subject, tag) || tag.dataType == type) return false;
    if (!PassesDebugGuard(frame, EditAction::TagEdit)) return false;
    if (Refuse(frame, TypeRefusal(project, subject, *EditedTags(project, subject), &tag, type))) return false;
    tag.dataType = type;
    tag.style = StyleFor(tag.style, type);
    if (tag.configMode == kConfigValue && type != "BOOL") tag.configMode = kConfigNone;
    BuildMembers(project, tag);
    Changed(frame, subject);
    return true;
}

bool EditTagDescription(CMainFrame& frame, const TagListSubject& subject, CTag& tag, const std::string& description) {
    CProject& project = frame.project();
    if (!IsDeclaredIn(project, subject, tag) || tag.description == description) return false;
    if (!PassesDebugGuard(frame, EditAction::TagEdit)) return false;
    if (Refuse(frame, CheckTagDescription(description))) return false;
    tag.description = description;
    Changed(frame, subject);
    return true;
}

bool EditControlType(CMainFrame& frame, const TagListSubject& subject, CTag& tag, int mode) {
    CProject& project = frame.project();
    if (!IsConfigurationList(project, subject) || !IsDeclaredIn(project, subject, tag)) return false;
    if (mode < kConfigNone || mode > kConfigChoice || mode == tag.configMode) return false;
    if (!PassesDebugGuard(frame, EditAction::TagEdit)) return false;
    if (mode == kConfigValue && tag.dataType != "BOOL" &&
        Refuse(frame, "Check control is allowed for BOOL type only!"))
        return false;
    tag.configMode = static_cast<uint8_t>(mode);
    tag.choiceTexts.clear();
    tag.choiceValues.clear();
    Changed(frame, subject);
    return true;
}

bool DeleteTag(CMainFrame& frame, const TagListSubject& subject, CTag& tag) {
    CProject& project = frame.project();
    if (!IsDeclaredIn(project, subject, tag) || !PassesDebugGuard(frame, EditAction::TagEdit)) return false;
    if (!frame.host().AskOkCancel("Do you want to delete tag '" + tag.name + "'?")) return false;
    TagList& list = *EditedTags(project, subject);
    std::erase_if(list, [&](const std::unique_ptr<CTag>& t) { return t.get() == &tag; });
    Changed(frame, subject);
    return true;
}

bool ToggleNonVolatile(CMainFrame& frame, const TagListSubject& subject, CTag& tag) {
    CProject& project = frame.project();
    if (!IsDeclaredIn(project, subject, tag) || !PassesDebugGuard(frame, Command::NonVolatile)) return false;
    tag.nonVolatile = tag.nonVolatile ? 0 : 1;
    if (IsConfigurationList(project, subject)) {
        for (auto& instance : project.doc.tags) {
            if (instance->dataType != project.configTypeName) continue;
            for (auto& member : instance->members)
                if (member->name == instance->name + "." + tag.name) member->nonVolatile = tag.nonVolatile;
        }
    }
    Changed(frame, subject);
    return true;
}

void RefreshInstances(CProject& project, std::string_view typeName) {
    for (TagList* list : DeclarationLists(project))
        for (auto& tag : *list) Refresh(project, *tag, typeName);
}

}  // namespace pontra
