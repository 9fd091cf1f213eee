// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli xref through the real binary: the uses of every tag or of one, a function
// block's tags, multiple writers, descriptions in UTF-8, and usage errors.
#include <gtest/gtest.h>

#include <fstream>

#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

constexpr const char* kComponents =
    "PROGRAM Main\r\n\r\nVAR\r\n"
    "Run{description = Belt runs \xB0}: BOOL;\r\n"
    "Count: DINT;\r\n"
    "Ramp1: Ramp;\r\n"
    "END_VAR\r\n\r\n"
    "RUNG;\r\nXIC(Inputs.0);\r\nOTE(Run);\r\nRND;\r\n\r\n"
    "RUNG;\r\nXIC(Run);\r\nJFB(Ramp1);\r\nOTL(Run);\r\nRND;\r\n\r\n"
    "END_PROGRAM\r\n\r\n"
    "FUNCTION_BLOCK Ramp\r\n\r\nVAR\r\nLevel: INT;\r\nEND_VAR\r\n\r\n"
    "Level := Level + 1;\r\n"
    "END_FUNCTION_BLOCK\r\n";

class CliXref : public ::testing::Test {
protected:
    void SetUp() override {
        project = dir.File("Line.clp");
        ASSERT_EQ(RunCli({"new", project, "--ip", "127.0.0.5"}).status, 0);
        std::ofstream(dir.File("parts.txt"), std::ios::binary) << kComponents;
        const auto imported = RunCli({"import", project, dir.File("parts.txt"), "--yes"});
        ASSERT_EQ(imported.status, 0) << imported.err << imported.out;
    }
    TempDir dir;
    std::string project;
};

TEST_F(CliXref, OneTagWithItsUsesAndMultipleWriters) {
    const auto result = RunCli({"xref", project, "Run"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "Run : BOOL - Belt runs \xC2\xB0\n"
              "  Main Routine rung 1, OTE operand 1: Run written\n"
              "  Main Routine rung 2, XIC operand 1: Run read\n"
              "  Main Routine rung 2, OTL operand 1: Run written\n"
              "  multiple writers: Run\n");
}

TEST_F(CliXref, EveryTagOfTheMainProgramAndOfABlock) {
    const auto all = RunCli({"xref", project});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_NE(all.out.find("Count : DINT\n  not used\n"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("Ramp1 : Ramp\n  Main Routine rung 2, JFB operand 1: Ramp1 read/written\n"),
              std::string::npos) << all.out;
    // Used controller tags are listed, unused ones left out.
    EXPECT_NE(all.out.find("  Main Routine rung 1, XIC operand 1: Inputs.0 read\n"), std::string::npos);
    EXPECT_EQ(all.out.find("Outputs :"), std::string::npos);

    const auto block = RunCli({"xref", project, "--unit", "Ramp"});
    ASSERT_EQ(block.status, 0) << block.err;
    EXPECT_EQ(block.out, "Level : INT\n  Ramp line 1: Level written\n  Ramp line 1: Level read\n");
}

TEST_F(CliXref, UnknownNamesAreUsageErrors) {
    const auto tag = RunCli({"xref", project, "Nope"});
    EXPECT_EQ(tag.status, 2);
    EXPECT_EQ(tag.err, "xref: no tag Nope\n");
    EXPECT_EQ(RunCli({"xref", project, "--unit", "Nope"}).status, 2);
    EXPECT_EQ(RunCli({"xref", dir.File("missing.clp")}).status, 2);
}

}  // namespace
}  // namespace pontra
