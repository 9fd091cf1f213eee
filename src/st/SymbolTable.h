// SPDX-License-Identifier: GPL-3.0-or-later
// The symbol table of a Structured Text compile: the callable units of the project and
// the standard library, and, for the unit being compiled, every variable it can name.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "build/StandardLibrary.h"
#include "st/Lexer.h"

namespace pontra {

class CProject;
class CTag;
class CUnit;

struct SymbolVariable {
    std::string name;
    std::string type;
    std::string direction;  // VAR_INPUT, VAR_OUTPUT, VAR_IN_OUT or VAR
    int bits = 0;
    int usage = 0;           // the tag's usage (input, output, static ...)
    int depth = 0;           // function-block instances that enclose the tag
    CTag* tag = nullptr;     // the tag itself, when there is one
    const SymbolVariable* parent = nullptr;  // the enclosing tag's variable (variables never move)
};

class SymbolEntry {
public:
    std::string name;
    std::string category;  // PROGRAM, FUNCTION, FUNCTION_BLOCK or ST_FUNC
    CUnit* unit = nullptr;

    // In the order added.
    const std::vector<SymbolVariable*>& Variables() const { return order_; }
    SymbolVariable& Add(SymbolVariable variable);
    // Room for this many variables in all, so that they are placed in one block.
    void Reserve(size_t variables);
    // The first variable of the name, or null.
    const SymbolVariable* Find(std::string_view name) const;

private:
    // A compile makes hundreds of variables for a unit (every bit of every integer is
    // one): they are kept in blocks that never move, so that pointers to them stay valid,
    // rather than each on its own.
    std::vector<std::vector<SymbolVariable>> blocks_;
    std::vector<SymbolVariable*> order_;
    // A few variables (a function's or a block's parameters) are searched in order; from
    // kIndexedFrom on, an open-addressing table of the first variable of each name
    // (null slots are free; its size is a power of two).
    static constexpr size_t kIndexedFrom = 16;
    std::vector<const SymbolVariable*> index_;
    size_t indexed_ = 0;  // variables in the table
    void Index(const SymbolVariable& variable);
    void Place(const SymbolVariable& variable);
    void Rehash(size_t slots);
};

class SymbolTable {
public:
    SymbolEntry& Add(std::string name, std::string category, CUnit* unit = nullptr);
    const SymbolEntry* Find(std::string_view name) const;
    const SymbolEntry* FirstStandardFunction() const { return firstStFunc_; }
    const std::vector<std::unique_ptr<SymbolEntry>>& Entries() const { return entries_; }
    SymbolEntry* compiled = nullptr;  // the entry of the unit being compiled

private:
    std::vector<std::unique_ptr<SymbolEntry>> entries_;
    std::unordered_map<std::string_view, const SymbolEntry*> index_;  // keyed by the entry's own name
    const SymbolEntry* firstStFunc_ = nullptr;
};

// The function blocks of the project (each with its input, output and in-out tags),
// the standard library, the functions the compiler knows beyond it (MAX, MIN, GT, GE,
// EQ, LE, LT, MUX, RDR, WRR, WRC), and the compiled unit's variables.
SymbolTable BuildSymbolTable(const CProject& project, const StandardLibrary& library, CUnit& compiled);

// Gives every Identifier its final kind: standard function, function, program, or
// instance of a user or standard function block.
void ClassifyIdentifiers(TokenList& tokens, const SymbolTable& symbols, const CUnit& unit);

// Function blocks whose instances count as standard instances.
bool IsStandardInstanceType(std::string_view type);

}  // namespace pontra
