// SPDX-License-Identifier: GPL-3.0-or-later
// The instruction-list generator: walks the syntax tree of a unit that parsed without
// error and writes accumulator-style instruction lines ("LD \t\t x", "ADD \t\t y",
// labels "name:"), taking temporaries for values that must wait.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "st/SymbolTable.h"
#include "st/SyntaxNode.h"

namespace pontra {

class CUnit;
class Host;

class CodeGenerator {
public:
    CodeGenerator(CUnit& unit, SymbolTable& symbols, Host& host);

    // Generates every statement of a list, following the next links.
    void GenerateStatements(const SyntaxNode* first);

    const std::vector<std::string>& Lines() const { return lines_; }
    // The source line of the statement each instruction line was generated for.
    const std::vector<int>& SourceLines() const { return sourceLines_; }

    // Temporary names: "_%s_%d" by type and number; a REGISTER value uses DINT.
    std::string TakeTemporary(const std::string& type);
    void ReleaseTemporary(const std::string& type);

private:
    void Generate(const SyntaxNode* node);
    void Leaf(const SyntaxNode& node);
    void Unary(const SyntaxNode& node);
    void Binary(const SyntaxNode& node, const SyntaxNode* left, const SyntaxNode* right);
    void If(const SyntaxNode& node);
    void Elsif(const SyntaxNode& node);
    void Case(const SyntaxNode& node);
    void For(const SyntaxNode& node);
    void Exit(const SyntaxNode& node);
    void BlockCall(const SyntaxNode& node);
    void StandardBlockCall(const SyntaxNode& node);
    void FunctionCall(const SyntaxNode& node);
    void StandardFunction(const SyntaxNode& node);
    // A leaf's text, or the value's code stored into a temporary and that temporary's name.
    std::string Operand(const SyntaxNode& value, std::vector<std::string>* taken);
    void LoadValue(const SyntaxNode& value);

    void Emit(const std::string& opcode, const std::string& operand);
    void EmitWord(const std::string& word);
    void EmitLabel(const std::string& label);

    size_t CounterIndex(const std::string& type) const;
    void CreateTemporary(const std::string& name, const std::string& type);

    CUnit& unit_;
    SymbolTable& symbols_;
    Host& host_;
    std::vector<std::string> lines_;
    std::vector<int> sourceLines_;
    int line_ = 0;
    std::array<int, 13> counters_{};
    // Variables of other entries whose type is this unit: they receive its temporaries.
    std::vector<std::pair<SymbolEntry*, std::string>> instances_;
};

// The temporaries' counter types, in order; the last counter serves every other type.
extern const std::array<const char*, 12> kTemporaryTypes;

}  // namespace pontra
