// SPDX-License-Identifier: GPL-3.0-or-later
// Rungs written and read as short texts, and the invariants of the rung tree, for the
// ladder editing and find tests.
//
// BuildRung("XIC:A BST:b XIC:B NXB XIO:C BND OTE:M") gives  | XIC(A) [ XIC(B) / XIO(C)] OTE(M)
// and labels the structure: branch "b", its legs' starts "b.1", "b.2", its close marker "b/".
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "model/Catalogue.h"
#include "model/Ladder.h"

namespace pontra::test {

inline CElement& Marker(CRung& list, int kind, const std::string& label) {
    CElement& e = list.Append(std::make_unique<CElement>(kind));
    e.operandCount = 0;
    e.operandNotes[0] = label;  // copied with the element, so labels survive undo
    return e;
}

inline std::unique_ptr<CRung> BuildRung(const std::string& text) {
    auto rung = NewRung();
    std::vector<CRung*> lists{rung.get()};
    std::vector<CElement*> branches;
    auto addLeg = [&] {
        CElement& branch = *branches.back();
        branch.legs.push_back(std::make_unique<CRung>());
        CRung& leg = *branch.legs.back();
        leg.flag = 1;
        leg.parent = lists.back();
        Marker(leg, kKindBranchLevel, branch.operandNotes[0] + "." + std::to_string(branch.legs.size()));
        lists.push_back(&leg);
    };
    std::istringstream in(text);
    for (std::string token; in >> token;) {
        const size_t colon = token.find(':');
        const std::string head = token.substr(0, colon), tail = colon == std::string::npos ? "" : token.substr(colon + 1);
        if (head == "BST") {
            branches.push_back(&Marker(*lists.back(), kKindBranch, tail));
            addLeg();
        } else if (head == "NXB") {
            lists.pop_back();
            addLeg();
        } else if (head == "BND") {
            lists.pop_back();
            Marker(*lists.back(), kKindBranchEnd, branches.back()->operandNotes[0] + "/");
            branches.pop_back();
        } else {
            lists.back()->Append(std::make_unique<CElement>(MnemonicToKind(head))).operands[0] = tail;
        }
    }
    return rung;
}

inline void AppendShape(const CRung& list, std::string& out) {
    for (const auto& e : list.elements) {
        if (e->kind == kKindRung) out += "|";
        if (e->kind == kKindRung || e->kind == kKindBranchLevel || e->kind == kKindBranchEnd) continue;
        if (e->kind != kKindBranch) {
            out += " " + e->mnemonic + "(" + e->operands[0] + ")";
            continue;
        }
        out += " [";
        for (size_t i = 0; i < e->legs.size(); ++i) {
            if (i) out += " /";
            AppendShape(*e->legs[i], out);
        }
        out += "]";
    }
}

// "| XIC(A) [ XIC(B) / XIO(C)] OTE(M)" per rung, rungs joined by " ; ", comments in braces.
inline std::string Shape(const RungList& rungs) {
    std::string out;
    for (const auto& rung : rungs) {
        if (!out.empty()) out += " ; ";
        if (!rung->comment.empty()) out += "{" + rung->comment + "}";
        AppendShape(*rung, out);
    }
    return out;
}

// Parents, each branch directly followed by its close marker and holding two or more
// legs, each leg (flag 1) starting with its level element, each rung with its rung start.
inline void CheckList(const CRung& list, bool leg) {
    ASSERT_FALSE(list.elements.empty());
    ASSERT_EQ(list.elements[0]->kind, leg ? kKindBranchLevel : kKindRung);
    ASSERT_EQ(list.flag, leg ? 1 : 0);
    for (size_t i = 0; i < list.elements.size(); ++i) {
        const CElement& e = *list.elements[i];
        ASSERT_EQ(e.parent, &list);
        ASSERT_TRUE(i == 0 || (e.kind != kKindRung && e.kind != kKindBranchLevel));
        const bool branch = e.kind == kKindBranch;
        ASSERT_EQ(branch, i + 1 < list.elements.size() && list.elements[i + 1]->kind == kKindBranchEnd);
        ASSERT_EQ(branch, e.legs.size() >= 2);
        for (const auto& l : e.legs) {
            ASSERT_EQ(l->parent, &list);
            CheckList(*l, true);
        }
    }
}

inline void CheckTree(const RungList& rungs) {
    for (const auto& rung : rungs) {
        ASSERT_EQ(rung->parent, nullptr);
        CheckList(*rung, false);
    }
}

}  // namespace pontra::test
