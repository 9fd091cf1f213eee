// SPDX-License-Identifier: GPL-3.0-or-later
// A node of the syntax tree that the parser builds and the code generator walks.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pontra {

struct SyntaxNode {
    SyntaxNode() = default;
    SyntaxNode(std::string text, int kind, std::string type, int line)
        : text(std::move(text)), kind(kind), type(std::move(type)), line(line) {}
    SyntaxNode(const SyntaxNode&) = delete;
    SyntaxNode& operator=(const SyntaxNode&) = delete;
    // Statement lists can be tens of thousands long: the chain is freed in a loop, not
    // by recursion through `next`.
    ~SyntaxNode() {
        for (auto n = std::move(next); n;) n = std::move(n->next);
    }

    std::string text;  // keyword, assignment target, operator, literal, variable or called name
    int kind = 0;      // the token kind the node was made from
    std::string type;  // data type of the value; empty for statements
    int number = 0;    // statement number (IF, CASE, FOR and their parts); 0 ":=" / 1 "=>" for arguments
    int index = 0;     // ELSIF part or case branch position
    std::vector<std::unique_ptr<SyntaxNode>> children;  // may hold empty slots
    std::unique_ptr<SyntaxNode> next;                   // next statement of the same list
    SyntaxNode* parent = nullptr;
    int line = 0;             // source line of the token the node was made from
    bool assignment = false;  // an assignment (its text is the target), not a unary operator
    int height = 1;           // levels of nodes below and including this one

    SyntaxNode* Child(size_t i) const { return i < children.size() ? children[i].get() : nullptr; }
    bool IsLeaf() const { return children.empty(); }
};

using NodePtr = std::unique_ptr<SyntaxNode>;

}  // namespace pontra
