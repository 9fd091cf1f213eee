// SPDX-License-Identifier: GPL-3.0-or-later
// Tag memory layout: packing rules, the whole-project order, instance-relative addresses
// of function blocks, initial values and the limits.
#include <gtest/gtest.h>

#include "BuildFixtures.h"
#include "build/ProjectLayout.h"
#include "build/TagLayout.h"
#include "model/Types.h"

namespace pontra {
namespace {

using namespace test;

struct Placed {
    int address, bit;
};

// Places tags of the given types from offset 0 and returns where each went.
std::vector<Placed> PlaceAll(const std::vector<std::string>& types, int* end = nullptr) {
    auto project = NewProject();
    TagList tags;
    LayoutCursor cursor;
    InitialImage image;
    std::vector<Placed> placed;
    for (size_t i = 0; i < types.size(); ++i) {
        CTag& tag = AddTag(*project, tags, "T" + std::to_string(i), types[i]);
        PlaceTag(*project, tag, cursor, image);
        placed.push_back({tag.address, tag.bit});
    }
    if (end) *end = cursor.offset;
    return placed;
}

TEST(TagLayout, ConsecutiveTypesPackDenselyAndTypeChangesAlign) {
    int end = 0;
    auto placed = PlaceAll({"SINT", "SINT", "INT", "INT", "DINT", "BOOL", "BOOL", "DINT"}, &end);
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {1, 0}, {4, 0}, {6, 0}, {8, 0}, {12, 0}, {12, 1}, {16, 0}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(placed[i].address, expected[i].first) << i;
        if (i == 5 || i == 6) {
            EXPECT_EQ(placed[i].bit, expected[i].second) << i;
        }
    }
    EXPECT_EQ(end, 20);
    EXPECT_EQ(PlaceAll({"SINT", "DINT"})[1].address, 4);
}

TEST(TagLayout, ThirtyThreeBoolsSpillIntoTheNextWord) {
    auto placed = PlaceAll(std::vector<std::string>(33, "BOOL"));
    EXPECT_EQ(placed[31].address, 0);
    EXPECT_EQ(placed[31].bit, 31);
    EXPECT_EQ(placed[32].address, 4);
    EXPECT_EQ(placed[32].bit, 0);
}

TEST(TagLayout, BoolAfterAStructureEndingInABoolContinuesTheBitCount) {
    auto project = NewProject();
    AddUserType(*project, "Pair", {{"V", "DINT"}, {"F", "BOOL"}});
    TagList tags;
    LayoutCursor cursor;
    InitialImage image;
    CTag& pair = AddTag(*project, tags, "P", "Pair");
    CTag& flag = AddTag(*project, tags, "B", "BOOL");
    PlaceTag(*project, pair, cursor, image);
    PlaceTag(*project, flag, cursor, image);
    EXPECT_EQ(pair.members[1]->address, 4);
    EXPECT_EQ(pair.members[1]->bit, 0);
    EXPECT_EQ(flag.address, 8);
    EXPECT_EQ(flag.bit, 1);
}

TEST(ProjectLayout, EmptyProjectHasOnlyTheControllerArea) {
    auto project = NewProject();
    ProjectLayout layout;
    ASSERT_TRUE(LayOutProject(*project, layout));
    EXPECT_EQ(layout.controllerSize, 384);
    EXPECT_EQ(layout.totalSize, 384);
    EXPECT_EQ(layout.volatileSize, 0);
    EXPECT_EQ(layout.nonVolatileSize, 0);
    EXPECT_EQ(layout.memory.size(), 384u);
}

TEST(ProjectLayout, RegionsFollowInOrderWithInitialValues) {
    Bench bench;
    CProject& p = bench.project();
    CTag& keep = AddTag(p, p.doc.tags, "Keep", "DINT");
    keep.nonVolatile = 1;
    keep.initialValue = "-2";
    CTag& a = AddTag(p, p.doc.tags, "A", "INT");
    a.initialValue = "300";
    CTag& t = AddTag(p, p.doc.tags, "T", "TIMER");
    t.members[2]->initialValue = "1";  // EN
    t.members[0]->initialValue = "1500";  // PRE
    CTag& alias = AddTag(p, p.doc.tags, "Al", "");
    alias.alias = "A";
    AddTag(p, p.doc.workTags, "TagIArray0", "DINT");
    CUnit& fb = AddFunctionBlock(p, "F");
    CTag& fbKeep = AddTag(p, fb.tags, "Count", "DINT", kUsageStatic);
    fbKeep.nonVolatile = 1;
    fbKeep.initialValue = "7";
    p.doc.controllerTags[0]->initialValue = "5";  // Inputs, with its bit members
    BuildMembers(p, *p.doc.controllerTags[0]);

    ProjectLayout layout;
    ASSERT_TRUE(LayOutProject(p, layout));
    EXPECT_EQ(a.address, 384);
    EXPECT_EQ(t.address, 388);
    EXPECT_EQ(p.doc.workTags[0]->address, 400);
    EXPECT_EQ(layout.volatileSize, 20);
    EXPECT_EQ(keep.address, 404);
    EXPECT_EQ(fbKeep.address, 408);
    EXPECT_EQ(layout.nonVolatileSize, 8);
    EXPECT_EQ(layout.totalSize, 412);
    EXPECT_EQ(layout.NonVolatileStart(), 404);

    const auto& m = layout.memory;
    EXPECT_EQ(Word(m, 0), 5u);
    EXPECT_EQ(m[384], 300 & 0xFF);
    EXPECT_EQ(m[385], 300 >> 8);
    EXPECT_EQ(m[388 + 3], 0x80);  // timer EN: bit 7 of byte 3
    EXPECT_EQ(Word(m, 392), 1500u);
    EXPECT_EQ(Word(m, 404), static_cast<uint32_t>(-2));
    EXPECT_EQ(Word(m, 408), 7u);
}

TEST(ProjectLayout, FunctionBlockAddressesMatchTheMemoryItsInstancesReserve) {
    // An alias between packed tags, a block ending in a BOOL, scratch tags of a ladder
    // block and the compiler's variables of a Structured Text block are where the block's
    // own layout and its instances' could drift apart.
    for (bool structuredText : {false, true}) {
        Bench bench;
        CProject& p = bench.project();
        CUnit& fb = AddFunctionBlock(p, "F", structuredText);
        AddTag(p, fb.tags, "In", "BOOL", kUsageInput);
        AddTag(p, fb.tags, "S0", "SINT", kUsageStatic);
        AddTag(p, fb.tags, "Link", "", kUsageStatic).alias = "S0";
        AddTag(p, fb.tags, "S1", "SINT", kUsageStatic);
        AddTag(p, fb.tags, "Done", "BOOL", kUsageOutput);
        if (structuredText) AddTag(p, fb.stVariables, "_Acc", "DINT");
        else AddTag(p, fb.tags2, "TagIArray0", "DINT");
        CTag& first = AddTag(p, p.doc.tags, "M1", "F");
        CTag& second = AddTag(p, p.doc.tags, "M2", "F");
        CTag& after = AddTag(p, p.doc.tags, "After", "DINT");
        ProjectLayout layout;
        ASSERT_TRUE(LayOutProject(p, layout));
        EXPECT_EQ(fb.tags[3]->address, fb.tags[1]->address + 1) << structuredText;  // S1 packs after S0
        for (size_t i = 0; i < fb.tags.size(); ++i) {
            if (!fb.tags[i]->alias.empty()) continue;
            EXPECT_EQ(first.members[i]->address - first.address, fb.tags[i]->address) << structuredText << " " << i;
            EXPECT_EQ(second.members[i]->address - second.address, fb.tags[i]->address) << structuredText << " " << i;
        }
        // The block's scratch or compiler tag lies inside every instance.
        const CTag& last = structuredText ? *fb.stVariables[0] : *fb.tags2[0];
        EXPECT_LE(first.address + last.address + 4, second.address) << structuredText;
        EXPECT_LE(second.address + last.address + 4, after.address) << structuredText;
        EXPECT_LE(second.address + fb.instanceSize, after.address) << structuredText;
    }
}

TEST(ProjectLayout, UserTypeMembersGetOffsetsWithinTheType) {
    Bench bench;
    CProject& p = bench.project();
    AddUserType(p, "Rec", {{"F", "BOOL"}, {"S", "SINT"}, {"T", "TIMER"}, {"D", "DINT"}});
    ProjectLayout layout;
    ASSERT_TRUE(LayOutProject(p, layout));
    const CType& rec = *p.FindType("Rec");
    EXPECT_EQ(rec.members[0]->address, 0);
    EXPECT_EQ(rec.members[1]->address, 4);  // the BOOL word is taken
    EXPECT_EQ(rec.members[2]->address, 8);
    EXPECT_EQ(rec.members[3]->address, 20);
    EXPECT_EQ(p.units[0]->tags[3]->address, 20);

    p.types.pop_back();  // a data-type unit whose type is gone
    EXPECT_FALSE(LayOutProject(p, layout));
}

TEST(ProjectLayout, ConfigurationMembersMarkedNonVolatileMoveToTheNonVolatileArea) {
    Bench bench;
    CProject& p = bench.project();
    AddUserType(p, "Configuration", {{"Speed", "DINT"}, {"Mode", "SINT"}});
    p.FindType("Configuration")->members[0]->nonVolatile = 1;
    CTag& cfg = AddTag(p, p.doc.tags, "Cfg", "Configuration");
    ProjectLayout layout;
    ASSERT_TRUE(LayOutProject(p, layout));
    EXPECT_EQ(layout.configTag, &cfg);
    EXPECT_EQ(cfg.address, 384);
    EXPECT_EQ(cfg.members[1]->address, 388);
    EXPECT_EQ(cfg.members[0]->address, layout.NonVolatileStart());
    EXPECT_EQ(layout.nonVolatileSize, 4);
    p.configEnabled = 0;
    ASSERT_TRUE(LayOutProject(p, layout));
    EXPECT_EQ(layout.configTag, nullptr);
}

TEST(ProjectLayout, LimitsOnTotalAndNonVolatileSize) {
    Bench bench;
    CProject& p = bench.project();
    for (int i = 0; i < 24; ++i) AddTag(p, p.doc.tags, "K" + std::to_string(i), "DINT").nonVolatile = 1;
    ProjectLayout layout;
    ASSERT_TRUE(LayOutProject(p, layout));
    EXPECT_EQ(layout.nonVolatileSize, 96);
    EXPECT_EQ(LayoutLimitMessage(layout), "");
    AddTag(p, p.doc.tags, "K24", "SINT").nonVolatile = 1;
    ASSERT_TRUE(LayOutProject(p, layout));
    EXPECT_EQ(LayoutLimitMessage(layout), "Error - Non-volatile Tags size exceeds 96 bytes!");

    // Too much memory in all: the layout still completes and the first check wins.
    AddTag(p, p.doc.tags, "Big", "DINT[2500]");
    ASSERT_TRUE(LayOutProject(p, layout));
    EXPECT_GT(layout.totalSize, 10000);
    EXPECT_EQ(layout.memory.size(), 10000u);
    EXPECT_EQ(LayoutLimitMessage(layout), "Error - Tags size exceeds 10000 bytes!");
}

}  // namespace
}  // namespace pontra
