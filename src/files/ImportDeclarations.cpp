// SPDX-License-Identifier: GPL-3.0-or-later
// Declaration sections of the component import, and what is settled once the whole
// file is read: members, initial values and type checks.
#include <algorithm>
#include <charconv>
#include <climits>
#include <unordered_map>
#include <unordered_set>

#include "files/ComponentExport.h"
#include "files/ComponentImporter.h"
#include "model/CompilerQuirks.h"
#include "model/Naming.h"
#include "model/Project.h"
#include "model/Types.h"
#include "model/ValueStyle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

constexpr std::string_view kAliasAttribute = "{alias = ";
constexpr std::string_view kDescriptionAttribute = "{description = ";
constexpr std::string_view kCommentAttribute = "{comment = ";

// The value of a dimension token; past the range of int it is too large for any array.
int DimensionValue(const std::string& text) {
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range || value > INT_MAX) return INT_MAX;
    if (ec != std::errc() || value < INT_MIN) return INT_MIN;
    (void)end;
    return static_cast<int>(value);
}

}  // namespace

// The words that end a declaration section whether or not END_VAR came. "RUNG" may
// name a tag, so only a rung's own start ("RUNG;" or "RUNG{comment = ") ends one.
bool ComponentImporter::AtSectionEnd() {
    if (Is("RUNG")) {
        const ImportToken& next = tokens_.Following();
        return next.text == ";" || next.text.starts_with(kCommentAttribute);
    }
    return Cur().IsEnd() || AtComponentStart() || Is("END_VAR") || Is("VAR") || Is("VAR_INPUT") ||
           Is("VAR_OUTPUT") || Is("VAR_IN_OUT") || Is("END_PROGRAM") || Is("END_FUNCTION_BLOCK") || Is("END_TYPE");
}

// stmt_var: declarations up to END_VAR
void ComponentImporter::stmt_var(TagList& tags, int usage, ImportedComponent& component) {
    while (!stopped_) {
        if (Is("END_VAR")) {
            Advance();
            return;
        }
        if (AtSectionEnd()) {
            match("END_VAR");
            return;
        }
        ReadDeclaration(tags, usage, component);
    }
}

// A declaration that went wrong is skipped up to its ";" or the end of the section.
void ComponentImporter::SkipDeclaration() {
    while (!stopped_ && !AtSectionEnd()) {
        const bool end = Is(";");
        Advance();
        if (end) return;
    }
}

void ComponentImporter::ReadDeclaration(TagList& tags, int usage, ImportedComponent& component) {
    const ImportToken& nameToken = Cur();
    const int line = nameToken.line;
    if (!nameToken.IsName()) {
        Error(line, "stmt_var", "Tag name can use only digits, alphabetical  and '_' symbols and can't start with digit!");
        SkipDeclaration();
        return;
    }
    auto tag = std::make_unique<CTag>(Whole(nameToken), "");  // value "0", style "Decimal"
    tag->usage = usage;
    Advance();

    while (Cur().IsAttribute()) {
        const std::string& text = Cur().text;
        if (text.starts_with(kAliasAttribute)) {
            tag->alias = text.substr(kAliasAttribute.size());
        } else if (text.starts_with(kDescriptionAttribute)) {
            tag->description = text.substr(kDescriptionAttribute.size());
        } else if (!text.starts_with(kCommentAttribute)) {
            Error(Cur().line, "stmt_var", "Unknown attribute '" + text + "}'");
        }
        Advance();
        if (!match("}")) {
            SkipDeclaration();
            return;
        }
    }

    ImportedTag imported;
    imported.line = line;
    if (Is(";") && !tag->alias.empty()) {
        Advance();  // an alias has no type of its own
    } else {
        if (!match(":")) {
            SkipDeclaration();
            return;
        }
        if (Is("ARRAY")) {
            if (!ReadArrayType(tag->dataType)) {
                SkipDeclaration();
                return;
            }
        } else if (Cur().IsName()) {
            tag->dataType = Whole(Cur());
            Advance();
        } else {
            Error(Cur().line, "match", "Must be 'type' instead '" + Cur().text + "'");
            SkipDeclaration();
            return;
        }
        if (Is(":=")) {
            Advance();
            if (Is("(")) {
                Advance();
                imported.hasList = true;
                for (;;) {
                    if (!Count(listValues_, kMaxListValues, Cur().line, "initial values")) return;
                    imported.list.push_back(ReadValue(",);"));
                    if (!Is(",")) break;
                    Advance();
                }
                if (!match(")")) {
                    SkipDeclaration();
                    return;
                }
            } else {
                const auto [start, end] = ReadValue(";");
                imported.value = std::string(tokens_.Slice(start, end));
            }
        }
        if (!match(";")) {
            SkipDeclaration();
            return;
        }
    }
    if (!component.tagNames.insert(tag->name).second) {
        Error(line, "stmt_var", "Tag with name " + tag->name + " is already exist!");
        return;
    }
    if (!Count(tags_, kMaxTags, line, "tags") || !Count(tagNodes_, kMaxTagNodes, line, "tags and tag members"))
        return;
    imported.tag = tag.get();
    tags.push_back(std::move(tag));
    component.tags.push_back(std::move(imported));
}

// ARRAY "[" n [ "," m ] "]" OF type, stored as "T[n]" or "T[n,m]"
bool ComponentImporter::ReadArrayType(std::string& type) {
    Advance();  // ARRAY
    if (!match("[")) return false;
    auto dimension = [&](const char* notValue, const char* negative, int& value) {
        const ImportToken& token = Cur();
        if (!token.IsNumber()) {
            Error(token.line, "stmt_var", notValue);
            return false;
        }
        value = DimensionValue(token.text);
        if (value < 1) {
            Error(token.line, "stmt_var", negative);
            return false;
        }
        Advance();
        return true;
    };
    int n = 0, m = 0;
    if (!dimension("Array dimension must be a value", "Array dimension can't be negative value", n)) return false;
    if (Is(",")) {
        Advance();
        if (!dimension("Array second dimension must be a value", "Array second dimension can't be negative value", m))
            return false;
    }
    if (!match("]") || !match("OF")) return false;
    if (!Cur().IsName()) {
        Error(Cur().line, "match", "Must be 'type' instead '" + Cur().text + "'");
        return false;
    }
    // "," + a temporary string: GCC 12's -Wrestrict report on it is false.
    PONTRA_GCC_STRING_WRESTRICT_BEGIN
    type = Whole(Cur()) + "[" + std::to_string(n) + (m ? "," + std::to_string(m) : std::string()) + "]";
    PONTRA_GCC_STRING_WRESTRICT_END
    Advance();
    return true;
}

std::pair<size_t, size_t> ComponentImporter::ReadValue(const char* stops) {
    const std::string_view stopSet(stops);
    size_t start = 0, end = 0;
    bool any = false;
    while (!stopped_ && !AtSectionEnd()) {
        const ImportToken& token = Cur();
        if (token.text.size() == 1 && stopSet.find(token.text[0]) != std::string_view::npos) break;
        if (!any) start = token.start;
        end = token.end;
        any = true;
        Advance();
    }
    if (!any) return {previousEnd_, previousEnd_};
    return {start, end};
}

// Takes an initial value as typed (decimal, 2#, 8#, 16#, dotted IP form) and stores it
// as decimal text within the range of the tag's type.
bool ComponentImporter::ApplyValue(CTag& tag, const std::string& value, int line) {
    std::string_view style = "Decimal";
    if (value.starts_with("2#")) style = "Binary";
    else if (value.starts_with("8#")) style = "Octal";
    else if (value.starts_with("16#")) style = "Hex";
    else if (std::count(value.begin(), value.end(), '.') == 3) style = "IP Address";
    int32_t number = 0;
    std::string message;
    const int width = StyleWidth(tag.dataType);
    if (value.empty() || !ParseValue(width ? width : 32, style, value, number, message)) {
        Error(line, "stmt_var",
              "Initial value '" + value + "' of " + tag.name + (value.empty() ? " is missing" : ": " + message));
        return false;
    }
    tag.initialValue = std::to_string(number);
    return true;
}

// First the tag's own value: instances copy the values of the declarations of their
// type, so every value is in place before any member is built.
void ComponentImporter::SettleValue(ImportedTag& imported, const ImportedComponent& component) {
    CTag& tag = *imported.tag;
    if (tag.alias.empty()) {
        if (!DataTypeExists(project_, tag.dataType)) {
            Error(imported.line, "stmt_var", "Data Type " + tag.dataType + " is not exist!");
        } else if (!component.name.empty() && !CheckTypeRecursion(project_, component.name, tag.dataType).empty()) {
            Error(imported.line, "stmt_var", CheckTypeRecursion(project_, component.name, tag.dataType));
            imported.recursive = true;  // its members would nest without end
        }
    }
    if (imported.value) ApplyValue(tag, *imported.value, imported.line);
}

void ComponentImporter::SettleMembers(ImportedTag& imported) {
    CTag& tag = *imported.tag;
    if (imported.recursive || !BuildCounted(tag, imported.line)) return;
    if (!imported.hasList) return;
    std::vector<CTag*> slots = InitialValueSlots(tag);
    if (imported.list.size() > slots.size()) {
        Error(imported.line, "stmt_var",
              "Tag " + tag.name + " has " + std::to_string(slots.size()) + " initial values, not " +
                  std::to_string(imported.list.size()));
        return;
    }
    for (size_t i = 0; i < imported.list.size(); ++i) {
        const auto [start, end] = imported.list[i];
        if (ApplyValue(*slots[i], std::string(tokens_.Slice(start, end)), tokens_.LineOf(start)))
            BuildMembers(project_, *slots[i]);
    }
}

bool ComponentImporter::BuildCounted(CTag& tag, int line) {
    if (stopped_) return false;
    long built = 0;
    const bool complete = BuildMembersWithin(project_, tag, kMaxTagNodes - tagNodes_, built);
    tagNodes_ += built;
    if (complete) return true;
    Error(line, "OnImport", "More than " + std::to_string(kMaxTagNodes) + " tags and tag members, import stopped");
    stopped_ = true;
    return false;
}

void ComponentImporter::Finish() {
    // A user type's entry in the type list carries its member declarations.
    auto syncTypes = [&] {
        for (const auto& component : kept_) {
            if (!component.isType) continue;
            CUnit* unit = project_.FindUnit(component.name);
            CType* type = project_.FindType(component.name);
            if (!unit || !type) continue;
            type->members.clear();
            for (const auto& tag : unit->tags) type->members.push_back(tag->Clone());
        }
    };
    for (auto& component : kept_)
        for (auto& imported : component.tags) SettleValue(imported, component);
    syncTypes();
    // Types first: the members of their instances come from their declarations.
    for (bool types : {true, false})
        for (auto& component : kept_)
            if (component.isType == types)
                for (auto& imported : component.tags) SettleMembers(imported);
    syncTypes();
    FollowChangedTypes();
}

// Tags that were in the project before and use an imported component (directly or
// through members) get their members again, keeping the values of members that remain.
void ComponentImporter::FollowChangedTypes() {
    std::vector<std::string> names;
    for (const auto& component : kept_)
        if (!component.name.empty()) names.push_back(component.name);
    if (names.empty()) return;
    std::unordered_set<const CTag*> imported;
    for (const auto& component : kept_)
        for (const auto& t : component.tags) imported.insert(t.tag);
    auto follow = [&](TagList& tags) {
        for (auto& tag : tags) {
            if (imported.contains(tag.get()) || !tag->alias.empty() || IsElementary(tag->dataType)) continue;
            // The recursion check answers whether the tag's type contains the component.
            const bool uses = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
                return !CheckTypeRecursion(project_, name, tag->dataType).empty();
            });
            if (!uses) continue;
            std::unordered_map<std::string, std::string> values;
            for (const CTag* slot : InitialValueSlots(*tag)) values.emplace(slot->name, slot->initialValue);
            // Past the limit the tag keeps the members it had.
            TagList before = std::move(tag->members);
            if (!BuildCounted(*tag, tokens_.LineOf(tokens_.Text().size()))) {
                tag->members = std::move(before);
                return;
            }
            for (CTag* slot : InitialValueSlots(*tag)) {
                auto it = values.find(slot->name);
                if (it == values.end() || it->second == slot->initialValue) continue;
                slot->initialValue = it->second;
                BuildMembers(project_, *slot);
            }
        }
    };
    follow(project_.doc.tags);
    for (auto& unit : project_.units)
        if (unit->IsFunctionBlock()) follow(unit->tags);
}

}  // namespace pontra
