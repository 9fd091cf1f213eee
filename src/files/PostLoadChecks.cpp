// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/PostLoadChecks.h"

#include <filesystem>
#include <functional>
#include <map>

#include "files/SafeFileWrite.h"
#include "host/Host.h"
#include "model/Naming.h"
#include "model/Project.h"
#include "model/TagRename.h"

namespace pontra {

namespace {

constexpr const char* kForbiddenQuestion =
    "Project contains forbidden symbol in tag, description or rung comment names!\r\n"
    "Do you want to correct them automatically?";

// A list of top-level tags and the places that refer to them.
struct TagHome {
    TagList* tags;
    ReferenceScope scope;
    TagList* typeMembers = nullptr;  // a user type's entry in the type list mirrors its unit's tags
    bool userUnit = false;           // a function block's or type's own tags
    bool functionBlock = false;
};

std::vector<TagHome> TagHomes(CProject& project) {
    std::vector<TagHome> homes;
    homes.push_back({&project.doc.tags, MainScope(project)});
    homes.push_back({&project.doc.controllerTags, MainScope(project)});
    for (auto& unit : project.units) {
        TagHome home{&unit->tags, UnitScope(project, *unit)};
        home.userUnit = true;
        home.functionBlock = unit->IsFunctionBlock();
        if (unit->IsType())
            if (CType* type = project.FindType(unit->name)) home.typeMembers = &type->members;
        homes.push_back(std::move(home));
    }
    return homes;
}

// Predefined controller tags are named by the controller type (some with a blank);
// only connection slots carry names the user chose.
bool NameIsChecked(const TagHome& home, const CProject& project, const CTag& tag) {
    return home.tags != &project.doc.controllerTags || tag.connectionKind != kConnNone;
}

// Every top-level tag name in use, counted over all lists.
using NameCounts = std::map<std::string, int>;

NameCounts CountNames(const std::vector<TagHome>& homes) {
    NameCounts names;
    for (const auto& home : homes)
        for (const auto& t : *home.tags) ++names[t->name];
    return names;
}

std::string FreeName(std::string name, const NameCounts& names) {
    while (names.count(name) && names.at(name) > 0) name += "_";
    return name;
}

// Controller tags are seen from the main program and every unit, except where a program
// or unit tag of the same name hides them.
void RenameGlobalReferences(CProject& project, const std::string& oldName, const std::string& newName) {
    if (!FindTag(project.doc.tags, oldName)) RenameReferences(MainScope(project), oldName, newName);
    for (auto& unit : project.units)
        if (!FindTag(unit->tags, oldName)) RenameReferences(UnitScope(project, *unit), oldName, newName);
}

void Rename(CProject& project, TagHome& home, CTag& tag, const std::string& newName, NameCounts& names) {
    const std::string oldName = tag.name;
    if (home.typeMembers)
        if (CTag* mirror = FindTag(*home.typeMembers, oldName)) mirror->name = newName;
    tag.name = newName;
    --names[oldName];
    ++names[newName];
    if (home.tags == &project.doc.controllerTags) RenameGlobalReferences(project, oldName, newName);
    else RenameReferences(home.scope, oldName, newName);
}

void ForEachTag(TagList& tags, const std::function<void(CTag&)>& visit) {
    for (auto& t : tags) {
        visit(*t);
        ForEachTag(t->members, visit);
    }
}

void ForEachRung(RungList& rungs, const std::function<void(CRung&)>& visit) {
    for (auto& r : rungs) {
        visit(*r);
        for (auto& e : r->elements) ForEachRung(e->legs, visit);
    }
}

// Every tag of the project, members included, and every type-list member declaration.
void ForEachTagEverywhere(CProject& project, const std::function<void(CTag&)>& visit) {
    ForEachTag(project.doc.tags, visit);
    ForEachTag(project.doc.controllerTags, visit);
    for (auto& unit : project.units) ForEachTag(unit->tags, visit);
    for (auto& type : project.types) ForEachTag(type->members, visit);
}

void ForEachRungEverywhere(CProject& project, const std::function<void(CRung&)>& visit) {
    ForEachRung(project.doc.rungs, visit);
    for (auto& unit : project.units) ForEachRung(unit->rungs, visit);
}

void ReplaceBraces(std::string& text) {
    for (char& c : text)
        if (c == '{' || c == '}') c = '_';
}

std::string SanitisedName(const std::string& name) {
    std::string result = name;
    for (char& c : result) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(c >= '0' && c <= '9') && c != '_') c = '_';
    }
    if (!result.empty() && result[0] >= '0' && result[0] <= '9') result[0] = '_';
    return result;
}

struct Collision {
    TagHome* home;
    CTag* tag;
    std::string newName;
    const char* line;
};

constexpr const char* kNewServoNames[] = {"ServoSetPointLeft", "ServoSetPointRight"};
constexpr const char* kOldServoNames[] = {"ServoControlLeft", "ServoControlRight"};
// The texts name the right-hand tag by its old name, as the program always has.
constexpr const char* kCollisionLines[] = {"\r\n\tTag 'ServoSetPointLeft' will be renamed to '",
                                           "\r\n\tTag 'ServoControlRight' will be renamed to '"};

// Tags outside the controller tags that carry a servo tag's new name must make way.
std::vector<Collision> FindCollisions(CProject& project, std::vector<TagHome>& homes, NameCounts& names) {
    std::vector<Collision> collisions;
    for (size_t side = 0; side < 2; ++side) {
        for (auto& home : homes) {
            if (home.tags == &project.doc.controllerTags || (home.userUnit && !home.functionBlock)) continue;
            for (auto& tag : *home.tags) {
                if (tag->name != kNewServoNames[side]) continue;
                const std::string newName = FreeName(tag->name + "_", names);
                ++names[newName];  // reserved for this tag
                collisions.push_back({&home, tag.get(), newName, kCollisionLines[side]});
            }
        }
    }
    return collisions;
}

std::string ComposeUpdateQuestion(const std::string& path, bool oldServoNames,
                                  const std::vector<Collision>& collisions) {
    std::string text = "Project will be updated to current Pontra version!\r\n";
    if (oldServoNames) {
        text += "\r\n\tController tag 'ServoControlLeft' will be renamed to 'ServoSetPointLeft'";
        text += "\r\n\tController tag 'ServoControlRight' will be renamed to 'ServoSetPointRight'";
    }
    for (const auto& c : collisions) text += c.line + c.newName + "'";
    text += "\r\n\r\nBackup will be stored to '" + OldVersionBackupPath(path) + "'";
    text += "\r\n\r\nDo you want to update the project?";
    return text;
}

void UpdateProject(Host& host, CProject& project, const PostLoadInput& input) {
    auto homes = TagHomes(project);
    NameCounts names = CountNames(homes);
    auto collisions = FindCollisions(project, homes, names);
    if (!host.AskOkCancel(ComposeUpdateQuestion(project.doc.pathName, input.oldServoNames, collisions))) return;

    // The colliding tags move first, so that the old servo references renamed next do
    // not follow them.
    for (auto& c : collisions) {
        --names[c.newName];
        Rename(project, *c.home, *c.tag, c.newName, names);
    }
    if (input.oldServoNames)
        for (size_t side = 0; side < 2; ++side)
            RenameGlobalReferences(project, kOldServoNames[side], kNewServoNames[side]);
    if (!project.doc.pathName.empty()) {
        std::string error;
        const std::string backup = OldVersionBackupPath(project.doc.pathName);
        if (!WriteFileSafely(backup, input.fileBytes, error))
            host.Message("The backup copy '" + backup + "' could not be written: " + error);
    }
    ++project.doc.version.revision;
    project.doc.modified = true;
}

}  // namespace

std::string OldVersionBackupPath(const std::string& projectPath) {
    std::filesystem::path path(projectPath);
    path.replace_extension();
    return path.string() + "_OldVersion.clp";
}

bool HasForbiddenSymbols(CProject& project) {
    bool found = false;
    for (auto& home : TagHomes(project))
        for (const auto& t : *home.tags)
            if (NameIsChecked(home, project, *t) && !IsValidSymbolName(t->name)) found = true;
    ForEachTagEverywhere(project, [&](CTag& t) { found = found || HasBraces(t.description); });
    ForEachRungEverywhere(project, [&](CRung& r) { found = found || HasBraces(r.comment); });
    return found;
}

void RepairForbiddenSymbols(CProject& project) {
    ForEachTagEverywhere(project, [](CTag& t) { ReplaceBraces(t.description); });
    ForEachRungEverywhere(project, [](CRung& r) { ReplaceBraces(r.comment); });
    auto homes = TagHomes(project);
    NameCounts names = CountNames(homes);
    for (auto& home : homes) {
        for (auto& t : *home.tags) {
            if (!NameIsChecked(home, project, *t) || IsValidSymbolName(t->name)) continue;
            Rename(project, home, *t, FreeName(SanitisedName(t->name), names), names);
        }
    }
    project.doc.modified = true;
}

std::string UpdateQuestion(CProject& project, bool oldServoNames) {
    auto homes = TagHomes(project);
    NameCounts names = CountNames(homes);
    return ComposeUpdateQuestion(project.doc.pathName, oldServoNames, FindCollisions(project, homes, names));
}

void RunPostLoadChecks(Host& host, CProject& project, const PostLoadInput& input) {
    if (HasForbiddenSymbols(project) && host.AskOkCancel(kForbiddenQuestion)) RepairForbiddenSymbols(project);
    if (project.projectUpdated) UpdateProject(host, project, input);
}

}  // namespace pontra
