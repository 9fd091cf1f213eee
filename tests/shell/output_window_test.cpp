// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "host/ScriptedHost.h"
#include "model/Project.h"
#include "shell/OutputWindow.h"

namespace pontra {
namespace {

class OutputWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        project = NewProject();
        auto& rung = *project->doc.rungs[0];
        CElement& branch = rung.Append(std::make_unique<CElement>(kKindBranch));
        auto leg = std::make_unique<CRung>();
        leg->parent = &rung;
        leg->Append(std::make_unique<CElement>(kKindBranchLevel));
        nested = &leg->Append(std::make_unique<CElement>(2));
        branch.legs.push_back(std::move(leg));
        rung.Append(std::make_unique<CElement>(kKindBranchEnd));

        auto fb = std::make_unique<CUnit>("Zone", kUnitFunctionBlock);
        fb->rungs.push_back(NewRung());
        fb->rungs.push_back(NewRung());
        inFb = &fb->rungs[1]->Append(std::make_unique<CElement>(4));
        project->units.push_back(std::move(fb));
        auto st = std::make_unique<CUnit>("Calc", kUnitFunctionBlock, kLanguageST);
        project->units.push_back(std::move(st));
    }
    ScriptedHost host;
    OutputWindow output{host};
    std::unique_ptr<CProject> project;
    CElement* nested = nullptr;
    CElement* inFb = nullptr;
};

TEST_F(OutputWindowTest, LinesReachTheHostAndClear) {
    output.AddOutputLine("Verify Program Error!");
    EXPECT_EQ(host.outputLines, (std::vector<std::string>{"Verify Program Error!"}));
    output.ClearOutput();
    EXPECT_TRUE(output.Lines().empty());
}

TEST_F(OutputWindowTest, RungLinesFindTheirElementAtAnyDepthInAnyUnit) {
    output.AddOutputLine("Error at Rung: 0, Element: XIC, Operand: 0 -> Invalid tag", nested);
    output.AddOutputLine("Error at Rung: 1, Element: OTE, Operand: 0 -> Invalid tag", inFb);
    OutputJump jump = output.JumpToOutputLine(*project, 0);
    EXPECT_EQ(jump.kind, OutputJump::Kind::LadderElement);
    EXPECT_EQ(jump.unit, nullptr);
    EXPECT_EQ(jump.element, nested);
    jump = output.JumpToOutputLine(*project, 1);
    EXPECT_EQ(jump.kind, OutputJump::Kind::LadderElement);
    EXPECT_EQ(jump.unit, project->units[0].get());
    EXPECT_EQ(jump.rung, 1);
    EXPECT_EQ(jump.element, inFb);
}

TEST_F(OutputWindowTest, DeletedElementsAndOtherLinesLeadNowhere) {
    output.AddOutputLine("Error at Rung: 1, Element: OTE, Operand: 0 -> Invalid tag", inFb);
    output.AddOutputLine("Verify Program Error!");
    output.AddOutputLine("Error at Rung: 5, Element: OTE, Operand: 0 -> Invalid tag", inFb);  // wrong rung
    project->units[0]->rungs[1]->elements.pop_back();
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(output.JumpToOutputLine(*project, i).kind, OutputJump::Kind::None) << i;
}

TEST_F(OutputWindowTest, CompilerLinesSelectALineOfTheCompiledUnit) {
    output.compiledUnit = "Calc";
    output.AddOutputLine("Error at line 12 : assign_stmt : Type mismatch");
    OutputJump jump = output.JumpToOutputLine(*project, 0);
    EXPECT_EQ(jump.kind, OutputJump::Kind::TextLine);
    EXPECT_EQ(jump.unit, project->units[1].get());
    EXPECT_EQ(jump.line, 12);
}

}  // namespace
}  // namespace pontra
