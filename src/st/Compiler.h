// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text compiler object: token list, recursive-descent parser with type
// checking, and the instruction list its code generator writes. One per compile.
#pragma once

#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "build/StandardLibrary.h"
#include "st/CodeGenerator.h"
#include "st/Lexer.h"
#include "st/SymbolTable.h"
#include "st/SyntaxNode.h"

namespace pontra {

class CProject;
class CUnit;
class Host;

// Parser recursion (nested statements, parentheses, unary operators) stops here, and so
// does the height of an expression tree, whose generation recurses too.
constexpr int kMaxNesting = 200;
constexpr int kMaxExpressionHeight = 1000;

class CSTCompiler {
public:
    CSTCompiler(CProject& project, const StandardLibrary& library, CUnit& unit, Host& host, CompilerErrorFn error);

    // Scans the unit's text into the token list.
    void Tokenize();
    // Classifies identifiers, parses, checks EXIT statements and, when nothing was
    // reported, generates the instruction list.
    void Compile();

    TokenList& Tokens() { return tokens_; }
    SymbolTable& Symbols() { return symbols_; }
    bool ErrorReported() const { return errorReported_; }
    const std::vector<std::string>& InstructionList() const { return generator_.Lines(); }
    const std::vector<int>& InstructionSourceLines() const { return generator_.SourceLines(); }
    int StatementCount() const { return statementCounter_; }

private:
    // Token access: the placeholder stands for the end of the list.
    const Token& Cur() const;
    bool IsText(const char* text) const;
    bool AtEnd() const;
    void Advance();
    void Error(int line, const char* routine, const std::string& message);
    void match(const char* expected);

    // Statements (Parser.cpp)
    NodePtr stmt_sequence(bool nested, SyntaxNode* parent);
    NodePtr statement();
    NodePtr assign_stmt();
    NodePtr if_stmt();
    NodePtr case_stmt();
    NodePtr for_stmt();
    NodePtr simple_statement(const char* keyword);
    void CheckExits();

    // Expressions (Expressions.cpp)
    NodePtr exp();
    NodePtr exp_xor();
    NodePtr exp_and();
    NodePtr exp_equal();
    NodePtr exp_compare();
    NodePtr exp_shift();
    NodePtr simple_exp();
    NodePtr term();
    NodePtr factor();
    enum class OperandRule { Logical, Equality, Comparison, Arithmetic };
    NodePtr BinaryLevel(const char* routine, NodePtr (CSTCompiler::*next)(), std::initializer_list<const char*> ops,
                        OperandRule rule);
    NodePtr BinaryNode(const Token& op, NodePtr left, NodePtr right, std::string type);
    bool EnterNesting(const char* routine);
    std::string TypeOf(const std::string& name) const;
    const SymbolVariable* VariableOf(const std::string& name) const;
    std::string ResolveName(const Token& token, const char* routine, bool write);
    void IsValidScope(const SymbolVariable& v, const std::string& name, bool write, const char* routine, int line);
    NodePtr RegisterTarget(const Token& token, const char* routine);
    bool Compatible(const SyntaxNode* value, const std::string& type) const;

    // Calls (Calls.cpp)
    NodePtr call_expression();
    NodePtr stmt_function_block(const char* routine);
    NodePtr BlockArgument(const char* routine, const SymbolEntry* entry, std::set<std::string>& given);
    NodePtr OutputTarget(const char* routine);
    NodePtr stmt_function();
    NodePtr stmt_st_function();
    NodePtr stmt_st_function_MUX();
    NodePtr stmt_st_function_Register(bool statement);
    void CheckStandardArguments(const std::string& name, const std::vector<NodePtr>& args,
                                const std::vector<const SymbolVariable*>& inputs, size_t declaredCount,
                                bool operatorLike);
    NodePtr OperatorLikeCall(const Token& name, std::vector<NodePtr> args, const std::string& type);
    std::vector<NodePtr> Arguments(size_t minArgs);
    bool RegisterNumber(const char* routine, const std::string& function, int& number);

    CProject& project_;
    CUnit& unit_;
    Host& host_;
    CompilerErrorFn error_;
    bool errorReported_ = false;
    TokenList tokens_;
    size_t pos_ = 0;
    SymbolTable symbols_;
    int statementCounter_ = 0;
    int depth_ = 0;
    std::vector<std::pair<SyntaxNode*, int>> exits_;  // EXIT nodes and their lines
    CodeGenerator generator_;
};

}  // namespace pontra
