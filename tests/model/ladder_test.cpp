// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "model/Ladder.h"

namespace pontra {
namespace {

// Rung with XIC, a branch of two legs (the second holding a nested branch `depth`
// levels deep) and an OTE.
std::unique_ptr<CRung> BranchyRung(int depth) {
    auto rung = NewRung();
    rung->Append(std::make_unique<CElement>(2)).operands[0] = "A";
    CRung* holder = rung.get();
    for (int level = 0; level < depth; ++level) {
        CElement& branch = holder->Append(std::make_unique<CElement>(kKindBranch));
        for (int leg = 0; leg < 2; ++leg) {
            auto l = std::make_unique<CRung>();
            l->flag = 1;
            l->parent = holder;
            l->Append(std::make_unique<CElement>(kKindBranchLevel));
            l->Append(std::make_unique<CElement>(3)).operands[0] = "L" + std::to_string(level) + "_" + std::to_string(leg);
            branch.legs.push_back(std::move(l));
        }
        holder->Append(std::make_unique<CElement>(kKindBranchEnd));
        holder = branch.legs[1].get();
    }
    rung->Append(std::make_unique<CElement>(4)).operands[0] = "Out";
    return rung;
}

// Parent links, kind-5/kind-6 pairing and kind-7 leg starts hold everywhere below `rung`.
void ExpectWellFormed(const CRung& rung) {
    for (size_t i = 0; i < rung.elements.size(); ++i) {
        const CElement& e = *rung.elements[i];
        EXPECT_EQ(e.parent, &rung);
        if (e.kind == kKindBranch) {
            ASSERT_LT(i + 1, rung.elements.size());
            EXPECT_EQ(rung.elements[i + 1]->kind, kKindBranchEnd);
            for (const auto& leg : e.legs) {
                EXPECT_EQ(leg->parent, &rung);
                ASSERT_FALSE(leg->elements.empty());
                EXPECT_EQ(leg->elements[0]->kind, kKindBranchLevel);
                ExpectWellFormed(*leg);
            }
        } else {
            EXPECT_TRUE(e.legs.empty());
        }
    }
}

TEST(Ladder, NewRungHoldsOneRailElementWithGeneratedLayout) {
    auto rung = NewRung();
    EXPECT_EQ(rung->width, 333);
    EXPECT_EQ(rung->height, 100);
    ASSERT_EQ(rung->elements.size(), 1u);
    const CElement& rail = *rung->elements[0];
    EXPECT_EQ(rail.kind, kKindRung);
    EXPECT_EQ(rail.mnemonic, "Rung");
    EXPECT_EQ(rail.rect, (CRect{0, 50, 50, 100}));
    EXPECT_EQ(rail.sizeX, 50);
    EXPECT_EQ(rail.sizeY, 50);
}

TEST(Ladder, CopyRungRebuildsParentsAndLeavesSourceAlone) {
    auto source = BranchyRung(3);
    source->comment = "conveyor";
    auto copy = CopyRung(*source, nullptr);
    ExpectWellFormed(*source);
    ExpectWellFormed(*copy);
    EXPECT_EQ(copy->comment, "conveyor");
    EXPECT_EQ(copy->parent, nullptr);
    ASSERT_EQ(copy->elements.size(), source->elements.size());
    // Same structure and texts, different objects.
    const CElement& srcBranch = *source->elements[2];
    const CElement& cpyBranch = *copy->elements[2];
    ASSERT_EQ(cpyBranch.legs.size(), 2u);
    EXPECT_NE(cpyBranch.legs[1].get(), srcBranch.legs[1].get());
    EXPECT_EQ(cpyBranch.legs[1]->elements[1]->operands[0], "L0_1");
    EXPECT_EQ(TopLevelRung(*cpyBranch.legs[1]->elements[2]->legs[0]->elements[1]), copy.get());
    EXPECT_EQ(TopLevelRung(*srcBranch.legs[1]->elements[1]), source.get());
}

TEST(Ladder, CallParametersTravelOnlyWithJfb) {
    CRung rung;
    CElement& jfb = rung.Append(std::make_unique<CElement>(kKindJFB));
    jfb.callParams.push_back({"Start", "BOOL", 1, "Inputs.0", ""});
    CElement& xic = rung.Append(std::make_unique<CElement>(2));
    xic.callParams.push_back({"X", "BOOL", 1, "Y", ""});  // not a JFB: never copied
    auto jfbCopy = CopyElement(jfb, &rung);
    auto xicCopy = CopyElement(xic, &rung);
    EXPECT_EQ(jfbCopy->callParams, jfb.callParams);
    EXPECT_TRUE(xicCopy->callParams.empty());
}

TEST(Ladder, DeletingContentsEmptiesEveryLevel) {
    auto rung = BranchyRung(3);
    CElement& branch = *rung->elements[2];
    DeleteBranchLegs(branch);
    EXPECT_TRUE(branch.legs.empty());
    DeleteRungContents(*rung);
    EXPECT_TRUE(rung->elements.empty());
}

TEST(Ladder, ElementPositionIsIndexInParentOrMinusOne) {
    auto rung = BranchyRung(1);
    EXPECT_EQ(ElementPosition(*rung->elements[1]), 1);
    EXPECT_EQ(ElementPosition(*rung->elements[2]->legs[0]->elements[1]), 1);
    CElement loose(2);
    EXPECT_EQ(ElementPosition(loose), -1);
}

}  // namespace
}  // namespace pontra
