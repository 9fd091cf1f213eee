// SPDX-License-Identifier: GPL-3.0-or-later
#include "st/CodeGenerator.h"

#include <algorithm>
#include <map>

#include "host/Host.h"
#include "model/Unit.h"
#include "model/ValueStyle.h"
#include "st/Lexer.h"
#include "st/TypeRules.h"

namespace pontra {

const std::array<const char*, 12> kTemporaryTypes = {"REAL",  "INT",  "DINT", "SINT", "UDINT", "UINT",
                                                     "USINT", "DWORD", "WORD", "BYTE", "BOOL",  "TIME"};

namespace {

constexpr size_t kOtherCounter = 12;

// Operators, and the operator-like standard functions written as calls: ADD, SUB, MUL,
// DIV, GT, GE, EQ, LE and LT use the instruction of their operator; MAX and MIN have
// instructions of their own that the translation expands into a compare and a move.
const std::map<std::string, std::string, std::less<>> kOpcodes = {
    {"+", "ADD"},   {"-", "SUB"},   {"*", "MUL"},   {"/", "DIV"},   {"<", "LT"},    {">", "GT"},
    {">=", "GE"},   {"<=", "LE"},   {"=", "EQ"},    {"<>", "NE"},   {"AND", "AND"}, {"&", "AND"},
    {"XOR", "XOR"}, {"OR", "OR"},   {"<<", "SHL"},  {">>", "SHR"},  {"MOD", "MOD"}, {"ADD", "ADD"},
    {"SUB", "SUB"}, {"MUL", "MUL"}, {"DIV", "DIV"}, {"MAX", "MAX"}, {"MIN", "MIN"}, {"GT", "GT"},
    {"GE", "GE"},   {"EQ", "EQ"},   {"LE", "LE"},   {"LT", "LT"}};

bool IsOperatorLike(const std::string& name) {
    for (const char* n : {"ADD", "MUL", "SUB", "DIV", "AND", "OR", "XOR", "MAX", "MIN", "GT", "GE", "EQ", "LE", "LT"})
        if (name == n) return true;
    return false;
}

// Temporaries of types the tag memory has no layout for are stored in a signed integer
// wide enough for all their values, so that every temporary owns its bytes.
std::string StorageType(const std::string& type) {
    if (type == "BOOL" || type == "SINT" || type == "INT") return type;
    if (type == "USINT" || type == "BYTE") return "INT";
    return "DINT";
}

}  // namespace

CodeGenerator::CodeGenerator(CUnit& unit, SymbolTable& symbols, Host& host)
    : unit_(unit), symbols_(symbols), host_(host) {
    for (const auto& entry : symbols_.Entries())
        for (const auto& v : entry->Variables())
            if (v->type == unit_.name) instances_.emplace_back(entry.get(), v->name);
}

void CodeGenerator::Emit(const std::string& opcode, const std::string& operand) {
    lines_.push_back(opcode + " \t\t " + operand);
    sourceLines_.push_back(line_);
}

void CodeGenerator::EmitWord(const std::string& word) {
    lines_.push_back(word);
    sourceLines_.push_back(line_);
}

void CodeGenerator::EmitLabel(const std::string& label) { EmitWord(label + ":"); }

size_t CodeGenerator::CounterIndex(const std::string& type) const {
    const auto it = std::find(kTemporaryTypes.begin(), kTemporaryTypes.end(), type);
    return it == kTemporaryTypes.end() ? kOtherCounter : static_cast<size_t>(it - kTemporaryTypes.begin());
}

std::string CodeGenerator::TakeTemporary(const std::string& type) {
    const std::string t = type == "REGISTER" ? "DINT" : type;
    const size_t index = CounterIndex(t);
    const int number = counters_[index]++;
    const bool other = index == kOtherCounter;
    const std::string name = other ? "_UNKNOWN_" + std::to_string(number) : "_" + t + "_" + std::to_string(number);
    CreateTemporary(name, other ? "UNKNOWN" : t);
    return name;
}

void CodeGenerator::ReleaseTemporary(const std::string& type) {
    int& counter = counters_[CounterIndex(type == "REGISTER" ? "DINT" : type)];
    if (counter > 0) --counter;
}

void CodeGenerator::CreateTemporary(const std::string& name, const std::string& type) {
    SymbolEntry* own = symbols_.compiled;
    if (own && own->Find(name)) return;
    auto tag = std::make_unique<CTag>(name, StorageType(type));
    tag->initialValue = "0";
    tag->style = "Decimal";
    CTag* created = tag.get();
    unit_.stVariables.push_back(std::move(tag));
    const int bits = StTypeBits(type);
    if (own) own->Add({name, type, "VAR", bits, 0, 0, created});
    for (auto& [entry, variable] : instances_) entry->Add({variable + "." + name, type, "VAR", bits});
}

void CodeGenerator::GenerateStatements(const SyntaxNode* first) {
    for (const SyntaxNode* s = first; s; s = s->next.get()) Generate(s);
}

// Dispatch in the order: calls by kind, statements by keyword, then by child count.
void CodeGenerator::Generate(const SyntaxNode* node) {
    if (!node) return;
    if (node->line > 0) line_ = node->line;
    switch (node->kind) {
    case kTokFunctionBlockInstance: return BlockCall(*node);
    case kTokStandardFunctionBlockInstance: return StandardBlockCall(*node);
    case kTokFunctionName: return FunctionCall(*node);
    case kTokStandardFunction:
        if (!IsOperatorLike(node->text)) return StandardFunction(*node);
        if (node->children.size() >= 2) return Binary(*node, node->Child(0), node->Child(1));
        return Generate(node->Child(0));  // a single argument is the value itself
    default: break;
    }
    if (node->kind == kTokKeyword) {
        if (node->text == "IF") return If(*node);
        if (node->text == "CASE") return Case(*node);
        if (node->text == "FOR") return For(*node);
        if (node->text == "EXIT") return Exit(*node);
        if (node->text == "RETURN") return EmitWord("RETURN");
    }
    switch (node->children.size()) {
    case 0: return Leaf(*node);
    case 1: return Unary(*node);
    case 2: return Binary(*node, node->Child(0), node->Child(1));
    default: host_.Message("Error: cGen !!!");
    }
}

// rule 1: a leaf is loaded
void CodeGenerator::Leaf(const SyntaxNode& node) { Emit("LD", node.text); }

// rule 2: an assignment stores the value; a unary operator follows it
void CodeGenerator::Unary(const SyntaxNode& node) {
    Generate(node.Child(0));
    const std::string& t = node.text;
    if (!node.assignment && (t == "NEG" || t == "ABS" || t == "CLR" || t == "NOT"))
        EmitWord(t);
    else
        Emit("ST", t);
}

// rule 3: a leaf right operand is the instruction's operand; any other waits in a temporary
void CodeGenerator::Binary(const SyntaxNode& node, const SyntaxNode* left, const SyntaxNode* right) {
    if (!left || !right) return;
    std::string operand;
    if (right->IsLeaf()) {
        Generate(left);
        operand = right->text;
    } else {
        Generate(right);
        operand = TakeTemporary(right->type);
        Emit("ST", operand);
        Generate(left);
        ReleaseTemporary(right->type);
    }
    const auto opcode = kOpcodes.find(node.text);
    if (opcode == kOpcodes.end()) {
        host_.Message("Error: genOp !!!");
        return;
    }
    Emit(opcode->second, operand);
}

// rule 5: IF
void CodeGenerator::If(const SyntaxNode& node) {
    const std::string n = std::to_string(node.number);
    const size_t m = node.children.size();
    Generate(node.Child(0));
    EmitWord("NOTC");
    Emit("JMPC", "_else_if_" + n + "_1");
    GenerateStatements(node.Child(1));
    Emit("JMP", "_end_if_" + n);
    for (size_t i = 2; i + 1 < m; ++i)
        if (node.Child(i)) Elsif(*node.Child(i));
    EmitLabel("_else_if_" + n + "_" + std::to_string(m - 2));
    GenerateStatements(node.Child(m - 1));
    EmitLabel("_end_if_" + n);
}

// rule 6: ELSIF part k
void CodeGenerator::Elsif(const SyntaxNode& node) {
    const std::string n = std::to_string(node.number);
    EmitLabel("_else_if_" + n + "_" + std::to_string(node.index));
    Generate(node.Child(0));
    EmitWord("NOTC");
    Emit("JMPC", "_else_if_" + n + "_" + std::to_string(node.index + 1));
    GenerateStatements(node.Child(1));
    Emit("JMP", "_end_if_" + n);
}

// rule 7: CASE; the selector is evaluated anew for every branch
void CodeGenerator::Case(const SyntaxNode& node) {
    const std::string n = std::to_string(node.number);
    const size_t m = node.children.size();
    for (size_t i = 1; i + 1 < m; ++i) {
        const SyntaxNode* branch = node.Child(i);
        if (!branch) continue;
        const std::string label = "_case_" + n + "_" + std::to_string(branch->index);
        Generate(node.Child(0));
        Emit("NE", branch->text);
        Emit("JMPC", label);
        GenerateStatements(branch->Child(0));
        Emit("JMP", "_end_case_" + n);
        EmitLabel(label);
    }
    if (m >= 2) GenerateStatements(node.Child(m - 1));
    EmitLabel("_end_case_" + n);
}

// rule 8: FOR. The loop ends when the control variable passes the end value in the
// direction of the step: above it for a step of 0 or more, below it for a negative
// step. A literal step decides when the code is generated (a positive one keeps the
// plain loop test); any other step decides by its sign each time the test runs.
void CodeGenerator::For(const SyntaxNode& node) {
    const SyntaxNode* init = node.Child(0);
    const SyntaxNode* end = node.Child(1);
    const SyntaxNode* step = node.Child(2);
    if (!init || !end || !step) return;
    const std::string n = std::to_string(node.number);
    const std::string& control = init->text;
    Generate(init);
    EmitLabel("_for_" + n);
    std::string endOperand = end->text;
    if (!end->IsLeaf()) {
        Generate(end);
        endOperand = TakeTemporary(end->type);
        Emit("ST", endOperand);
    }
    std::string stepOperand = step->text;
    auto computeStep = [&] {
        if (step->IsLeaf()) return;
        Generate(step);
        if (stepOperand == step->text) stepOperand = TakeTemporary(step->type);
        Emit("ST", stepOperand);
    };
    if (step->IsLeaf() && step->kind == kTokLiteral) {
        Emit("LD", control);
        Emit(DecimalToInt(step->text) < 0 ? "LT" : "GT", endOperand);
        Emit("JMPC", "_end_for_" + n);
    } else {
        computeStep();
        Emit("LD", stepOperand);
        Emit("LT", "0");
        Emit("JMPC", "_for_down_" + n);
        Emit("LD", control);
        Emit("GT", endOperand);
        Emit("JMPC", "_end_for_" + n);
        Emit("JMP", "_for_body_" + n);
        EmitLabel("_for_down_" + n);
        Emit("LD", control);
        Emit("LT", endOperand);
        Emit("JMPC", "_end_for_" + n);
        EmitLabel("_for_body_" + n);
    }
    GenerateStatements(node.Child(3));
    computeStep();
    Emit("LD", control);
    Emit("ADD", stepOperand);
    Emit("ST", control);
    Emit("JMP", "_for_" + n);
    EmitLabel("_end_for_" + n);
}

// EXIT leaves the nearest enclosing loop
void CodeGenerator::Exit(const SyntaxNode& node) {
    const SyntaxNode* loop = node.parent;
    while (loop && loop->text != "FOR" && loop->text != "WHILE" && loop->text != "REPEAT") loop = loop->parent;
    if (loop) Emit("JMPC", "_end_for_" + std::to_string(loop->number));
}

void CodeGenerator::LoadValue(const SyntaxNode& value) {
    if (value.IsLeaf())
        Emit("LD", value.text);
    else
        Generate(&value);
}

// rule 9: user function-block call; inputs copied in, the call, outputs copied out
void CodeGenerator::BlockCall(const SyntaxNode& node) {
    for (const auto& arg : node.children) {
        if (!arg || arg->number != 0 || !arg->Child(0)) continue;
        LoadValue(*arg->Child(0));
        Emit("ST", node.text + "." + arg->text);
    }
    Emit("SETREL", node.text);
    Emit("CAL", node.type);
    for (const auto& arg : node.children) {
        if (!arg || arg->number != 1 || !arg->Child(0)) continue;
        Emit("LD", node.text + "." + arg->text);
        Emit("ST", arg->Child(0)->text);
    }
}

// rule 10: standard function-block call
void CodeGenerator::StandardBlockCall(const SyntaxNode& node) {
    for (const auto& arg : node.children) {
        if (!arg || arg->number != 0 || !arg->Child(0)) continue;
        LoadValue(*arg->Child(0));
        Emit("ST", node.text + "." + arg->text);
    }
    Emit(node.type, node.text);
}

// rule 11: function call with positional arguments
void CodeGenerator::FunctionCall(const SyntaxNode& node) {
    const SymbolEntry* entry = symbols_.Find(node.text);
    for (size_t i = 0; i < node.children.size(); ++i) {
        const SyntaxNode* arg = node.Child(i);
        if (!arg) continue;
        const std::string p =
            entry && i + 1 < entry->Variables().size() ? entry->Variables()[i + 1]->name : std::string();
        if (!arg->IsLeaf()) {
            Generate(arg);
            Emit("ST", node.text + "." + p);
        } else {
            Emit("LD", arg->text);
            Emit("SETREL", node.text);
            Emit("ST", node.text + "." + p);
            Emit("SETREL", unit_.name);
        }
    }
    Emit("SETREL", node.text);
    Emit("CAL", node.text);
}

// rule 12: standard function; the first argument in the accumulator, the others as operands
void CodeGenerator::StandardFunction(const SyntaxNode& node) {
    if (node.children.empty() || !node.Child(0)) return;
    std::vector<std::string> contributions, taken;
    for (size_t i = 1; i < node.children.size(); ++i) {
        const SyntaxNode* arg = node.Child(i);
        if (!arg) continue;
        if (arg->IsLeaf()) {
            contributions.push_back(arg->text);
            continue;
        }
        Generate(arg);
        contributions.push_back(TakeTemporary(arg->type));
        taken.push_back(arg->type);
        Emit("ST", contributions.back());
    }
    Generate(node.Child(0));
    std::string operands = node.Child(0)->text;
    if (node.children.size() > 1) {
        operands.clear();
        for (size_t i = 0; i < contributions.size(); ++i) operands += (i ? "," : "") + contributions[i];
    }
    Emit(node.text, operands);
    for (auto it = taken.rbegin(); it != taken.rend(); ++it) ReleaseTemporary(*it);
}

}  // namespace pontra
