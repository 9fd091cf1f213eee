// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <initializer_list>

#include "model/Project.h"
#include "st/Compiler.h"

namespace pontra {

namespace {

const Token kEndToken{};

constexpr const char* kNestedTerminators[] = {"ELSE",        "END_IF",  "ELSIF",
                                              "END_CASE",    "TO",      "END_FOR",
                                              "END_PROGRAM", "END_FUNCTION_BLOCK", "END_FUNCTION"};

bool IsIntegerType(const std::string& type) { return type == "SINT" || type == "INT" || type == "DINT"; }

void Attach(SyntaxNode& parent, NodePtr child) {
    if (child) {
        child->parent = &parent;
        parent.height = std::max(parent.height, child->height + 1);
    }
    parent.children.push_back(std::move(child));
}

}  // namespace

CSTCompiler::CSTCompiler(CProject& project, const StandardLibrary& library, CUnit& unit, Host& host,
                         CompilerErrorFn error)
    : project_(project),
      unit_(unit),
      host_(host),
      error_(std::move(error)),
      symbols_(BuildSymbolTable(project, library, unit)),
      generator_(unit, symbols_, host) {}

void CSTCompiler::Error(int line, const char* routine, const std::string& message) {
    errorReported_ = true;
    if (error_) error_(line, routine, message);
}

void CSTCompiler::Tokenize() {
    tokens_ = pontra::Tokenize(unit_.text, [this](int line, const std::string& routine, const std::string& message) {
        Error(line, routine.c_str(), message);
    });
}

void CSTCompiler::Compile() {
    ClassifyIdentifiers(tokens_, symbols_, unit_);
    pos_ = 0;
    exits_.clear();
    // The temporaries and working tags of the previous compile go with it.
    unit_.stVariables.clear();
    NodePtr root = stmt_sequence(false, nullptr);
    if (!errorReported_) CheckExits();
    if (!errorReported_) generator_.GenerateStatements(root.get());
}

const Token& CSTCompiler::Cur() const {
    return pos_ < tokens_.size() && tokens_[pos_] ? *tokens_[pos_] : kEndToken;
}

bool CSTCompiler::IsText(const char* text) const { return pos_ < tokens_.size() && tokens_[pos_] && Cur().text == text; }

bool CSTCompiler::AtEnd() const { return Cur().text.empty(); }

void CSTCompiler::Advance() {
    if (pos_ < tokens_.size()) ++pos_;
}

// match: the expected token, or an error without advancing
void CSTCompiler::match(const char* expected) {
    if (pos_ >= tokens_.size()) {
        Error(0, "match", "Not enough tokens");
        return;
    }
    if (Cur().text == expected) {
        Advance();
        return;
    }
    Error(Cur().line, "match", std::string("Must be '") + expected + "' instead '" + Cur().text + "'");
}

// stmt_sequence: statement { statement } up to a terminator (nested) or the end
NodePtr CSTCompiler::stmt_sequence(bool nested, SyntaxNode* parent) {
    auto terminates = [&] {
        if (AtEnd()) return true;
        if (!nested) return false;
        const Token& t = Cur();
        if (t.kind == kTokLiteral) return true;
        return std::any_of(std::begin(kNestedTerminators), std::end(kNestedTerminators),
                           [&](const char* k) { return t.text == k; });
    };
    NodePtr first;
    SyntaxNode* last = nullptr;
    auto append = [&](NodePtr node) {
        if (!node) return;
        node->parent = parent;
        SyntaxNode* added = node.get();
        if (last)
            last->next = std::move(node);
        else
            first = std::move(node);
        last = added;
    };
    append(statement());
    while (!terminates()) append(statement());
    return first;
}

// statement: dispatch by the first token
NodePtr CSTCompiler::statement() {
    const Token& t = Cur();
    if (depth_ >= kMaxNesting) {
        Error(t.line, "statement", "Statements are nested deeper than " + std::to_string(kMaxNesting) + " levels");
        Advance();
        return nullptr;
    }
    switch (t.kind) {
    case kTokIdentifier:
    case kTokRegisterReference: return assign_stmt();
    case kTokFunctionName: {
        NodePtr call = stmt_function();
        match(";");
        return call;
    }
    case kTokStandardFunction: {
        NodePtr call = t.text == "RDR" || t.text == "WRR" || t.text == "WRC" ? stmt_st_function_Register(true)
                                                                              : call_expression();
        match(";");
        return call;
    }
    case kTokFunctionBlockInstance: return stmt_function_block("stmt_function_block");
    case kTokStandardFunctionBlockInstance: return stmt_function_block("stmt_st_function_block");
    default: break;
    }
    if (t.kind == kTokKeyword) {
        ++depth_;
        NodePtr node = t.text == "IF"     ? if_stmt()
                       : t.text == "CASE" ? case_stmt()
                       : t.text == "FOR"  ? for_stmt()
                                          : nullptr;
        --depth_;
        if (node) return node;
        if (t.text == "EXIT" || t.text == "RETURN") return simple_statement(t.text.c_str());
    }
    if (t.kind == kTokOperator && t.text == ";") {
        Advance();
        return nullptr;
    }
    Error(t.line, "statement", "Token '" + t.text + "' must be defined statement");
    Advance();
    return nullptr;
}

// EXIT ";" | RETURN ";"
NodePtr CSTCompiler::simple_statement(const char* keyword) {
    auto node = std::make_unique<SyntaxNode>(keyword, kTokKeyword, "", Cur().line);
    if (node->text == "EXIT") exits_.emplace_back(node.get(), node->line);
    Advance();
    match(";");
    return node;
}

// assign_stmt: target ":=" expression ";"
NodePtr CSTCompiler::assign_stmt() {
    const Token target = Cur();
    NodePtr node;
    if (target.kind == kTokRegisterReference) {
        node = RegisterTarget(target, "assign_stmt");
    } else {
        Advance();
        node = std::make_unique<SyntaxNode>(target.text, target.kind, ResolveName(target, "assign_stmt", true),
                                            target.line);
    }
    node->assignment = true;
    match(":=");
    NodePtr value = exp();
    if (value && !value->type.empty() && !node->type.empty() && !Compatible(value.get(), node->type))
        Error(value->line, "assign_stmt",
              "Type mismatch near ':=': Can't convert '" + value->type + "' to '" + node->type + "'");
    Attach(*node, std::move(value));
    if (!IsText("TO")) match(";");
    return node;
}

// if_stmt: IF exp THEN list { ELSIF exp THEN list } [ ELSE list ] END_IF ";"
NodePtr CSTCompiler::if_stmt() {
    auto node = std::make_unique<SyntaxNode>("IF", kTokKeyword, "", Cur().line);
    node->number = ++statementCounter_;
    Advance();
    auto condition = [&](const char* keyword) {
        NodePtr c = exp();
        if (c && !c->type.empty() && c->type != "BOOL")
            Error(c->line, "if_stmt", std::string("'") + keyword + "' require 'BOOL' expression as condition");
        return c;
    };
    Attach(*node, condition("IF"));
    match("THEN");
    Attach(*node, stmt_sequence(true, node.get()));
    for (int k = 1; IsText("ELSIF"); ++k) {
        auto part = std::make_unique<SyntaxNode>("ELSIF", kTokKeyword, "", Cur().line);
        part->number = node->number;
        part->index = k;
        Advance();
        Attach(*part, condition("ELSIF"));
        match("THEN");
        Attach(*part, stmt_sequence(true, part.get()));
        Attach(*node, std::move(part));
    }
    NodePtr elseList;
    if (IsText("ELSE")) {
        Advance();
        elseList = stmt_sequence(true, node.get());
    }
    Attach(*node, std::move(elseList));
    match("END_IF");
    match(";");
    return node;
}

// case_stmt: CASE exp OF { literal ":" list } [ ELSE list ] END_CASE ";"
NodePtr CSTCompiler::case_stmt() {
    auto node = std::make_unique<SyntaxNode>("CASE", kTokKeyword, "", Cur().line);
    node->number = ++statementCounter_;
    Advance();
    NodePtr selector = exp();
    if (selector && !selector->type.empty() && !IsIntegerType(selector->type))
        Error(selector->line, "case_stmt", "Expression after 'CASE' must be SINT, INT or DINT");
    Attach(*node, std::move(selector));
    match("OF");
    for (int k = 1; Cur().kind == kTokLiteral && Cur().type == "DINT"; ++k) {
        auto branch = std::make_unique<SyntaxNode>(Cur().text, kTokLiteral, "DINT", Cur().line);
        branch->number = node->number;
        branch->index = k;
        Advance();
        match(":");
        Attach(*branch, stmt_sequence(true, node.get()));
        Attach(*node, std::move(branch));
    }
    NodePtr elseList;
    if (IsText("ELSE")) {
        Advance();
        elseList = stmt_sequence(true, node.get());
    }
    Attach(*node, std::move(elseList));
    match("END_CASE");
    match(";");
    return node;
}

// for_stmt: FOR assignment TO exp [ BY exp ] DO list END_FOR ";"
NodePtr CSTCompiler::for_stmt() {
    auto node = std::make_unique<SyntaxNode>("FOR", kTokKeyword, "", Cur().line);
    node->number = ++statementCounter_;
    Advance();
    auto check = [&](SyntaxNode* part, const char* message) {
        if (part) part->number = node->number;
        if (part && !part->type.empty() && !IsIntegerType(part->type)) Error(part->line, "for_stmt", message);
    };
    NodePtr init = assign_stmt();
    check(init.get(), "Type of FOR must be SINT, INT or DINT");
    Attach(*node, std::move(init));
    match("TO");
    NodePtr end = exp();
    check(end.get(), "Type of FOR...TO must be SINT, INT or DINT");
    Attach(*node, std::move(end));
    NodePtr step;
    if (IsText("BY")) {
        Advance();
        step = exp();
        check(step.get(), "Type of FOR...TO...BY must be SINT, INT or DINT");
    } else {
        step = std::make_unique<SyntaxNode>("1", kTokLiteral, "DINT", node->line);
        step->number = node->number;
    }
    Attach(*node, std::move(step));
    match("DO");
    Attach(*node, stmt_sequence(true, node.get()));
    match("END_FOR");
    match(";");
    return node;
}

// EXIT must stand inside a loop; checked once the whole text has parsed cleanly
void CSTCompiler::CheckExits() {
    for (const auto& [exit, line] : exits_) {
        const SyntaxNode* p = exit->parent;
        while (p && p->text != "FOR" && p->text != "WHILE" && p->text != "REPEAT") p = p->parent;
        if (!p) Error(line, "stmt_sequence", "Illegal 'EXIT' statement");
    }
}

}  // namespace pontra
