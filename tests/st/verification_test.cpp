// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "StFixture.h"
#include "build/ProgramImage.h"

namespace pontra::test {
namespace {

// "Verify Program" (the build without a file): every Structured Text block is compiled
// where its rungs would be checked, its errors are listed and lead to their line, and a
// clean block is built like a ladder block.
TEST(Verification, CompilesStructuredTextBlocksAndListsTheirErrors) {
    StFixture f;
    f.frame.doc().pathName = "/nowhere/Exec.clp";
    f.AddTag("x", "DINT");
    auto other = std::make_unique<CUnit>("Other", kUnitFunctionBlock, kLanguageST);
    other->text = {"y := 1;"};
    CUnit& second = *other;
    f.frame.units().insert(f.frame.units().begin(), std::move(other));
    f.AddTag("y", "DINT", kUsageStatic, &second);
    f.calc->text = {"x := 1;", "x := q;", "x := ;"};
    auto inst = std::make_unique<CTag>("inst", "Calc");
    BuildMembers(f.frame.project(), *inst);
    f.frame.doc().tags.push_back(std::move(inst));
    f.frame.compileError = true;

    std::string path;
    EXPECT_FALSE(BuildProgramImage(f.frame, path, true));
    const std::vector<std::string> lines = f.Errors();
    EXPECT_EQ(lines, (std::vector<std::string>{"Verify Exec.clp - Main Routine (0.0.0.0) ...",
                                               "Warning: Tag: inst -> Not used", "Verify Function Block Other ...",
                                               "Verify Function Block Calc ...",
                                               "Error at line 2 : factor : Undeclared identifier 'q'",
                                               "Error at line 3 : factor : Unknown token ';'",
                                               "Verify Exec.clp - 2 error(s)"}));
    const auto at = std::find(lines.begin(), lines.end(), "Verify Function Block Calc ...");
    ASSERT_NE(at, lines.end());
    EXPECT_FALSE(f.frame.compileError);
    EXPECT_TRUE(f.calc->rungs.empty());
    EXPECT_FALSE(second.rungs.empty());  // the other block compiled cleanly
    const OutputJump jump = f.frame.output.JumpToOutputLine(f.frame.project(), static_cast<size_t>(at + 2 - lines.begin()));
    EXPECT_EQ(jump.kind, OutputJump::Kind::TextLine);
    EXPECT_EQ(jump.unit, f.calc);
    EXPECT_EQ(jump.line, 3);

    f.calc->text = {"x := x + 1;"};
    EXPECT_TRUE(BuildProgramImage(f.frame, path, true));
    // The verification's lines exactly, then the build's size line.
    std::vector<std::string> clean = f.Errors();
    ASSERT_FALSE(clean.empty());
    EXPECT_EQ(clean.back().rfind("Program memory = ", 0), 0u) << clean.back();
    clean.pop_back();
    EXPECT_EQ(clean, (std::vector<std::string>{"Verify Exec.clp - Main Routine (0.0.0.0) ...",
                                               "Warning: Tag: inst -> Not used", "Verify Function Block Other ...",
                                               "Verify Function Block Calc ...", "Verify Exec.clp - 0 error(s)"}));
    EXPECT_EQ(f.Rungs(), std::vector<std::string>{"ADD x,1,_Acc; MOV _Acc,x"});
}

}  // namespace
}  // namespace pontra::test
