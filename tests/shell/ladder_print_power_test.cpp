// SPDX-License-Identifier: GPL-3.0-or-later
// The online ladder's energised paths, and the printed ladder's pages.
#include <gtest/gtest.h>

#include <map>

#include "shell/LadderPagination.h"
#include "shell/LadderPowerFlow.h"
#include "shell/LadderShapes.h"

namespace pontra {
namespace {

using test::BuildRung;

TEST(LadderPagination, WholeRungsPerPageTallRungsRunOver) {
    struct Case {
        const char* name;
        std::vector<int> heights;
        int page;
        std::vector<PrintPage> pages;
    };
    const Case cases[] = {
        {"none", {}, 100, {}},
        {"all fit", {30, 30, 40}, 100, {{0, 3, 0}}},
        {"next rung would be cut", {30, 30, 41, 20}, 100, {{0, 2, 0}, {2, 4, 0}}},
        {"exactly a page", {100, 100}, 100, {{0, 1, 0}, {1, 2, 0}}},
        {"taller than a page", {20, 250, 20}, 100, {{0, 1, 0}, {1, 2, 0}, {1, 2, 100}, {1, 2, 200}, {2, 3, 0}}},
        {"zero page height", {1, 1}, 0, {{0, 1, 0}, {1, 2, 0}}},
    };
    for (const Case& c : cases) EXPECT_EQ(PaginateRungs(c.heights, c.page), c.pages) << c.name;
}

// Values by operand name; names not in the table are unknown.
OperandValue Values(std::map<std::string, int32_t> table) {
    return [table](std::string_view name) -> std::optional<int32_t> {
        const auto found = table.find(std::string(name));
        if (found == table.end()) return std::nullopt;
        return found->second;
    };
}

TEST(LadderPowerFlow, SeriesAndBranchesAsTheScanEvaluatesThem) {
    // | XIC(A) [ XIC(B) XIO(C) / XIC(D) [ XIC(E) / XIC(F) ] ] EQU(N,5) OTE(M)
    auto rung = BuildRung("XIC:A BST:b XIC:B XIO:C NXB XIC:D BST:e XIC:E NXB XIC:F BND BND EQU:N OTE:M");
    rung->elements.back()->operands[0] = "M";
    CElement& equ = *rung->elements[rung->elements.size() - 2];
    equ.operands[1] = "5";
    auto find = [&](const std::string& label) -> const CElement* {
        std::vector<const CRung*> lists{rung.get()};
        while (!lists.empty()) {
            const CRung* l = lists.back();
            lists.pop_back();
            for (const auto& e : l->elements) {
                if ((e->operandCount ? e->operands[0] : e->operandNotes[0]) == label) return e.get();
                for (const auto& leg : e->legs) lists.push_back(leg.get());
            }
        }
        return nullptr;
    };
    struct Case {
        std::map<std::string, int32_t> values;
        std::map<std::string, std::pair<bool, bool>> expected;  // label -> (in, out)
    };
    const Case cases[] = {
        // B passes, C (XIO) is set: the first leg fails; D and F carry the second leg.
        {{{"A", 1}, {"B", 1}, {"C", 1}, {"D", 1}, {"E", 0}, {"F", 1}, {"N", 5}, {"5", 5}},
         {{"A", {true, true}}, {"B", {true, true}}, {"C", {true, false}}, {"D", {true, true}},
          {"E", {true, false}}, {"F", {true, true}}, {"e/", {true, true}}, {"b/", {true, true}},
          {"N", {true, true}}, {"M", {true, true}}}},
        // A open: nothing after it has power.
        {{{"A", 0}, {"B", 1}, {"C", 0}, {"D", 1}, {"E", 1}, {"F", 1}, {"N", 5}, {"5", 5}},
         {{"A", {true, false}}, {"B", {false, false}}, {"b", {false, false}}, {"b/", {false, false}},
          {"M", {false, false}}}},
        // Both legs fail; the compare would hold but has no power.
        {{{"A", 1}, {"B", 0}, {"C", 0}, {"D", 0}, {"E", 1}, {"F", 1}, {"N", 5}, {"5", 5}},
         {{"B", {true, false}}, {"D", {true, false}}, {"E", {false, false}}, {"b/", {false, false}},
          {"N", {false, false}}}},
        // An unknown value never energises: E unread, F clear.
        {{{"A", 1}, {"B", 0}, {"D", 1}, {"F", 0}, {"N", 4}, {"5", 5}},
         {{"E", {true, false}}, {"e/", {false, false}}, {"b/", {false, false}}}},
        // The first leg alone carries; the compare fails.
        {{{"A", 1}, {"B", 1}, {"C", 0}, {"D", 0}, {"E", 0}, {"F", 0}, {"N", 6}, {"5", 5}},
         {{"C", {true, true}}, {"b/", {true, true}}, {"N", {true, false}}, {"M", {false, false}}}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const RungPower power = ComputeRungPower(*rung, Values(cases[i].values));
        for (const auto& [label, io] : cases[i].expected) {
            const CElement* e = find(label);
            ASSERT_NE(e, nullptr) << label;
            EXPECT_EQ(power.Of(e).in, io.first) << "case " << i << " " << label;
            EXPECT_EQ(power.Of(e).out, io.second) << "case " << i << " " << label;
        }
    }
}

TEST(LadderPowerFlow, CompareInstructions) {
    struct Case {
        const char* mnemonic;
        std::vector<int32_t> operands;
        bool holds;
    };
    const Case cases[] = {
        {"EQU", {3, 3}, true},   {"EQU", {3, 4}, false}, {"NEQ", {3, 4}, true},  {"LES", {-2, 1}, true},
        {"LES", {1, 1}, false},  {"GRT", {2, 1}, true},  {"LEQ", {1, 1}, true},  {"GEQ", {0, 1}, false},
        {"LIM", {1, 5, 9}, true}, {"LIM", {1, 10, 9}, false}, {"LIM", {9, 10, 1}, true}, {"LIM", {9, 5, 1}, false},
        {"MEQ", {0x1234, 0x00FF, 0x5634}, true}, {"MEQ", {0x1234, 0x00FF, 0x5635}, false},
    };
    for (const Case& c : cases) {
        CElement e(MnemonicToKind(c.mnemonic));
        std::map<std::string, int32_t> values;
        for (size_t i = 0; i < c.operands.size(); ++i) {
            e.operands[i] = "V" + std::to_string(i);
            values[e.operands[i]] = c.operands[i];
        }
        EXPECT_EQ(ConditionHolds(e, Values(values)), std::optional<bool>(c.holds)) << c.mnemonic;
    }
    CElement ote(MnemonicToKind("OTE"));
    EXPECT_EQ(ConditionHolds(ote, Values({})), std::nullopt);
}

}  // namespace
}  // namespace pontra
