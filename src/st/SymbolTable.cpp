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
void AddTagTree(SymbolTable& table, SymbolEntry& entry, CTag& tag, int depth, const SymbolVariable* parent) {
    int usage = tag.usage;
    if (usage == kUsageNone && parent && !IsInstanceType(table, parent->type)) usage = parent->usage;
    SymbolVariable v{tag.name, tag.dataType, DirectionOf(tag.usage), StTypeBits(tag.dataType), usage, depth, &tag,
                     parent};
    const SymbolVariable& added = entry.Add(std::move(v));
    const int childDepth = depth + (IsInstanceType(table, tag.dataType) ? 1 : 0);
    for (auto& member : tag.members) AddTagTree(table, entry, *member, childDepth, &added);
}

}  // namespace

SymbolVariable& SymbolEntry::Add(SymbolVariable variable) {
    variables_.push_back(std::make_unique<SymbolVariable>(std::move(variable)));
    SymbolVariable& added = *variables_.back();
    index_.try_emplace(added.name, &added);
    return added;
}

const SymbolVariable* SymbolEntry::Find(std::string_view name) const {
    auto it = index_.find(std::string(name));
    return it == index_.end() ? nullptr : it->second;
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
    auto it = index_.find(std::string(name));
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
    for (auto& tag : compiled.tags) AddTagTree(table, *table.compiled, *tag, 0, nullptr);
    return table;
}

void ClassifyIdentifiers(TokenList& tokens, const SymbolTable& symbols, const CUnit& unit) {
    const auto& entries = symbols.Entries();
    auto position = [&](const SymbolEntry* e) {
        return std::find_if(entries.begin(), entries.end(), [&](const auto& p) { return p.get() == e; }) - entries.begin();
    };
    const SymbolEntry* firstStFunc = symbols.FirstStandardFunction();
    const auto firstStFuncPosition = firstStFunc ? position(firstStFunc) : 0;
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
        const CTag* tag = FindTag(unit.tags, token.text);
        const SymbolEntry* type = tag ? symbols.Find(tag->dataType) : nullptr;
        if (type && type->category == "FUNCTION_BLOCK") {
            token.kind = IsStandardInstanceType(type->name) ? kTokStandardFunctionBlockInstance : kTokFunctionBlockInstance;
            token.type = type->name;
        }
    }
}

}  // namespace pontra
