// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <set>

#include "model/Project.h"
#include "model/RegisterRules.h"
#include "st/Compiler.h"
#include "st/TypeRules.h"

namespace pontra {

namespace {

bool IsOperatorLike(const std::string& name) {
    for (const char* n : {"ADD", "MUL", "SUB", "DIV", "AND", "OR", "XOR", "MAX", "MIN", "GT", "GE", "EQ", "LE", "LT"})
        if (name == n) return true;
    return false;
}

bool IsComparisonFunction(const std::string& name) {
    return name == "GT" || name == "GE" || name == "EQ" || name == "LE" || name == "LT";
}

std::vector<const SymbolVariable*> VariablesOf(const SymbolEntry* entry, std::initializer_list<const char*> directions) {
    std::vector<const SymbolVariable*> out;
    if (!entry) return out;
    for (const auto& v : entry->Variables())
        if (std::any_of(directions.begin(), directions.end(), [&](const char* d) { return v->direction == d; }))
            out.push_back(v);
    return out;
}

std::string ParameterError(size_t i, const std::string& from, const std::string& to) {
    return "Type mishmash: Can't convert parameter " + std::to_string(i) + " from '" + from + "' to '" + to + "'";
}

// The call's value type: a generic declared output takes the first argument's type.
std::string ResolveOutputType(const std::string& declared, const std::vector<NodePtr>& args) {
    if (declared.find("ANY") == std::string::npos) return declared;
    return !args.empty() && args[0] ? args[0]->type : std::string();
}

bool DolDorSupported(const std::string& controllerType) {
    for (const char* t : {"Vessa", "VessaK1", "Vessa-Lite", "VessaK2", "Kormo", "VessaK2/K3-48V", "VessaK3", "KTX-310-1",
                          "KTX-310-B", "KTX-310-0"})
        if (controllerType == t) return true;
    return false;
}

// A call node over its arguments.
NodePtr CallNode(const Token& name, std::string type, std::vector<NodePtr> args) {
    auto node = std::make_unique<SyntaxNode>(name.text, name.kind, std::move(type), name.line);
    for (auto& a : args) {
        if (!a) continue;
        a->parent = node.get();
        node->height = std::max(node->height, a->height + 1);
    }
    node->children = std::move(args);
    return node;
}

}  // namespace

// "(" [ exp { "," exp } ] ")"; a list shorter than `minArgs` draws the "," that is missing.
std::vector<NodePtr> CSTCompiler::Arguments(size_t minArgs) {
    std::vector<NodePtr> args;
    match("(");
    if (!IsText(")")) {
        args.push_back(exp());
        while (IsText(",")) {
            Advance();
            args.push_back(exp());
        }
    }
    if (args.size() < minArgs) match(",");
    match(")");
    return args;
}

NodePtr CSTCompiler::call_expression() {
    const Token& t = Cur();
    if (t.kind == kTokFunctionName) return stmt_function();
    if (t.text == "MUX") return stmt_st_function_MUX();
    if (t.text == "RDR" || t.text == "WRR" || t.text == "WRC") return stmt_st_function_Register(false);
    return stmt_st_function();
}

// stmt_function: name "(" exp { "," exp } ")"
NodePtr CSTCompiler::stmt_function() {
    const Token name = Cur();
    Advance();
    const SymbolEntry* entry = symbols_.Find(name.text);
    if (!entry || entry->category != "FUNCTION") {
        Error(name.line, "stmt_function", "Function '" + name.text + "' is undeclared");
        entry = nullptr;
    }
    std::vector<NodePtr> args = Arguments(1);
    std::string type;
    if (entry) {
        const auto inputs = VariablesOf(entry, {"VAR_INPUT", "VAR_IN_OUT"});
        for (size_t i = 0; i < args.size() && i < inputs.size(); ++i)
            if (args[i] && !args[i]->type.empty() && !Compatible(args[i].get(), inputs[i]->type))
                Error(args[i]->line, "stmt_function", ParameterError(i, args[i]->type, inputs[i]->type));
        const auto outputs = VariablesOf(entry, {"VAR_OUTPUT"});
        if (outputs.empty())
            Error(name.line, "stmt_function", "The output of Function '" + name.text + "' is undeclared");
        else
            type = outputs[0]->type;
    }
    return CallNode(name, type, std::move(args));
}

// stmt_st_function: name "(" exp { "," exp } ")", conversions and operator-like calls
NodePtr CSTCompiler::stmt_st_function() {
    const Token name = Cur();
    Advance();
    const std::string conversion = ConversionResultType(name.text);
    const SymbolEntry* entry = symbols_.Find(name.text);
    if (!entry || entry->category != "ST_FUNC") entry = nullptr;
    const bool operatorLike = entry && IsOperatorLike(name.text);
    if (!entry && conversion.empty()) {
        Error(name.line, "stmt_st_function", "Standard Function '" + name.text + "' is undeclared");
        Arguments(0);
        return nullptr;
    }
    // Conversions are checked against the first standard function's inputs.
    const SymbolEntry* declaration = conversion.empty() ? entry : symbols_.FirstStandardFunction();
    const auto inputs = VariablesOf(declaration, {"VAR_INPUT"});
    const size_t required = !conversion.empty() ? 1 : operatorLike && !IsComparisonFunction(name.text) ? 1 : inputs.size();
    std::vector<NodePtr> args = Arguments(required);

    CheckStandardArguments(name.text, args, inputs, !conversion.empty() ? 1 : inputs.size(), operatorLike);
    std::string type = conversion;
    if (type.empty()) {
        const auto outputs = VariablesOf(entry, {"VAR_OUTPUT"});
        if (outputs.empty())
            Error(name.line, "stmt_st_function", "The output of Standard Function '" + name.text + "' is undeclared");
        else
            type = ResolveOutputType(outputs[0]->type, args);
    }
    if (operatorLike && args.size() > 2) return OperatorLikeCall(name, std::move(args), type);
    return CallNode(name, type, std::move(args));
}

// Each argument against the declared input at its position. Operator-like calls: the
// first argument against the first input, the others against the first argument; ADD,
// MUL ... take any number of arguments, the comparisons two.
void CSTCompiler::CheckStandardArguments(const std::string& name, const std::vector<NodePtr>& args,
                                         const std::vector<const SymbolVariable*>& inputs, size_t declaredCount,
                                         bool operatorLike) {
    const bool extensible = operatorLike && !IsComparisonFunction(name);
    for (size_t i = 0; i < args.size(); ++i) {
        if (!args[i] || args[i]->type.empty()) continue;
        const std::string& type = args[i]->type;
        if (!extensible && i >= declaredCount) {
            Error(args[i]->line, "stmt_st_function", "The input of Standard Function '" + name + "' is undeclared");
        } else if (operatorLike && i > 0) {
            if (args[0] && !args[0]->type.empty() && !Compatible(args[i].get(), args[0]->type))
                Error(args[i]->line, "stmt_st_function", ParameterError(i, type, args[0]->type));
        } else if (!inputs.empty()) {
            const std::string& declared = inputs[std::min(i, inputs.size() - 1)]->type;
            if (!AcceptsType(declared, type)) Error(args[i]->line, "stmt_st_function", ParameterError(i, type, declared));
        }
    }
}

// ADD(a, b, c) is ((a + b) + c): one two-operand call node per further argument.
NodePtr CSTCompiler::OperatorLikeCall(const Token& name, std::vector<NodePtr> args, const std::string& type) {
    NodePtr left = std::move(args[0]);
    for (size_t i = 1; i < args.size(); ++i) {
        Token op = name;
        left = BinaryNode(op, std::move(left), std::move(args[i]), type);
    }
    return left;
}

// stmt_st_function_MUX: "MUX" "(" selector "," value { "," value } ")"
NodePtr CSTCompiler::stmt_st_function_MUX() {
    const Token name = Cur();
    Advance();
    const SymbolEntry* entry = symbols_.Find(name.text);
    const auto inputs = VariablesOf(entry, {"VAR_INPUT"});
    std::vector<NodePtr> args = Arguments(2);
    const SyntaxNode* first = args.size() > 1 ? args[1].get() : nullptr;
    for (size_t i = 0; i < args.size() && inputs.size() >= 2; ++i) {
        if (!args[i] || args[i]->type.empty()) continue;
        const std::string& declared = inputs[std::min<size_t>(i, 1)]->type;
        if (!AcceptsType(declared, args[i]->type))
            Error(args[i]->line, "stmt_st_function_MUX", ParameterError(i, args[i]->type, declared));
        else if (i > 1 && first && !first->type.empty() && !Compatible(args[i].get(), first->type))
            Error(args[i]->line, "stmt_st_function_MUX", ParameterError(i, args[i]->type, first->type));
    }
    std::string type = first ? first->type : "";
    return CallNode(name, type, std::move(args));
}

// The "R#" n operand of a register function.
bool CSTCompiler::RegisterNumber(const char* routine, const std::string& function, int& number) {
    const std::string& type = project_.doc.controllerType;
    const int line = Cur().line;
    std::string digits;
    if ((IsText("R") || IsText("r"))) {
        Advance();
        if (IsText("#")) {
            Advance();
            if (Cur().kind == kTokLiteral) {
                digits = Cur().text;
                Advance();
            }
        }
    }
    const bool read = function == "RDR";
    if (!SupportsRegisterOperations(type)) {
        Error(line, routine, "Register operations are not supported to " + type + " module");
        return false;
    }
    if (!IsValidRegisterNumber(type, digits, read, number)) {
        Error(line, routine, RegisterRangeMessage(type, read));
        return false;
    }
    if (function == "WRC" && IsControllerOutputRegister(type, number)) {
        Error(line, routine, "Forbidden register number (Register " + std::to_string(number) + " is Controller Output Tag)");
        return false;
    }
    return true;
}

// stmt_st_function_Register: ("RDR" | "WRR" | "WRC") "(" "R#" n { "," exp } ")"
// RDR(R#n) reads register n like "%Rn"; WRR(R#n, v) and WRC(R#n, v) are the statements
// "%Rn := v" and "%RCn := v".
NodePtr CSTCompiler::stmt_st_function_Register(bool statement) {
    static constexpr const char* kRoutine = "stmt_st_function_Register";
    const Token name = Cur();
    Advance();
    const auto inputs = VariablesOf(symbols_.Find(name.text), {"VAR_INPUT"});
    match("(");
    int number = 0;
    const bool valid = RegisterNumber(kRoutine, name.text, number);
    std::vector<NodePtr> values;
    while (IsText(",")) {
        Advance();
        NodePtr value = exp();
        const size_t i = values.size();
        if (value && !value->type.empty()) {
            if (i >= inputs.size())
                Error(value->line, kRoutine, "The input of Standard Function '" + name.text + "' is undeclared");
            else if (!AcceptsType(inputs[i]->type, value->type))
                Error(value->line, kRoutine,
                      "Type mishmash: Can't convert input parameter from '" + value->type + "' to '" + inputs[i]->type + "'");
        }
        values.push_back(std::move(value));
    }
    if (values.size() < inputs.size()) match(",");
    match(")");
    const std::string reference = (name.text == "WRC" ? "%RC" : "%R") + std::to_string(valid ? number : 0);
    if (name.text == "RDR") return std::make_unique<SyntaxNode>(reference, kTokRegisterReference, "REGISTER", name.line);
    if (!statement) {
        Error(name.line, kRoutine, "The output of Standard Function '" + name.text + "' is undeclared");
        return nullptr;
    }
    auto node = std::make_unique<SyntaxNode>(reference, kTokRegisterReference, "REGISTER", name.line);
    node->assignment = true;
    if (!values.empty() && values[0]) {
        values[0]->parent = node.get();
        node->height = values[0]->height + 1;
        node->children.push_back(std::move(values[0]));
    }
    return node;
}

// stmt_function_block / stmt_st_function_block: instance "(" [ arg { "," arg } ] ")" ";"
NodePtr CSTCompiler::stmt_function_block(const char* routine) {
    const Token instance = Cur();
    Advance();
    const SymbolEntry* entry = symbols_.Find(instance.type);
    if (!entry || entry->category != "FUNCTION_BLOCK") {
        Error(instance.line, routine, "Function block '" + instance.type + "' is undeclared");
        entry = nullptr;
    }
    const std::string& controller = project_.doc.controllerType;
    if ((instance.type == "IEC_DOL" || instance.type == "IEC_DOR") && !DolDorSupported(controller))
        Error(instance.line, routine, "Function block '" + instance.type + "' is not supported to " + controller + " module");
    auto node = std::make_unique<SyntaxNode>(instance.text, instance.kind, instance.type, instance.line);
    match("(");
    std::set<std::string> given;
    if (IsText(")")) {
        Advance();
    } else {
        for (;;) {
            NodePtr argument = BlockArgument(routine, entry, given);
            argument->parent = node.get();
            node->height = std::max(node->height, argument->height + 1);
            node->children.push_back(std::move(argument));
            if (IsText(",")) {
                Advance();
                continue;
            }
            if (IsText(")")) {
                Advance();
                break;
            }
            Error(Cur().line, routine, "Token '" + Cur().text + "' must be ',' or ')'");
            break;
        }
    }
    match(";");
    return node;
}

// argument: parameter ":=" exp | parameter "=>" target (user blocks only)
NodePtr CSTCompiler::BlockArgument(const char* routine, const SymbolEntry* entry, std::set<std::string>& given) {
    const bool userBlock = std::string_view(routine) == "stmt_function_block";
    const Token param = Cur();
    Advance();
    const bool output = IsText("=>");
    if (output)
        Advance();
    else
        match(":=");
    NodePtr value = output ? OutputTarget(routine) : exp();
    const SymbolVariable* v = entry ? entry->Find(param.text) : nullptr;
    const bool rightDirection = v && (output ? userBlock && v->direction == "VAR_OUTPUT"
                                             : v->direction == "VAR_INPUT" || v->direction == "VAR_IN_OUT");
    if (entry && !rightDirection) {
        Error(param.line, routine, "Token '" + param.text + "' must be a parameter of function block");
    } else if (entry && !given.insert(param.text).second) {
        Error(param.line, routine, "Parameter '" + param.text + "' of function block is ivolked yet");
    } else if (entry && v->type.empty()) {
        Error(param.line, routine, "Undeclared identifier '" + param.text + "'");
    } else if (entry && value && !value->type.empty()) {
        // An output goes the other way: the parameter's value is stored into the target.
        const bool fits = output ? IsAssignable(v->type, value->type, false, "") : Compatible(value.get(), v->type);
        const std::string& from = output ? v->type : value->type;
        const std::string& to = output ? value->type : v->type;
        if (!fits) Error(param.line, routine, "Type mismatch near ':=': Can't convert '" + from + "' to '" + to + "'");
    }
    auto argument = std::make_unique<SyntaxNode>(param.text, param.kind, v ? v->type : "", param.line);
    argument->number = output ? 1 : 0;
    if (value) {
        value->parent = argument.get();
        argument->height = value->height + 1;
    }
    argument->children.push_back(std::move(value));
    return argument;
}

// The target of an output argument, checked like an assignment target.
NodePtr CSTCompiler::OutputTarget(const char* routine) {
    const Token target = Cur();
    if (target.kind == kTokRegisterReference) return RegisterTarget(target, routine);
    if (target.kind != kTokIdentifier) {
        Error(target.line, routine, "Unknown token '" + target.text + "'");
        return nullptr;
    }
    auto node = std::make_unique<SyntaxNode>(target.text, target.kind, ResolveName(target, routine, true), target.line);
    node->assignment = true;
    Advance();
    return node;
}

}  // namespace pontra
