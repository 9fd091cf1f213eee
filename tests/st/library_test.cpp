// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "build/StandardLibrary.h"
#include "host/ScriptedHost.h"
#include "shell/MainFrame.h"
#include "st/Templates.h"

namespace pontra {
namespace {

TEST(StandardLibrary, FunctionsThenBlocksInTheirFixedOrder) {
    ScriptedHost host;
    CMainFrame frame(host);
    const StandardLibrary& library = frame.standardLibrary;
    ASSERT_EQ(library.size(), 24u);
    std::string names;
    for (const auto& entry : library) names += entry->name + (entry->kind == "ST_FUNC" ? " " : "* ");
    EXPECT_EQ(names,
              "ADD SUB MUL DIV MOD AND OR XOR MOV SHL SHR EQU NEQ LES GRT LEQ GEQ IEC_TON* IEC_TOF* IEC_RTO* IEC_DOL* "
              "IEC_DOR* IEC_CTU* IEC_CTD* ");
    auto params = [&](const char* name) {
        std::string text;
        for (const auto& p : FindLibraryEntry(library, name)->params) text += p->name + ":" + p->type + ":" + p->section + " ";
        return text;
    };
    EXPECT_EQ(params("SHL"), "Source:ANY_NUM:VAR_INPUT Shift:ANY_NUM:VAR_INPUT Dest:ANY_NUM:VAR_OUTPUT ");
    EXPECT_EQ(params("GEQ"), "Source A:ANY_NUM:VAR_INPUT Source B:ANY_NUM:VAR_INPUT OUT:BOOL:VAR_OUTPUT ");
    EXPECT_EQ(params("IEC_DOR"), "EN:BOOL:VAR_INPUT PT:DINT:VAR_INPUT Q:BOOL:VAR_OUTPUT ET:DINT:VAR_OUTPUT Timer:TIMER:VAR ");
    EXPECT_EQ(params("IEC_CTD"),
              "CD:BOOL:VAR_INPUT LD:BOOL:VAR_INPUT PV:DINT:VAR_INPUT Q:BOOL:VAR_OUTPUT CV:DINT:VAR_OUTPUT "
              "Counter:COUNTER:VAR ");
    EXPECT_EQ(FindLibraryEntry(library, "LIM"), nullptr);
    const auto types = BuiltInTypeNames();
    EXPECT_EQ(std::vector<std::string>(types.begin(), types.end()),
              (std::vector<std::string>{"BOOL", "SINT", "INT", "DINT", "IEC_TON", "IEC_TOF", "IEC_RTO", "IEC_DOL",
                                        "IEC_DOR", "IEC_CTU", "IEC_CTD"}));
}

TEST(StatementTemplates, IndentEveryLineAfterTheFirst) {
    EXPECT_EQ(TemplateText(StatementTemplate::If, 0),
              "IF (*condition*) THEN\r\n\t(*statement*);\r\nELSE\r\n\t(*statement*);\r\nEND_IF;\r\n");
    EXPECT_EQ(TemplateText(StatementTemplate::Elsif, 1), "ELSIF (*condition*) THEN\r\n\t\t(*statement*);\r\n");
    EXPECT_EQ(TemplateText(StatementTemplate::Case, 0),
              "CASE (*case*) OF\r\n\t1: (*statement*);\r\n\t2: (*statement*);\r\nELSE\r\n\t(*statement*);\r\nEND_CASE;\r\n");
    EXPECT_EQ(TemplateText(StatementTemplate::For, 2),
              "FOR (*begin*) TO (*end*) BY (*step*) DO\r\n\t\t\t(*statement*);\r\n\t\tEND_FOR;\r\n");
}

}  // namespace
}  // namespace pontra
