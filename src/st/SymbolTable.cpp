// SPDX-License-Identifier: GPL-3.0-or-later
#include "st/SymbolTable.h"

#include <algorithm>
#include <initializer_list>

#include "model/Project.h"
#include "st/TypeRules.h"

namespace pontra {

namespace {

const char* DirectionOf(int usage) {
    switch (usage) {
    case kUsageInput: return "VAR_INPUT";
    case kUsageOutput: return "VAR_OUTPUT";
    case kUsageInOut: return "VAR_IN_OUT";
    default: return "VAR";
    }
}

struct VariableSpec {
    const char* name;
    const char* type;
    const char* direction;
};

// Functions the parser knows by name that the library does not declare. Declaring them
// here gives their calls the same argument checks as the library's functions.
void AddCompilerFunctions(SymbolTable& table) {
    auto add = [&](const char* name, std::initializer_list<VariableSpec> variables) {
        SymbolEntry& entry = table.Add(name, "ST_FUNC");
        for (const auto& v : variables) entry.Add({v.name, v.type, v.direction, StTypeBits(v.type)});
    };
    for (const char* name : {"MAX", "MIN"})
        add(name, {{"IN1", "ANY_NUM", "VAR_INPUT"}, {"IN2", "ANY_NUM", "VAR_INPUT"}, {"OUT", "ANY_NUM", "VAR_OUTPUT"}});
    for (const char* name : {"GT", "GE", "EQ", "LE", "LT"})
        add(name, {{"IN1", "ANY_NUM", "VAR_INPUT"}, {"IN2", "ANY_NUM", "VAR_INPUT"}, {"OUT", "BOOL", "VAR_OUTPUT"}});
    add("MUX", {{"K", "ANY_INT", "VAR_INPUT"}, {"IN", "ANY", "VAR_INPUT"}, {"OUT", "ANY", "VAR_OUTPUT"}});
    // RDR reads a register and takes no value; WRR and WRC take the value to write.
    add("RDR", {{"OUT", "REGISTER", "VAR_OUTPUT"}});
    add("WRR", {{"IN", "ANY_INT", "VAR_INPUT"}});
    add("WRC", {{"IN", "ANY_INT", "VAR_INPUT"}});
}

bool IsInstanceType(const SymbolTable& table, const std::string& type) {
    const SymbolEntry* entry = table.Find(type);
    return entry && entry->category == "FUNCTION_BLOCK";
}

// A member without a usage of its own (a structure member, an element, a bit) takes the
// usage of the tag that holds it, so that a static structure of an instance stays static.
// `parentIsInstance`: the parent's type is a function block.
void AddTagTree(SymbolTable& table, SymbolEntry& entry, CTag& tag, int depth, const SymbolVariable* parent,
                bool parentIsInstance) {
    int usage = tag.usage;
    if (usage == kUsageNone && parent && !parentIsInstance) usage = parent->usage;
    SymbolVariable v{tag.name, tag.dataType, DirectionOf(tag.usage), StTypeBits(tag.dataType), usage, depth, &tag,
                     parent};
    const SymbolVariable& added = entry.Add(std::move(v));
    if (tag.members.empty()) return;
    const bool instance = IsInstanceType(table, tag.dataType);
    for (auto& member : tag.members) AddTagTree(table, entry, *member, depth + (instance ? 1 : 0), &added, instance);
}

size_t TreeSize(const CTag& tag) {
    size_t size = 1;
    for (const auto& member : tag.members) size += TreeSize(*member);
    return size;
}

}  // namespace

SymbolVariable& SymbolEntry::Add(SymbolVariable variable) {
    if (blocks_.empty() || blocks_.back().size() == blocks_.back().capacity()) {
        // Blocks double in size, from a few variables for a function's parameters.
        blocks_.emplace_back().reserve(blocks_.empty() ? 4 : std::min<size_t>(2 * blocks_.back().capacity(), 1024));
    }
    SymbolVariable& added = blocks_.back().emplace_back(std::move(variable));
    order_.push_back(&added);
    if (!index_.empty()) {
        Index(added);
    } else if (order_.size() == kIndexedFrom) {
        Rehash(64);
        for (const SymbolVariable* v : order_) Index(*v);
    }
    return added;
}

void SymbolEntry::Reserve(size_t variables) {
    if (variables <= order_.size()) return;
    blocks_.emplace_back().reserve(variables - order_.size());
    order_.reserve(variables);
    if (variables >= kIndexedFrom && index_.size() < 2 * variables) {
        size_t slots = 64;
        while (slots < 2 * variables) slots *= 2;
        const bool fresh = index_.empty();
        Rehash(slots);
        if (fresh)
            for (const SymbolVariable* v : order_) Index(*v);
    }
}

// Places a variable unless its name is taken (the first of a name stays); the table is
// kept at most half full.
void SymbolEntry::Index(const SymbolVariable& variable) {
    if (2 * (indexed_ + 1) > index_.size()) Rehash(2 * index_.size());
    const size_t mask = index_.size() - 1;
    size_t slot = std::hash<std::string_view>{}(variable.name) & mask;
    for (; index_[slot]; slot = (slot + 1) & mask)
        if (index_[slot]->name == variable.name) return;
    index_[slot] = &variable;
    ++indexed_;
}

void SymbolEntry::Place(const SymbolVariable& variable) {
    const size_t mask = index_.size() - 1;
    size_t slot = std::hash<std::string_view>{}(variable.name) & mask;
    while (index_[slot]) slot = (slot + 1) & mask;
    index_[slot] = &variable;
    ++indexed_;
}

void SymbolEntry::Rehash(size_t slots) {
    std::vector<const SymbolVariable*> old = std::move(index_);
    index_.assign(slots, nullptr);
    indexed_ = 0;
    for (const SymbolVariable* v : old)
        if (v) Place(*v);
}

const SymbolVariable* SymbolEntry::Find(std::string_view name) const {
    if (index_.empty()) {
        for (const SymbolVariable* v : order_)
            if (v->name == name) return v;
        return nullptr;
    }
    const size_t mask = index_.size() - 1;
    for (size_t slot = std::hash<std::string_view>{}(name) & mask; index_[slot]; slot = (slot + 1) & mask)
        if (index_[slot]->name == name) return index_[slot];
    return nullptr;
}

SymbolEntry& SymbolTable::Add(std::string name, std::string category, CUnit* unit) {
    auto entry = std::make_unique<SymbolEntry>();
    entry->name = std::move(name);
    entry->category = std::move(category);
    entry->unit = unit;
    SymbolEntry& added = *entry;
    entries_.push_back(std::move(entry));
    index_.try_emplace(added.name, &added);
    if (!firstStFunc_ && added.category == "ST_FUNC") firstStFunc_ = &added;
    return added;
}

const SymbolEntry* SymbolTable::Find(std::string_view name) const {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : it->second;
}

bool IsStandardInstanceType(std::string_view type) {
    for (std::string_view t : {"RS", "SR", "R_TRIG", "F_TRIG", "CTU", "CTD", "CTUD", "TP", "TON", "TOF"})
        if (t == type) return true;
    return false;
}

SymbolTable BuildSymbolTable(const CProject& project, const StandardLibrary& library, CUnit& compiled) {
    SymbolTable table;
    for (const auto& unit : project.units) {
        if (!unit->IsFunctionBlock()) continue;
        SymbolEntry& entry = table.Add(unit->name, "FUNCTION_BLOCK", unit.get());
        if (unit.get() == &compiled) {
            table.compiled = &entry;
            continue;  // filled below with every variable
        }
        for (auto& tag : unit->tags)
            if (tag->usage == kUsageInput || tag->usage == kUsageOutput || tag->usage == kUsageInOut)
                entry.Add({tag->name, tag->dataType, DirectionOf(tag->usage), StTypeBits(tag->dataType), tag->usage, 0,
                           tag.get()});
    }
    if (!table.compiled) table.compiled = &table.Add(compiled.name, "FUNCTION_BLOCK", &compiled);
    for (const auto& item : library) {
        SymbolEntry& entry = table.Add(item->name, item->kind);
        for (const auto& p : item->params) entry.Add({p->name, p->type, p->section, StTypeBits(p->type)});
    }
    AddCompilerFunctions(table);
    size_t variables = 0;
    for (const auto& tag : compiled.tags) variables += TreeSize(*tag);
    table.compiled->Reserve(table.compiled->Variables().size() + variables);
    for (auto& tag : compiled.tags) AddTagTree(table, *table.compiled, *tag, 0, nullptr, false);
    return table;
}

void ClassifyIdentifiers(TokenList& tokens, const SymbolTable& symbols, const CUnit& unit) {
    const auto& entries = symbols.Entries();
    auto position = [&](const SymbolEntry* e) {
        return std::find_if(entries.begin(), entries.end(), [&](const auto& p) { return p.get() == e; }) - entries.begin();
    };
    const SymbolEntry* firstStFunc = symbols.FirstStandardFunction();
    const auto firstStFuncPosition = firstStFunc ? position(firstStFunc) : 0;
    // The unit's own tags by name, the first of each name as a search of the list finds it.
    std::unordered_map<std::string_view, const CTag*> tags;
    tags.reserve(unit.tags.size());
    for (const auto& tag : unit.tags) tags.try_emplace(tag->name, tag.get());
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i] || tokens[i]->kind != kTokIdentifier) continue;
        Token& token = *tokens[i];
        const bool callFollows = i + 1 < tokens.size() && tokens[i + 1] && tokens[i + 1]->text == "(";
        const SymbolEntry* entry = symbols.Find(token.text);
        // A conversion name matches every standard function, so the first one decides
        // unless an entry of its own name comes earlier.
        if (firstStFunc && !ConversionResultType(token.text).empty() &&
            (!entry || firstStFuncPosition < position(entry)))
            entry = firstStFunc;
        if (entry) {
            if (entry->category == "PROGRAM") {
                token.kind = kTokProgramName;
            } else if (entry->category == "FUNCTION") {
                if (i == 1 || callFollows) token.kind = kTokFunctionName;
            } else if (entry->category == "ST_FUNC") {
                if (callFollows) token.kind = kTokStandardFunction;
            } else if (entry->category == "FUNCTION_BLOCK") {
                token.kind = kTokFunctionBlockInstance;
                token.type = entry->name;
            }
        }
        if (token.kind != kTokIdentifier) continue;
        const auto found = tags.find(token.text);
        const CTag* tag = found == tags.end() ? nullptr : found->second;
        const SymbolEntry* type = tag ? symbols.Find(tag->dataType) : nullptr;
        if (type && type->category == "FUNCTION_BLOCK") {
            token.kind = IsStandardInstanceType(type->name) ? kTokStandardFunctionBlockInstance : kTokFunctionBlockInstance;
            token.type = type->name;
        }
    }
}

}  // namespace pontra
