// SPDX-License-Identifier: GPL-3.0-or-later
// Component export: declaration lines, component layout, the forbidden-symbol check and
// the export command's clipboard and file.
#include <gtest/gtest.h>

#include <functional>

#include "files/ComponentExport.h"
#include "files/ComponentText.h"
#include "files/SampleProject.h"
#include "support/TempDir.h"

namespace pontra::test {
namespace {

TEST(ComponentExport, DeclarationLines) {
    auto p = ComponentProject();
    const char* expected[] = {
        "Speed{description = Belt speed}: INT := 100;",
        "Table: ARRAY[10] OF DINT;",
        "Grid: ARRAY[2,3] OF SINT := (0,0,0,0,-7,0);",
        "Flag: BOOL := 1;",
        "Bit0{alias = Speed.0}{description = First bit};",
        "Delay: TIMER := (1500,0,0,0,0);",
        "Idle: TIMER;",
        "Both: Pair := (0,1);",
        "Conv1: Conveyor;",
    };
    ASSERT_EQ(p->doc.tags.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(DeclarationLine(*p, *p->doc.tags[i]), std::string(expected[i]) + "\r\n");
}

TEST(ComponentExport, ComponentsInTheirOrder) {
    auto p = ComponentProject();
    EXPECT_EQ(*ExportText(*p, ExportSubject::FunctionBlock, p->FindUnit("Conveyor")),
              Crlf("FUNCTION_BLOCK Conveyor\n\n"
                   "VAR_INPUT\nRun: BOOL;\nEND_VAR\n\n"
                   "VAR_OUTPUT\nDone: BOOL;\nEND_VAR\n\n"
                   "VAR_IN_OUT\nShared: DINT;\nEND_VAR\n\n"
                   "VAR\nLocal: DINT;\nCount: DINT := 3;\nEND_VAR\n\n"
                   "RUNG;\nXIC(Run);\nRND;\n\n"
                   "END_FUNCTION_BLOCK\n"));
    // Sections without tags are left out; the text stands line for line.
    EXPECT_EQ(*ExportText(*p, ExportSubject::FunctionBlock, p->FindUnit("Ramp")),
              Crlf("FUNCTION_BLOCK Ramp\n\n  (* ramp *)\n\nOut := In + 1;\nEND_FUNCTION_BLOCK\n"));
    EXPECT_EQ(*ExportText(*p, ExportSubject::Type, p->FindUnit("Pair")),
              Crlf("TYPE Pair\n\nVAR\nLeft: INT;\nRight: BOOL;\nEND_VAR\n\nEND_TYPE\n"));

    const std::string main = *ExportText(*p, ExportSubject::MainProgram);
    EXPECT_TRUE(main.starts_with("PROGRAM Main \r\n\r\nVAR\r\nSpeed{")) << main;
    EXPECT_TRUE(main.ends_with("Conv1: Conveyor;\r\nEND_VAR\r\n\r\nRUNG{comment = Run};\r\nXIC(Flag);\r\nBST;\r\n"
                               "XIC(Table[2]);\r\nNXB;\r\nXIC(Grid[1,2]);\r\nBND;\r\nJFB(Conv1);\r\nRND;\r\n\r\n"
                               "END_PROGRAM\r\n"))
        << main;
    EXPECT_TRUE(ExportText(*p, ExportSubject::MainTask)->starts_with(main + "\r\nTYPE Pair\r\n"));
}

struct ForbiddenCase {
    const char* name;
    std::function<void(CProject&)> spoil;
};

class ExportForbidden : public ::testing::TestWithParam<ForbiddenCase> {};

TEST_P(ExportForbidden, CancelsTheWholeExport) {
    ScriptedHost host;
    CMainFrame frame(host);
    frame.SetProject(ComponentProject());
    host.clipboard["Text"] = "before";
    GetParam().spoil(frame.project());
    TempDir dir;
    host.files.push_back(dir.File("out.txt"));
    EXPECT_FALSE(ExportMainTask(frame));
    EXPECT_EQ(host.Messages(), std::vector<std::string>{kExportForbiddenSymbol});
    EXPECT_EQ(host.clipboard["Text"], "before");
    EXPECT_TRUE(dir.Names().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportForbidden,
    ::testing::Values(ForbiddenCase{"TagNameStartsWithDigit", [](CProject& p) { p.doc.tags[0]->name = "2Fast"; }},
                      ForbiddenCase{"BraceInDescription",
                                    [](CProject& p) { p.FindUnit("Conveyor")->tags[0]->description = "a{b"; }},
                      ForbiddenCase{"BraceInRungComment",
                                    [](CProject& p) { p.FindUnit("Conveyor")->rungs[0]->comment = "x}"; }},
                      ForbiddenCase{"TypeMemberName", [](CProject& p) { p.FindType("Pair")->members[1]->name = "a b"; }},
                      ForbiddenCase{"EmptyTagName", [](CProject& p) { p.doc.tags[2]->name.clear(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComponentExport, TextGoesToTheClipboardThenToTheChosenFile) {
    ScriptedHost host;
    CMainFrame frame(host);
    frame.SetProject(ComponentProject());
    const CUnit& pair = *frame.project().FindUnit("Pair");
    const std::string text = *ExportText(frame.project(), ExportSubject::Type, &pair);

    host.clipboard["Pontra - Element"] = "stale";
    host.files.push_back(std::nullopt);  // the dialog is cancelled
    EXPECT_FALSE(ExportType(frame, pair));
    EXPECT_EQ(host.clipboard, (std::map<std::string, std::string>{{"Text", text}}));
    EXPECT_EQ(host.log, std::vector<std::string>{"file: save"});

    TempDir dir;
    host.files.push_back(dir.File("Pair.txt"));
    ASSERT_TRUE(ExportType(frame, pair));
    const auto bytes = ReadBytes(dir.File("Pair.txt"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);
}

}  // namespace
}  // namespace pontra::test
