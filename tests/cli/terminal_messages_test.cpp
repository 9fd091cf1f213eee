// SPDX-License-Identifier: GPL-3.0-or-later
// What pontra-cli prints: a failed build names its reason, a line that goes both to the
// output window and to a message box shows once where stdout and stderr meet, and the
// online commands keep quiet about a verification without errors unless --verbose.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "CliOnlineFixture.h"

namespace pontra {
namespace {

using test::CliOnlineTest;
using test::Count;

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// stdout and stderr into one pipe, as on a terminal.
ProcessResult Together(const std::vector<std::string>& args) {
    std::string command = Quoted(BuiltBinary("src/cli/pontra-cli"));
    for (const auto& arg : args) command += " " + Quoted(arg);
    return RunProcess("/bin/sh", {"-c", command + " 2>&1"});
}

TEST(CliMessages, AFailedImageWriteSaysWhy) {
    TempDir dir;
    const std::string project = dir.File("Line.clp");
    ASSERT_EQ(RunCli({"new", project}).status, 0);
    // Something that is no file where the image goes.
    const std::string image = dir.File("PLCDATA_Line.bin");
    std::filesystem::create_directory(image);
    auto r = RunCli({"make-bin", project});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.ends_with("Error - Can't write file " + image + ": '" + image +
                                "' is a folder\n"
                                "Make .bin File Error!\n"))
        << r.out;
    EXPECT_EQ(r.err, "Make .bin File Error! See Output window for description.\n");

    // A folder that takes no new file (the permission bits do not stop root).
    std::filesystem::remove(image);
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(dir.Path().c_str(), 0555), 0);
        r = RunCli({"make-bin", project});
        chmod(dir.Path().c_str(), 0755);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.out.find("Error - Can't write file " + image + ": cannot create a file in the folder '" +
                             dir.Path() + "': Permission denied\n"),
                  std::string::npos)
            << r.out;
    }
}

TEST(CliMessages, ALineForBothWindowAndMessageShowsOnce) {
    TempDir dir;
    const std::string project = dir.File("Line.clp");
    ASSERT_EQ(RunCli({"new", project}).status, 0);
    const auto r = Together({"make-bin", project});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Count(r.out, " is created successfully."), 1u) << r.out;
}

// The build fails before any module is reached, and the lines say why.
TEST(CliMessages, VerificationLinesWithAnErrorAreShown) {
    TempDir dir;
    const std::string project = dir.File("q.clp");
    ASSERT_EQ(RunCli({"new", project, "--ip", "127.0.0.9"}).status, 0);
    const std::string text = dir.File("bad.txt");
    {
        const std::string rung = "PROGRAM Main \r\n\r\nVAR\r\nFlag: BOOL;\r\nEND_VAR\r\n\r\nRUNG;\r\n"
                                 "XIC(NoSuchTag);\r\nOTE(Flag);\r\nRND;\r\n\r\nEND_PROGRAM\r\n";
        WriteBytes(text, std::vector<uint8_t>(rung.begin(), rung.end()));
    }
    ASSERT_EQ(RunCli({"import", project, text, "--yes"}).status, 0);
    const auto r = RunCli({"download", project, "--yes"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.starts_with("Verify q.clp - Main Routine (127.0.0.9) ...\n"
                                  "Error at Rung: 0, Element: XIC, Operand: 0 -> Invalid type\n"))
        << r.out;
    EXPECT_NE(r.out.find("Verify q.clp - 1 error(s)\nMake .bin File Error!\n"), std::string::npos) << r.out;
}

TEST_F(CliOnlineTest, VerificationLinesOnlyWithErrorsOrVerbose) {
    auto r = Together(WithPorts({"download", project, "--yes"}));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Count(r.out, "Download complete successfuly"), 1u) << r.out;
    EXPECT_EQ(r.out.find("Verify "), std::string::npos) << r.out;
    EXPECT_TRUE(r.out.starts_with("Do you really want Download Program?\nProgram memory = ")) << r.out;

    r = Cli({"debug", project});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("status:  - OK")) << r.out;
    r = Cli({"debug", project, "--verbose"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("Verify p.clp - Main Routine (" + sim.address + ") ...\n")) << r.out;
    EXPECT_NE(r.out.find("Verify p.clp - 0 error(s)\nstatus:  - OK"), std::string::npos) << r.out;
}

} // namespace
} // namespace pontra
