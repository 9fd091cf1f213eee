// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/OperandScope.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <unordered_map>

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

TagRef SearchLists(const UnitScope& scope, std::string_view text) {
    for (TagList* list : scope.lists) {
        for (auto& tag : *list) {
            TagRef ref;
            if ((ref.tag = FindBelow(*tag, text, ref.parents))) return ref;
        }
    }
    return {};
}

}  // namespace

// Top-level tags by name. A lookup of "A.B[1].C" considers exactly the tags a search of
// the lists could stop at, those named "A.B[1].C", "A.B[1]", "A.B" or "A", and tries
// them in list order.
class TagNameIndex {
public:
    TagRef Find(const UnitScope& scope, std::string_view text) {
        CatchUp(scope);
        places_.clear();
        auto add = [&](std::string_view name) {
            auto found = names_.find(name);
            if (found == names_.end()) return;
            places_.push_back(found->second.first);
            places_.insert(places_.end(), found->second.more.begin(), found->second.more.end());
        };
        add(text);
        for (size_t i = 1; i < text.size(); ++i)
            if (text[i] == '.' || text[i] == '[') add(text.substr(0, i));
        std::sort(places_.begin(), places_.end());
        for (const Place& place : places_) {
            CTag& tag = *(*scope.lists[place.list])[place.position];
            TagRef ref;
            if ((ref.tag = FindBelow(tag, text, ref.parents))) return ref;
        }
        return {};
    }

private:
    struct Place {
        size_t list, position;
        bool operator<(const Place& other) const {
            return list != other.list ? list < other.list : position < other.position;
        }
    };
    struct Places {
        Place first;
        std::vector<Place> more;  // tags of the same name further on
    };
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };

    // Indexes the tags appended since the last lookup; indexes everything afresh when the
    // scope names other lists now, or a list lost tags, or the last tag indexed in a list
    // is no longer in its place.
    void CatchUp(const UnitScope& scope) {
        bool fresh = lists_ != scope.lists;
        for (size_t l = 0; !fresh && l < lists_.size(); ++l) {
            const TagList& list = *lists_[l];
            fresh = list.size() < indexed_[l] || (indexed_[l] > 0 && list[indexed_[l] - 1].get() != last_[l]);
        }
        if (fresh) {
            lists_ = scope.lists;
            indexed_.assign(lists_.size(), 0);
            last_.assign(lists_.size(), nullptr);
            names_.clear();
            size_t tags = 0;
            for (const TagList* list : lists_) tags += list->size();
            names_.reserve(tags);
        }
        for (size_t l = 0; l < lists_.size(); ++l) {
            const TagList& list = *lists_[l];
            for (size_t p = indexed_[l]; p < list.size(); ++p) {
                const auto [found, added] = names_.try_emplace(list[p]->name, Places{{l, p}, {}});
                if (!added) found->second.more.push_back({l, p});
            }
            indexed_[l] = list.size();
            last_[l] = list.empty() ? nullptr : list.back().get();
        }
    }

    std::vector<TagList*> lists_;
    std::vector<size_t> indexed_;        // tags indexed, per list
    std::vector<const CTag*> last_;      // the last of them, per list
    std::unordered_map<std::string, Places, Hash, std::equal_to<>> names_;
    std::vector<Place> places_;
};

void IndexTagNames(UnitScope& scope) { scope.index = std::make_shared<TagNameIndex>(); }

UnitScope MainProgramScope(CProject& project) {
    CVessaDoc& doc = project.doc;
    return UnitScope{&project, nullptr, {&doc.tags, &doc.controllerTags, &doc.workTags}, &doc.workTags, {}};
}

UnitScope FunctionBlockScope(CProject& project, CUnit& unit) {
    UnitScope scope{&project, &unit, {&unit.tags, &unit.tags2}, &unit.tags2, {}};
    if (unit.IsStructuredText()) scope.lists.push_back(&unit.stVariables);
    return scope;
}

TagRef FindOperandTag(const UnitScope& scope, std::string_view text) {
    if (text.empty()) return {};
    return scope.index ? scope.index->Find(scope, text) : SearchLists(scope, text);
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
