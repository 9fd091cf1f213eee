// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Naming.h"

#include <set>

#include "model/Project.h"
#include "model/Types.h"

namespace pontra {

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string BaseType(std::string_view type) {
    if (auto array = ParseArrayType(type)) return array->element;
    return std::string(type);
}

bool Contains(const CProject& project, const std::string& type, std::string_view target, std::set<std::string>& seen) {
    if (type == target) return true;
    if (!seen.insert(type).second) return false;
    const TagList* members = MemberDeclarations(project, type);
    if (!members) return false;
    for (const auto& m : *members)
        if (Contains(project, BaseType(m->dataType), target, seen)) return true;
    return false;
}

}  // namespace

bool IsValidSymbolName(std::string_view name) {
    if (!name.empty() && IsDigit(name[0])) return false;
    for (char c : name)
        if (!IsLetter(c) && !IsDigit(c) && c != '_') return false;
    return true;
}

bool HasBraces(std::string_view text) { return text.find_first_of("{}") != std::string_view::npos; }

std::string CheckTagName(const TagList& list, std::string_view name) {
    if (name.empty()) return "Empty Tag name!";
    if (!IsValidSymbolName(name))
        return "Tag name can use only digits, alphabetical  and '_' symbols and can't start with digit!";
    if (FindTag(list, name)) return "Tag with name " + std::string(name) + " is already exist!";
    return {};
}

bool DataTypeExists(const CProject& project, std::string_view type) {
    return project.FindType(BaseType(type)) != nullptr &&
           (type.find('[') == std::string_view::npos || ParseArrayType(type).has_value());
}

std::string CheckDataTypeExists(const CProject& project, std::string_view type) {
    if (DataTypeExists(project, type)) return {};
    return "Data Type " + std::string(type) + " is not exist!";
}

std::string CheckTagDescription(std::string_view description) {
    return HasBraces(description) ? "Tag description can't use '{' and '}' symbols!" : std::string();
}

std::string CheckRungComment(std::string_view comment) {
    return HasBraces(comment) ? "Rung comment can't use '{' and '}' symbols!" : std::string();
}

std::string CheckTypeRecursion(const CProject& project, std::string_view owner, std::string_view memberType) {
    std::set<std::string> seen;
    if (Contains(project, BaseType(memberType), owner, seen))
        return "Can't use Type " + std::string(memberType) + " because of recursion!";
    return {};
}

std::string CheckComponentName(const CProject& project, std::string_view name) {
    if (project.FindUnit(name)) return "Component with name " + std::string(name) + " already exist!";
    if (name.empty() || !IsValidSymbolName(name))
        return "Component name can use only digits, alphabetical  and '_' symbols and can't start with digit!";
    return {};
}

}  // namespace pontra
