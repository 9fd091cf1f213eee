// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli export and import, and the example projects built through them.
#include <gtest/gtest.h>

#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

std::string FileText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::string Example(const std::string& name) { return std::string(PONTRA_SOURCE_DIR) + "/examples/" + name; }

// Each example imports into a new project, verifies without errors and exports back to
// the text it came from.
TEST(CliComponents, ExamplesBuildVerifyAndExportAsWritten) {
    TempDir dir;
    for (const char* name : {"conveyor_zone", "speed_ramp"}) {
        SCOPED_TRACE(name);
        const std::string project = dir.File(std::string(name) + ".clp");
        const std::string source = Example(std::string(name) + ".txt");
        ASSERT_EQ(RunCli({"new", project}).status, 0);
        auto imported = RunCli({"import", project, source, "--yes"});
        ASSERT_EQ(imported.status, 0) << imported.out << imported.err;
        EXPECT_EQ(imported.out, "Import " + source + " ...\nImport " + source + " - OK\n");

        auto verified = RunCli({"verify", project});
        EXPECT_EQ(verified.status, 0) << verified.out;
        EXPECT_NE(verified.out.find(" - 0 error(s)"), std::string::npos) << verified.out;
        EXPECT_EQ(verified.out.find("Warning"), std::string::npos) << verified.out;

        std::string exported = RunCli({"export", project, "--main"}).out;
        if (std::string(name) == "speed_ramp") exported += "\r\n" + RunCli({"export", project, "--fb", "SpeedRamp"}).out;
        EXPECT_EQ(exported, FileText(source));
    }
}

TEST(CliComponents, ImportSavesOnlyWhatWentInCleanly) {
    TempDir dir;
    const std::string project = dir.File("Line.clp");
    ASSERT_EQ(RunCli({"new", project}).status, 0);
    const auto original = ReadBytes(project);

    // Nobody answers the question: the main program stays and nothing is saved.
    auto declined = RunCli({"import", project, Example("conveyor_zone.txt")});
    EXPECT_EQ(declined.status, 1);
    EXPECT_NE(declined.err.find("Do you want to replace Main Program?"), std::string::npos);
    EXPECT_EQ(ReadBytes(project), original);

    const std::string broken = dir.File("broken.txt");
    WriteBytes(broken, {'T', 'Y', 'P', 'E', ' ', 'T', '\n', 'V', 'A', 'R', '\n', 'A', ':', ' ', 'A', 'R', 'R', 'A', 'Y',
                        '[', '0', ']', ' ', 'O', 'F', ' ', 'D', 'I', 'N', 'T', ';', '\n'});
    auto failed = RunCli({"import", project, broken, "--yes"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.out.find("Error at line 3 : stmt_var : Array dimension can't be negative value"), std::string::npos);
    EXPECT_EQ(ReadBytes(project), original);

    EXPECT_EQ(RunCli({"import", project, dir.File("missing.txt")}).status, 2);
}

TEST(CliComponents, ExportSelectsOneComponent) {
    TempDir dir;
    const std::string project = dir.File("Line.clp");
    ASSERT_EQ(RunCli({"new", project}).status, 0);
    const std::string out = dir.File("Config.txt");
    ASSERT_EQ(RunCli({"export", project, "--type", "Configuration", "-o", out}).status, 0);
    EXPECT_EQ(FileText(out), "TYPE Configuration\r\n\r\nVAR\r\nEND_VAR\r\n\r\nEND_TYPE\r\n");
    EXPECT_EQ(RunCli({"export", project}).status, 2);
    EXPECT_EQ(RunCli({"export", project, "--main", "--task"}).status, 2);
    EXPECT_EQ(RunCli({"export", project, "--fb", "Configuration"}).status, 2);
}

}  // namespace
}  // namespace pontra
