// SPDX-License-Identifier: GPL-3.0-or-later
// Operand lookups through the name index give exactly what a search of the scope's lists
// gives: the first tag in list order that the text names, members and elements included,
// also for names that repeat and for tags appended or removed while the index is in use.
#include <gtest/gtest.h>

#include "BuildFixtures.h"
#include "build/OperandScope.h"

namespace pontra {
namespace {

using namespace test;

// The found tag and its enclosing tags, as names and types (for the failure message).
std::string Describe(const TagRef& ref) {
    if (!ref) return "-";
    std::string text = ref.tag->name + " " + ref.tag->dataType;
    for (const CTag* parent : ref.parents) text += " < " + parent->name;
    return text;
}

void ExpectSameRef(const TagRef& indexed, const TagRef& plain, const std::string& text) {
    EXPECT_EQ(indexed.tag, plain.tag) << text << ": " << Describe(indexed) << " / " << Describe(plain);
    EXPECT_EQ(indexed.parents, plain.parents) << text;
}

class OperandIndex : public ::testing::Test {
protected:
    void SetUp() override {
        CProject& p = bench.project();
        fb = &AddFunctionBlock(p, "Fb");
        AddTag(p, fb->tags, "In", "BOOL", kUsageInput);
        AddTag(p, fb->tags, "Count", "DINT", kUsageOutput);
        p.types.push_back(std::make_unique<CType>("Fb"));
        TagList& tags = bench.doc().tags;
        AddTag(p, tags, "A", "DINT");
        AddTag(p, tags, "A.B", "BOOL");  // a name with a dot: found before A's members only when first
        AddTag(p, tags, "Arr", "DINT[4]");
        AddTag(p, tags, "Grid", "INT[2,3]");
        AddTag(p, tags, "T", "TIMER");
        AddTag(p, tags, "M", "Fb");
        AddTag(p, tags, "Dup", "INT");
        AddTag(p, tags, "Dup", "DINT");  // the second of a name is never found
        AddTag(p, tags, "A", "SINT");
    }

    // Both lookups on a scope over the current lists; the index is kept across calls.
    void ExpectSame(const UnitScope& indexed, const std::vector<std::string>& texts) {
        const UnitScope plain = MainProgramScope(bench.project());
        for (const std::string& text : texts) ExpectSameRef(FindOperandTag(indexed, text), FindOperandTag(plain, text), text);
    }

    Bench bench;
    CUnit* fb = nullptr;
    const std::vector<std::string> texts = {
        "A",      "A.3",     "A.31",   "A.32",    "A.B",     "A.B.1",   "Arr",     "Arr[0]",  "Arr[3]",    "Arr[4]",
        "Arr[i]", "Arr[1].5", "Grid[1,2]", "Grid[1,2].15", "T",  "T.PRE",   "T.DN",    "T.ACC.31", "M",       "M.In",
        "M.Count", "M.Count.7", "Dup",   "Dup.3",   "Dup.20",  "TagIArray0", "TagIArray0.4", "Missing", "Missing.1", "",
        ".A",     "A.",      "[",       "Arr[",    "S:FS",    "S",       "I.Data",  "O.Data.3"};
};

TEST_F(OperandIndex, FindsWhatASearchOfTheListsFinds) {
    UnitScope scope = MainProgramScope(bench.project());
    IndexTagNames(scope);
    ExpectSame(scope, texts);
}

TEST_F(OperandIndex, FollowsTagsAppendedAndRemovedWhileInUse) {
    UnitScope scope = MainProgramScope(bench.project());
    IndexTagNames(scope);
    ExpectSame(scope, texts);
    // Scratch tags are appended during verification.
    AddTag(bench.project(), bench.doc().workTags, "TagIArray0", "DINT");
    AddTag(bench.project(), bench.doc().tags, "Missing", "BOOL");
    ExpectSame(scope, texts);
    // A list that lost its last tag, and one whose last tag was replaced, are indexed afresh.
    bench.doc().tags.pop_back();
    ExpectSame(scope, texts);
    bench.doc().workTags.back() = std::make_unique<CTag>("Missing", "DINT");
    ExpectSame(scope, texts);
    bench.doc().tags.erase(bench.doc().tags.begin());  // the first "A" goes: the later one is found
    ExpectSame(scope, texts);
}

TEST_F(OperandIndex, FunctionBlockScopeWithCompilerVariables) {
    fb->language = kLanguageST;
    AddTag(bench.project(), fb->stVariables, "_Acc", "DINT");
    AddTag(bench.project(), fb->tags2, "TagIArray0", "DINT");
    AddTag(bench.project(), fb->stVariables, "In", "DINT");  // behind the block's own "In"
    UnitScope indexed = FunctionBlockScope(bench.project(), *fb);
    IndexTagNames(indexed);
    const UnitScope plain = FunctionBlockScope(bench.project(), *fb);
    for (const char* text : {"In", "In.0", "Count.31", "_Acc", "_Acc.3", "TagIArray0.1", "A"})
        ExpectSameRef(FindOperandTag(indexed, text), FindOperandTag(plain, text), text);
}

}  // namespace
}  // namespace pontra
