// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "build/ArrayReference.h"
#include "model/Project.h"
#include "model/RegisterRules.h"
#include "st/Compiler.h"
#include "st/TypeRules.h"

namespace pontra {

namespace {

void MarkUsed(const SymbolVariable* v) {
    for (; v; v = v->parent)
        if (v->tag) v->tag->work2 = 1;
}

bool IsUnaryWord(const Token& t) {
    return (t.kind == kTokIdentifier || t.kind == kTokStandardFunction) &&
           (t.text == "NEG" || t.text == "ABS" || t.text == "CLR" || t.text == "NOT");
}

}  // namespace

bool CSTCompiler::Compatible(const SyntaxNode* value, const std::string& type) const {
    return IsAssignable(value->type, type, value->kind == kTokLiteral && value->IsLeaf(), value->text);
}

// One binary node. Past the height limit the right operand is dropped after one report,
// so that neither generation nor freeing recurses without bound.
NodePtr CSTCompiler::BinaryNode(const Token& op, NodePtr left, NodePtr right, std::string type) {
    if (left && left->height >= kMaxExpressionHeight) {
        if (left->height == kMaxExpressionHeight) {
            Error(op.line, "exp", "Expression is nested deeper than " + std::to_string(kMaxExpressionHeight) + " levels");
            left->height = kMaxExpressionHeight + 1;
        }
        return left;
    }
    auto node = std::make_unique<SyntaxNode>(op.text, op.kind, std::move(type), op.line);
    for (NodePtr* child : {&left, &right}) {
        if (*child) {
            (*child)->parent = node.get();
            node->height = std::max(node->height, (*child)->height + 1);
        }
        node->children.push_back(std::move(*child));
    }
    return node;
}

// Every binary level: left-associative, one node per operator.
NodePtr CSTCompiler::BinaryLevel(const char* routine, NodePtr (CSTCompiler::*next)(),
                                 std::initializer_list<const char*> ops, OperandRule rule) {
    NodePtr left = (this->*next)();
    while (std::any_of(ops.begin(), ops.end(), [&](const char* o) { return IsText(o); })) {
        const Token op = Cur();
        Advance();
        NodePtr right = (this->*next)();
        std::string type = left ? left->type : std::string();
        if (left && right && !left->type.empty() && !right->type.empty()) {
            const std::string& l = left->type;
            const std::string& r = right->type;
            const std::string mishmash = "Type mishmash near '" + op.text + "': Can't convert '" + r + "' to '" + l + "'";
            if (rule == OperandRule::Logical) {
                const std::string name = op.text == "&" ? "AND" : op.text;
                if (!Compatible(right.get(), l))
                    Error(op.line, routine, "Type mismatch near '" + name + "': Can't convert '" + r + "' to '" + l + "'");
            } else if (rule == OperandRule::Equality) {
                if (!Compatible(right.get(), l)) Error(op.line, routine, mishmash);
            } else if (l == "BOOL" || r == "BOOL") {
                Error(op.line, routine, "Can't use operation '" + op.text + "' with type BOOL");
            } else if (!Compatible(right.get(), l)) {
                Error(op.line, routine, mishmash);
            }
        }
        if (rule == OperandRule::Equality || rule == OperandRule::Comparison) type = "BOOL";
        left = BinaryNode(op, std::move(left), std::move(right), std::move(type));
    }
    return left;
}

// exp: exp_xor { "OR" exp_xor }
NodePtr CSTCompiler::exp() { return BinaryLevel("exp", &CSTCompiler::exp_xor, {"OR"}, OperandRule::Logical); }
// exp_xor: exp_and { "XOR" exp_and }
NodePtr CSTCompiler::exp_xor() { return BinaryLevel("exp_xor", &CSTCompiler::exp_and, {"XOR"}, OperandRule::Logical); }
// exp_and: exp_equal { ("AND" | "&") exp_equal }
NodePtr CSTCompiler::exp_and() {
    return BinaryLevel("exp_and", &CSTCompiler::exp_equal, {"AND", "&"}, OperandRule::Logical);
}
// exp_equal: exp_compare { ("=" | "<>") exp_compare }
NodePtr CSTCompiler::exp_equal() {
    return BinaryLevel("exp_equal", &CSTCompiler::exp_compare, {"=", "<>"}, OperandRule::Equality);
}
// exp_compare: exp_shift { ("<" | ">" | "<=" | ">=") exp_shift }
NodePtr CSTCompiler::exp_compare() {
    return BinaryLevel("exp_compare", &CSTCompiler::exp_shift, {"<", ">", "<=", ">="}, OperandRule::Comparison);
}
// exp_shift: simple_exp { ("<<" | ">>") simple_exp }
NodePtr CSTCompiler::exp_shift() {
    return BinaryLevel("exp_shift", &CSTCompiler::simple_exp, {"<<", ">>"}, OperandRule::Arithmetic);
}
// simple_exp: term { ("+" | "-") term }
NodePtr CSTCompiler::simple_exp() {
    return BinaryLevel("simple_exp", &CSTCompiler::term, {"+", "-"}, OperandRule::Arithmetic);
}
// term: factor { ("*" | "/" | "MOD") factor }
NodePtr CSTCompiler::term() { return BinaryLevel("term", &CSTCompiler::factor, {"*", "/", "MOD"}, OperandRule::Arithmetic); }

// Past the nesting limit the rest of the statement is skipped after one report.
bool CSTCompiler::EnterNesting(const char* routine) {
    if (depth_ < kMaxNesting) {
        ++depth_;
        return true;
    }
    Error(Cur().line, routine, "Expression is nested deeper than " + std::to_string(kMaxNesting) + " levels");
    while (!AtEnd() && !IsText(";")) Advance();
    return false;
}

// factor: unary factor | "(" exp ")" | literal | name | register | call
NodePtr CSTCompiler::factor() {
    const Token& t = Cur();
    if (IsUnaryWord(t)) {
        if (!EnterNesting("factor")) return nullptr;
        auto node = std::make_unique<SyntaxNode>(t.text, t.kind, "", t.line);
        Advance();
        NodePtr operand = factor();
        --depth_;
        if (operand) {
            node->type = operand->type;
            if (node->text != "NOT" && operand->type == "BOOL")
                Error(node->line, "factor", "Can't use operation '" + node->text + "' with type BOOL");
            operand->parent = node.get();
            node->height = operand->height + 1;
        }
        node->children.push_back(std::move(operand));
        return node;
    }
    if (t.kind == kTokOperator && t.text == "(") {
        if (!EnterNesting("factor")) return nullptr;
        Advance();
        NodePtr inner = exp();
        match(")");
        --depth_;
        return inner;
    }
    if (t.kind == kTokLiteral) {
        auto leaf = std::make_unique<SyntaxNode>(t.text, t.kind, t.type, t.line);
        Advance();
        return leaf;
    }
    if (t.kind == kTokIdentifier) {
        auto leaf = std::make_unique<SyntaxNode>(t.text, t.kind, ResolveName(t, "factor", false), t.line);
        Advance();
        return leaf;
    }
    if (t.kind == kTokRegisterReference) {
        const std::string& type = project_.doc.controllerType;
        int number = 0;
        if (!SupportsRegisterOperations(type))
            Error(t.line, "factor", "Register operations are not supported to " + type + " module");
        else if (t.text.starts_with("%RC"))
            Error(t.line, "factor", "Register operation '%RC' is supported only for writing into register");
        else if (!IsValidRegisterNumber(type, t.text.substr(2), true, number))
            Error(t.line, "factor", RegisterRangeMessage(type, true));
        auto leaf = std::make_unique<SyntaxNode>(t.text, t.kind, "REGISTER", t.line);
        Advance();
        return leaf;
    }
    if (t.kind == kTokFunctionName || t.kind == kTokStandardFunction) return call_expression();
    Error(t.line, "factor", "Unknown token '" + t.text + "'");
    return nullptr;
}

const SymbolVariable* CSTCompiler::VariableOf(const std::string& name) const {
    return symbols_.compiled ? symbols_.compiled->Find(name) : nullptr;
}

std::string CSTCompiler::TypeOf(const std::string& name) const {
    if (const SymbolVariable* v = VariableOf(name)) return v->type;
    const size_t open = name.find('[');
    if (open == std::string::npos) return {};
    const SymbolVariable* base = VariableOf(name.substr(0, open));
    return base ? base->type.substr(0, base->type.find('[')) : std::string();
}

// The type of a name read or written here, with the undeclared, array and scope checks.
std::string CSTCompiler::ResolveName(const Token& token, const char* routine, bool write) {
    const std::string& name = token.text;
    if (const SymbolVariable* v = VariableOf(name)) {
        IsValidScope(*v, name, write, routine, token.line);
        MarkUsed(v);
        return v->type;
    }
    const std::string type = TypeOf(name);
    if (type.empty()) {
        Error(token.line, routine, "Undeclared identifier '" + name + "'");
        return type;
    }
    const size_t open = name.find('[');
    const SymbolVariable* base = VariableOf(name.substr(0, open));
    const std::string message =
        CheckArrayReference(name, [this](std::string_view n) { return TypeOf(std::string(n)); });
    if (!message.empty()) {
        Error(token.line, routine, message);
    } else if (unit_.tags2.empty()) {
        for (int i = 0; i < 3; ++i) unit_.tags2.push_back(std::make_unique<CTag>("TagIArray" + std::to_string(i), "DINT"));
    }
    IsValidScope(*base, name, write, routine, token.line);
    MarkUsed(base);
    // Index tags are read.
    const std::string indexes = name.substr(open + 1, name.size() > open + 1 ? name.size() - open - 2 : 0);
    for (size_t start = 0; start <= indexes.size();) {
        const size_t comma = std::min(indexes.find(',', start), indexes.size());
        if (const SymbolVariable* index = VariableOf(indexes.substr(start, comma - start))) {
            IsValidScope(*index, index->name, false, routine, token.line);
            MarkUsed(index);
        }
        start = comma + 1;
    }
    return type;
}

// IsValidScope: reading and writing across function-block instances
void CSTCompiler::IsValidScope(const SymbolVariable& v, const std::string& name, bool write, const char* routine,
                               int line) {
    const char* message = nullptr;
    if (write) {
        if (v.depth >= 2)
            message = "Can't write in Function Block Inherited Static tag '";
        else if (v.depth == 0 && v.usage == kUsageInput)
            message = "Can't write in own Input tag '";
        else if (v.depth == 1 && v.usage == kUsageOutput)
            message = "Can't write in Function Block Output tag '";
        else if (v.depth == 1 && v.usage == kUsageStatic)
            message = "Can't write in Function Block Static tag '";
    } else {
        if (v.depth >= 2)
            message = "Can't read from Function Block Inherited Static tag '";
        else if (v.depth == 1 && v.usage == kUsageStatic)
            message = "Can't read from Function Block Static tag '";
    }
    if (message) Error(line, routine, message + name + "'");
}

// A register written by an assignment or a call output: "%R" n or "%RC" n
NodePtr CSTCompiler::RegisterTarget(const Token& token, const char* routine) {
    const std::string& type = project_.doc.controllerType;
    const bool comm = token.text.starts_with("%RC");
    const std::string digits = token.text.substr(comm ? 3 : 2);
    int number = 0;
    if (!SupportsRegisterOperations(type))
        Error(token.line, routine, "Register operations are not supported to " + type + " module");
    else if (!IsValidRegisterNumber(type, digits, false, number))
        Error(token.line, routine, RegisterRangeMessage(type, false));
    else if (comm && IsControllerOutputRegister(type, number))
        Error(token.line, routine,
              "Forbidden register number (Register " + std::to_string(number) + " is Controller Output Tag)");
    auto node = std::make_unique<SyntaxNode>(token.text, token.kind, "REGISTER", token.line);
    Advance();
    return node;
}

}  // namespace pontra
