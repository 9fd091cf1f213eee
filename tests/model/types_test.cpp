// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <functional>

#include "build/TagLayout.h"
#include "model/Naming.h"
#include "model/Project.h"
#include "model/Types.h"

namespace pontra {
namespace {

std::unique_ptr<CTag> Built(const CProject& project, const char* name, const char* type, const char* init = "0") {
    auto tag = std::make_unique<CTag>(name, type);
    tag->initialValue = init;
    BuildMembers(project, *tag);
    return tag;
}

TEST(Types, PredefinedListInOrder) {
    auto project = NewProject();
    std::vector<std::string> names;
    for (const auto& t : project->types) names.push_back(t->name);
    EXPECT_EQ(names, (std::vector<std::string>{"BOOL", "SINT", "INT", "DINT", "TIMER", "COUNTER", "IEC_TON", "IEC_TOF",
                                               "IEC_RTO", "IEC_DOL", "IEC_DOR", "IEC_CTU", "IEC_CTD", "Zone"}));
    EXPECT_EQ(project->FindType("dint"), nullptr);  // lookups are case-sensitive
    EXPECT_NE(project->FindType("DINT"), nullptr);
    EXPECT_EQ(project->doc.rungs.size(), 1u);
}

TEST(Types, IntegerTagsGetOneBoolMemberPerBitFromTheInitialValue) {
    auto project = NewProject();
    auto tag = Built(*project, "T", "DINT", "5");
    ASSERT_EQ(tag->members.size(), 32u);
    EXPECT_EQ(tag->members[0]->name, "T.0");
    EXPECT_EQ(tag->members[31]->name, "T.31");
    EXPECT_EQ(tag->members[0]->initialValue, "1");
    EXPECT_EQ(tag->members[1]->initialValue, "0");
    EXPECT_EQ(tag->members[2]->initialValue, "1");
    EXPECT_EQ(tag->members[2]->dataType, "BOOL");

    EXPECT_TRUE(Built(*project, "B", "BOOL")->members.empty());
    auto alias = std::make_unique<CTag>("A", "DINT");
    alias->alias = "T";
    BuildMembers(*project, *alias);
    EXPECT_TRUE(alias->members.empty());
    EXPECT_EQ(Built(*project, "N", "INT", "-1")->members[15]->initialValue, "1");
}

TEST(Types, StructuredMembersAreNamedByPath) {
    auto project = NewProject();
    auto ton = Built(*project, "T1", "IEC_TON");
    ASSERT_EQ(ton->members.size(), 5u);
    EXPECT_EQ(ton->members[4]->name, "T1.Timer");
    ASSERT_EQ(ton->members[4]->members.size(), 5u);
    EXPECT_EQ(ton->members[4]->members[0]->name, "T1.Timer.PRE");
    EXPECT_EQ(ton->members[4]->members[0]->members.size(), 32u);  // a DINT member has its bits

    auto matrix = Built(*project, "M", "SINT[2,3]");
    ASSERT_EQ(matrix->members.size(), 6u);
    EXPECT_EQ(matrix->members[5]->name, "M[1,2]");
    EXPECT_EQ(matrix->members[5]->dataType, "SINT");
    EXPECT_EQ(matrix->members[5]->members.size(), 8u);
}

TEST(Types, FunctionBlockInstancesMirrorTheBlocksTags) {
    auto project = NewProject();
    auto fb = std::make_unique<CUnit>("Zone1", kUnitFunctionBlock);
    fb->tags.push_back(std::make_unique<CTag>("Run", "BOOL"));
    fb->tags.push_back(std::make_unique<CTag>("Count", "INT"));
    project->units.push_back(std::move(fb));
    project->types.push_back(std::make_unique<CType>("Zone1"));
    auto instance = Built(*project, "Z", "Zone1");
    ASSERT_EQ(instance->members.size(), 2u);
    EXPECT_EQ(instance->members[1]->name, "Z.Count");
    EXPECT_EQ(instance->members[1]->members.size(), 16u);
}

// A type that holds itself, directly or through another, only comes from a file (it is
// refused when declared); its instances stop where the type comes round again, however
// many members repeat it.
TEST(Types, RecursiveTypesFromAFileStayFinite) {
    auto project = NewProject();
    auto loop = std::make_unique<CType>("Loop");
    loop->members.push_back(std::make_unique<CTag>("Self", "Loop"));
    loop->members.push_back(std::make_unique<CTag>("Again", "Loop[4]"));
    loop->members.push_back(std::make_unique<CTag>("Other", "Pair"));
    loop->members.push_back(std::make_unique<CTag>("Count", "SINT"));
    project->types.push_back(std::move(loop));
    auto pair = std::make_unique<CType>("Pair");
    pair->members.push_back(std::make_unique<CTag>("Back", "Loop"));
    project->types.push_back(std::move(pair));

    auto tag = Built(*project, "L", "Loop");
    std::vector<std::string> names;
    std::function<void(const CTag&)> walk = [&](const CTag& t) {
        for (const auto& m : t.members) {
            names.push_back(m->name);
            walk(*m);
        }
    };
    walk(*tag);
    EXPECT_EQ(names, (std::vector<std::string>{"L.Self", "L.Again", "L.Again[0]", "L.Again[1]", "L.Again[2]",
                                               "L.Again[3]", "L.Other", "L.Other.Back", "L.Count", "L.Count.0",
                                               "L.Count.1", "L.Count.2", "L.Count.3", "L.Count.4", "L.Count.5",
                                               "L.Count.6", "L.Count.7"}));
    // An instance of the type that others hold stops at its own type only.
    auto other = Built(*project, "P", "Pair");
    ASSERT_EQ(other->members.size(), 1u);
    EXPECT_EQ(other->members[0]->members.size(), 4u) << "P.Back is a Loop";
    EXPECT_EQ(CheckTypeRecursion(*project, "Loop", "Loop"), "Can't use Type Loop because of recursion!");
}

TEST(Types, ArrayTypeTexts) {
    EXPECT_TRUE(ParseArrayType("DINT[10]").has_value());
    EXPECT_EQ(ParseArrayType("DINT[3,4]")->Count(), 12);
    for (const char* bad : {"DINT", "DINT[]", "DINT[0]", "DINT[-1]", "[4]", "DINT[1,2,3]", "DINT[4", "DINT[a]",
                            "BOOL[99999999999]", "DINT[1000,1000]"})
        EXPECT_FALSE(ParseArrayType(bad).has_value()) << bad;
}

TEST(Types, BitSizes) {
    auto project = NewProject();
    EXPECT_EQ(TypeBitSize(*project, "BOOL"), 1);
    EXPECT_EQ(TypeBitSize(*project, "WORD"), 16);
    EXPECT_EQ(TypeBitSize(*project, "Zone"), 128);
    EXPECT_EQ(TypeBitSize(*project, "TIMER"), 2);
    EXPECT_EQ(TypeBitSize(*project, "COUNTER"), 2);
    EXPECT_EQ(TypeBitSize(*project, "IEC_TON"), 28);  // EN 0, PT 4, Q 8, ET 12, Timer 16..27: a byte size
}

TEST(Types, FunctionBlockTagsStayGroupedByUsage) {
    TagList tags;
    auto add = [&](const char* name, int usage) {
        auto t = std::make_unique<CTag>(name, "BOOL");
        t->usage = usage;
        return InsertByUsage(tags, std::move(t));
    };
    add("in1", kUsageInput);
    add("out1", kUsageOutput);
    add("io1", kUsageInOut);
    add("st1", kUsageStatic);
    EXPECT_EQ(add("out2", kUsageOutput), 2u);
    EXPECT_EQ(add("in2", kUsageInput), 1u);
    std::vector<std::string> order;
    for (const auto& t : tags) order.push_back(t->name);
    EXPECT_EQ(order, (std::vector<std::string>{"in1", "in2", "out1", "out2", "io1", "st1"}));
}

// The exact refusal texts are checked where users meet them (tag lists, project tree,
// rung comments); here the edges of the name and type rules.
TEST(Naming, Rules) {
    auto project = NewProject();
    TagList list;
    EXPECT_EQ(CheckTagName(list, "a-b"),
              "Tag name can use only digits, alphabetical  and '_' symbols and can't start with digit!");
    EXPECT_EQ(CheckTagName(list, "_Stop2"), "");
    EXPECT_EQ(CheckDataTypeExists(*project, "DINT[4]"), "");
    EXPECT_EQ(CheckDataTypeExists(*project, "DINT[0]"), "Data Type DINT[0] is not exist!");
    EXPECT_EQ(CheckComponentName(*project, "Merge"), "");
}

}  // namespace
}  // namespace pontra
