// SPDX-License-Identifier: GPL-3.0-or-later
// Rungs of the component import, read element by element from the rung text form.
#include "files/ComponentImporter.h"
#include "files/Records.h"
#include "model/Catalogue.h"

namespace pontra {

namespace {

constexpr std::string_view kCommentAttribute = "{comment = ";

std::unique_ptr<CElement> StructuralElement(int kind) {
    auto element = std::make_unique<CElement>(kind);
    element->operandCount = 0;  // as the editor creates branches
    return element;
}

std::unique_ptr<CRung> NewLeg(CRung* holder) {
    auto leg = std::make_unique<CRung>();
    leg->flag = 1;
    leg->parent = holder;
    leg->Append(StructuralElement(kKindBranchLevel));
    return leg;
}

}  // namespace

// The words that end a rung whether or not RND came.
bool ComponentImporter::AtRungEnd() {
    return Cur().IsEnd() || AtComponentStart() || Is("RUNG") || Is("RND") || Is("END_PROGRAM") ||
           Is("END_FUNCTION_BLOCK") || Is("END_TYPE") || Is("VAR") || Is("VAR_INPUT") || Is("VAR_OUTPUT") ||
           Is("VAR_IN_OUT") || Is("END_VAR");
}

// A statement that went wrong is skipped up to its ";" or the end of the rung.
void ComponentImporter::SkipStatement() {
    while (!stopped_ && !AtRungEnd()) {
        const bool end = Is(";");
        Advance();
        if (end) return;
    }
}

// stmt_rung: RUNG [{comment = ...}] ";" elements RND ";"
std::unique_ptr<CRung> ComponentImporter::stmt_rung() {
    if (!Count(elements_, kMaxElements, Cur().line, "elements")) return nullptr;
    Advance();  // RUNG
    auto rung = NewRung();
    if (Cur().IsAttribute()) {
        if (Cur().text.starts_with(kCommentAttribute))
            rung->comment = Cur().text.substr(kCommentAttribute.size());
        else
            Error(Cur().line, "stmt_rung", "Unknown attribute '" + Cur().text + "}'");
        Advance();
        match("}");
    }
    match(";");
    CRung* list = rung.get();
    std::vector<OpenBranch> open;
    int ignoredDepth = 0;
    while (!stopped_ && !AtRungEnd()) stmt_element(list, open, ignoredDepth);
    if (!open.empty()) {
        // Every branch is closed, so the rung keeps the structure the editor relies on.
        Error(Cur().line, "match", "Must be 'BND' instead '" + Cur().text + "'");
        for (auto it = open.rbegin(); it != open.rend(); ++it) it->list->Append(StructuralElement(kKindBranchEnd));
    }
    if (Is("RND")) {
        Advance();
        match(";");
    } else {
        match("RND");
    }
    return rung;
}

// stmt_element: BST; NXB; BND; or MNEMONIC[(operand,...)];
void ComponentImporter::stmt_element(CRung*& list, std::vector<OpenBranch>& open, int& ignoredDepth) {
    const ImportToken& token = Cur();
    const int line = token.line;
    if ((Is("BST") || Is("NXB") || Is("BND") || token.IsName()) && !Count(elements_, kMaxElements, line, "elements"))
        return;
    if (Is("BST")) {
        Advance();
        match(";");
        if (open.size() >= static_cast<size_t>(kMaxBranchDepth)) {
            if (ignoredDepth++ == 0)
                Error(line, "stmt_element", "Branches nested deeper than " + std::to_string(kMaxBranchDepth) + " levels");
            return;
        }
        CElement& branch = list->Append(StructuralElement(kKindBranch));
        branch.legs.push_back(NewLeg(list));
        open.push_back({list, &branch, branch.legs.back().get()});
        list = open.back().leg;
        return;
    }
    if (Is("NXB") || Is("BND")) {
        const bool next = Is("NXB");
        const std::string text = token.text;
        Advance();
        match(";");
        if (ignoredDepth > 0) {
            if (!next) --ignoredDepth;
            return;
        }
        if (open.empty()) {
            Error(line, "stmt_element", "Token " + text + " is not an element");
            return;
        }
        OpenBranch& branch = open.back();
        if (next) {
            branch.branch->legs.push_back(NewLeg(branch.list));
            branch.leg = branch.branch->legs.back().get();
            list = branch.leg;
        } else {
            branch.list->Append(StructuralElement(kKindBranchEnd));
            list = branch.list;
            open.pop_back();
        }
        return;
    }
    const int kind = token.IsName() ? MnemonicToKind(token.text) : -1;
    if (kind < 0) {
        Error(line, "stmt_element", "Token " + token.text + " is not an element");
        SkipStatement();
        return;
    }
    auto element = std::make_unique<CElement>(kind);
    Advance();
    std::vector<std::string> operands;
    if (Is("(")) {
        Advance();
        // An operand is the text of its tokens up to "," or ")" outside brackets, so
        // that indexed operands such as A[1,2] stay whole.
        for (;;) {
            size_t start = 0, end = 0;
            bool any = false;
            int depth = 0;
            while (!stopped_ && !AtRungEnd() && !Is(";")) {
                if (depth == 0 && (Is(",") || Is(")"))) break;
                if (Is("[") || Is("(")) ++depth;
                if (Is("]") || Is(")")) --depth;
                if (!any) start = Cur().start;
                end = Cur().end;
                any = true;
                Advance();
            }
            operands.emplace_back(any ? std::string(tokens_.Slice(start, end)) : std::string());
            if (!Is(",")) break;
            Advance();
        }
        if (!match(")")) {
            SkipStatement();
            return;
        }
    }
    if (!match(";")) {
        SkipStatement();
        return;
    }
    if (operands.size() > static_cast<size_t>(kMaxOperands)) {
        Error(line, "stmt_element",
              "Element " + element->mnemonic + " can't have more than " + std::to_string(kMaxOperands) + " operands");
        return;
    }
    element->operandCount = static_cast<int>(operands.size());
    for (size_t i = 0; i < operands.size(); ++i) element->operands[i] = std::move(operands[i]);
    list->Append(std::move(element));
}

}  // namespace pontra
