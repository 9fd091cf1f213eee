// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Types.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "build/TagLayout.h"
#include "model/Project.h"
#include "model/ValueStyle.h"

namespace pontra {

namespace {

struct MemberSpec {
    const char* name;
    const char* type;
};

void AddType(TypeList& types, const char* name, std::initializer_list<MemberSpec> members) {
    auto type = std::make_unique<CType>(name);
    for (const auto& m : members) type->members.push_back(std::make_unique<CTag>(m.name, m.type));
    types.push_back(std::move(type));
}

constexpr const char* kPredefined[] = {"BOOL",    "SINT",    "INT",     "DINT",    "TIMER",   "COUNTER", "IEC_TON",
                                       "IEC_TOF", "IEC_RTO", "IEC_DOL", "IEC_DOR", "IEC_CTU", "IEC_CTD", "Zone"};

// Limits that keep a hostile type text from building an unbounded tree: the whole tag
// memory holds at most 80,000 BOOLs (10,000 bytes), so no tag that fits needs more
// nodes than this, and no sensible type nests deeper.
constexpr int kMaxMemberNodes = 250000;
constexpr int kMaxMemberDepth = 32;
constexpr int kMaxArrayElements = 80000;

struct BuildState {
    BuildState(const CProject& p, long most = kMaxMemberNodes) : project(p), limit(most) {}
    const CProject& project;
    long limit;
    long nodes = 0;
    bool cut = false;  // a member was left out for the limit
    // The structures being expanded on the way down. A type that holds itself (refused
    // when declared, but a file or a broken import can carry one) stops there: without
    // this a few lines of text built the node limit's worth of ever longer names.
    std::vector<const TagList*> open;
};

std::unique_ptr<CTag> NewMember(const CTag& parent, std::string name, const std::string& type) {
    auto member = std::make_unique<CTag>(std::move(name), type);
    member->scope = parent.scope;
    return member;
}

void Build(BuildState& state, CTag& tag, int depth);

void BuildChild(BuildState& state, CTag& parent, std::unique_ptr<CTag> member, int depth) {
    if (state.nodes >= state.limit) {
        state.cut = true;
        return;
    }
    ++state.nodes;
    Build(state, *member, depth + 1);
    parent.members.push_back(std::move(member));
}

void Build(BuildState& state, CTag& tag, int depth) {
    tag.members.clear();
    if (depth > kMaxMemberDepth) return;
    const std::string& type = tag.dataType;
    if (type == "BOOL") return;
    if (IsElementary(type)) {
        if (!tag.alias.empty()) return;
        const uint32_t value = static_cast<uint32_t>(DecimalToInt(tag.initialValue));
        const int bits = ElementaryBits(type);
        for (int i = 0; i < bits; ++i) {
            auto bit = NewMember(tag, tag.name + "." + std::to_string(i), "BOOL");
            bit->initialValue = ((value >> i) & 1u) ? "1" : "0";
            BuildChild(state, tag, std::move(bit), depth);
        }
        return;
    }
    if (auto array = ParseArrayType(type)) {
        for (int i = 0; i < array->dim1; ++i) {
            for (int j = 0; j < (array->dim2 ? array->dim2 : 1); ++j) {
                std::string name = tag.name + "[" + std::to_string(i);
                if (array->dim2) name += "," + std::to_string(j);
                auto element = NewMember(tag, name + "]", array->element);
                element->style = tag.style;
                BuildChild(state, tag, std::move(element), depth);
            }
        }
        return;
    }
    const TagList* declarations = MemberDeclarations(state.project, type);
    if (!declarations || std::find(state.open.begin(), state.open.end(), declarations) != state.open.end()) return;
    state.open.push_back(declarations);
    for (const auto& d : *declarations) {
        auto member = NewMember(tag, tag.name + "." + d->name, d->dataType);
        member->initialValue = d->initialValue;
        member->style = d->style;
        member->description = d->description;
        member->alias = d->alias;
        member->baseTag = d->baseTag;
        member->usage = d->usage;
        member->nonVolatile = d->nonVolatile;
        member->configMode = d->configMode;
        member->configText = d->configText;
        member->choiceTexts = d->choiceTexts;
        member->choiceValues = d->choiceValues;
        BuildChild(state, tag, std::move(member), depth);
    }
    state.open.pop_back();
}

bool ParseDimension(std::string_view text, int& value) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value > 0;
}

}  // namespace

bool IsElementary(std::string_view type) { return ElementaryBits(type) != 0; }

int ElementaryBits(std::string_view type) {
    if (type == "BOOL") return 1;
    if (type == "SINT" || type == "BYTE") return 8;
    if (type == "INT" || type == "WORD") return 16;
    if (type == "DINT" || type == "DWORD") return 32;
    return 0;
}

bool IsPredefinedType(std::string_view name) {
    for (auto p : kPredefined)
        if (name == p) return true;
    return false;
}

void AddPredefinedTypes(TypeList& types) {
    for (const char* name : {"BOOL", "SINT", "INT", "DINT"}) AddType(types, name, {});
    AddType(types, "TIMER", {{"PRE", "DINT"}, {"ACC", "DINT"}, {"EN", "BOOL"}, {"TT", "BOOL"}, {"DN", "BOOL"}});
    AddType(types, "COUNTER",
            {{"PRE", "DINT"}, {"ACC", "DINT"}, {"CU", "BOOL"}, {"CD", "BOOL"}, {"DN", "BOOL"}, {"OV", "BOOL"},
             {"UN", "BOOL"}});
    for (const char* name : {"IEC_TON", "IEC_TOF", "IEC_RTO", "IEC_DOL", "IEC_DOR"})
        AddType(types, name, {{"EN", "BOOL"}, {"PT", "DINT"}, {"Q", "BOOL"}, {"ET", "DINT"}, {"Timer", "TIMER"}});
    AddType(types, "IEC_CTU",
            {{"CU", "BOOL"}, {"R", "BOOL"}, {"PV", "DINT"}, {"Q", "BOOL"}, {"CV", "DINT"}, {"Counter", "COUNTER"}});
    AddType(types, "IEC_CTD",
            {{"CD", "BOOL"}, {"LD", "BOOL"}, {"PV", "DINT"}, {"Q", "BOOL"}, {"CV", "DINT"}, {"Counter", "COUNTER"}});
    AddType(types, "Zone",
            {{"NU1", "SINT"},
             {"NU2", "SINT"},
             {"State", "SINT"},
             {"ReverseState", "SINT"},
             {"NU3", "SINT"},
             {"NU4", "SINT"},
             {"Sensors", "SINT"},
             {"Motors", "SINT"},
             {"ZoneTracking", "DINT"},
             {"ToNextTracking", "DINT"}});
}

std::optional<ArrayType> ParseArrayType(std::string_view type) {
    const size_t open = type.find('[');
    if (open == std::string_view::npos || open == 0 || !type.ends_with("]")) return std::nullopt;
    ArrayType array;
    array.element = std::string(type.substr(0, open));
    std::string_view dims = type.substr(open + 1, type.size() - open - 2);
    const size_t comma = dims.find(',');
    if (comma == std::string_view::npos) {
        if (!ParseDimension(dims, array.dim1)) return std::nullopt;
    } else if (!ParseDimension(dims.substr(0, comma), array.dim1) ||
               !ParseDimension(dims.substr(comma + 1), array.dim2)) {
        return std::nullopt;
    }
    if (array.dim1 > kMaxArrayElements || array.dim2 > kMaxArrayElements ||
        static_cast<long long>(array.dim1) * std::max(array.dim2, 1) > kMaxArrayElements)
        return std::nullopt;
    return array;
}

const TagList* MemberDeclarations(const CProject& project, std::string_view type) {
    if (const CUnit* unit = project.FindUnit(type); unit && unit->IsFunctionBlock()) return &unit->tags;
    if (const CType* t = project.FindType(type)) return &t->members;
    return nullptr;
}

void BuildMembers(const CProject& project, CTag& tag) {
    BuildState state(project);
    Build(state, tag, 0);
}

bool BuildMembersWithin(const CProject& project, CTag& tag, long maxNodes, long& built) {
    BuildState state(project, std::min<long>(std::max<long>(maxNodes, 0), kMaxMemberNodes));
    Build(state, tag, 0);
    built = state.nodes;
    if (!state.cut) return true;
    tag.members.clear();
    return false;
}

int TypeBitSize(const CProject& project, std::string_view type) {
    if (int bits = ElementaryBits(type)) return bits;
    if (type == "Zone") return 128;
    if (type == "TIMER" || type == "COUNTER") return 2;
    // A structure's entry carries its laid-out size in bytes; the module's connection
    // records rely on exactly this value.
    return TypeByteSize(project, std::string(type));
}

}  // namespace pontra
