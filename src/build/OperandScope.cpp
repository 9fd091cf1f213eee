#include "build/OperandScope.h"

#include <charconv>

#include "model/Project.h"
#include "model/Types.h"

namespace pontra {

namespace {

// Aliases of aliases are followed this far; a longer chain is a loop.
constexpr int kMaxAliasChain = 16;

// `text` continues `name` into a member: "T" -> "T.PRE", "A" -> "A[2]".
bool IsMemberPrefix(std::string_view name, std::string_view text) {
    return text.size() > name.size() && text.starts_with(name) &&
           (text[name.size()] == '.' || text[name.size()] == '[');
}

// Searches `tag` and its members; on success `path` holds the enclosing tags.
CTag* FindBelow(CTag& tag, std::string_view text, std::vector<CTag*>& path) {
    if (tag.name == text) return &tag;
    if (!IsMemberPrefix(tag.name, text)) return nullptr;
    path.push_back(&tag);
    for (auto& member : tag.members)
        if (CTag* found = FindBelow(*member, text, path)) return found;
    path.pop_back();
    return nullptr;
}

}  // namespace

UnitScope MainProgramScope(CProject& project) {
    CVessaDoc& doc = project.doc;
    return UnitScope{&project, nullptr, {&doc.tags, &doc.controllerTags, &doc.workTags}, &doc.workTags};
}

UnitScope FunctionBlockScope(CProject& project, CUnit& unit) {
    UnitScope scope{&project, &unit, {&unit.tags, &unit.tags2}, &unit.tags2};
    if (unit.IsStructuredText()) scope.lists.push_back(&unit.stVariables);
    return scope;
}

TagRef FindOperandTag(const UnitScope& scope, std::string_view text) {
    if (text.empty()) return {};
    for (TagList* list : scope.lists) {
        for (auto& tag : *list) {
            TagRef ref;
            if ((ref.tag = FindBelow(*tag, text, ref.parents))) return ref;
        }
    }
    return {};
}

TagRef ResolveAlias(const UnitScope& scope, const TagRef& ref) {
    TagRef current = ref;
    for (int hop = 0; current.tag && !current.tag->alias.empty(); ++hop) {
        if (hop == kMaxAliasChain) return {};
        const std::string alias = current.tag->alias;
        TagRef next;
        if (!current.parents.empty()) {
            CTag& owner = *current.parents.back();
            std::vector<CTag*> path(current.parents.begin(), current.parents.end() - 1);
            if (CTag* sibling = FindBelow(owner, owner.name + "." + alias, path)) next = {sibling, path};
        }
        if (!next) next = FindOperandTag(scope, alias);
        current = next;
    }
    return current;
}

int InstanceDepth(const CProject& project, const TagRef& ref) {
    int depth = 0;
    for (const CTag* parent : ref.parents) {
        const CUnit* unit = project.FindUnit(parent->dataType);
        if (unit && unit->IsFunctionBlock()) ++depth;
    }
    return depth;
}

uint8_t OperandTypeCode(std::string_view dataType) {
    if (dataType.find('[') != std::string_view::npos) return 8;
    switch (ElementaryBits(dataType)) {
        case 8: return 1;
        case 16: return 2;
        case 32: return 4;
        default: return 0;
    }
}

std::optional<ArrayOperand> ParseArrayOperand(std::string_view text) {
    const size_t open = text.find('[');
    if (open == std::string_view::npos || open == 0 || !text.ends_with("]")) return std::nullopt;
    std::string_view inside = text.substr(open + 1, text.size() - open - 2);
    if (inside.find_first_of("[]") != std::string_view::npos) return std::nullopt;
    ArrayOperand operand;
    operand.name = std::string(text.substr(0, open));
    while (true) {
        const size_t comma = inside.find(',');
        operand.indexes.emplace_back(inside.substr(0, comma));
        if (comma == std::string_view::npos) break;
        inside.remove_prefix(comma + 1);
    }
    return operand;
}

std::optional<long long> ConstantIndex(std::string_view text) {
    std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
    if (digits.empty() || digits.size() > 12) return std::nullopt;
    for (char c : digits)
        if (c < '0' || c > '9') return std::nullopt;
    long long value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return text.starts_with('-') ? -value : value;
}

}  // namespace pontra
