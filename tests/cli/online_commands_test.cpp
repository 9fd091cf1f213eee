// SPDX-License-Identifier: GPL-3.0-or-later
// The online subcommands of pontra-cli against a soft module process: debug without a
// program, download, live values, toggle, write, mode, a list download, and deleting
// the module's program.
#include <fstream>

#include "CliOnlineFixture.h"

namespace pontra {
namespace {

using test::CliOnlineTest;
using test::Count;

TEST_F(CliOnlineTest, DownloadThenLiveValuesWritesAndModes) {
    auto r = Cli({"debug", project});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "There is not program in module with IP: " + sim.address + "!\n");

    r = Cli({"download", project, "--yes"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(Count(r.out, "FTP upload OK."), 1u) << r.out;
    EXPECT_NE(r.err.find("Download complete successfuly (Program memory = "), std::string::npos) << r.err;

    r = Cli({"debug", project, "--tags", "FirstLadderExec,Inputs.3,SpeedLeftMTR", "--polls", "2"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(Count(r.out, "FirstLadderExec = 0\nInputs.3 = 0\nSpeedLeftMTR = 0\nstatus:  - OK (TaskTime "),
              2u)
        << r.out;

    r = Cli({"toggle", project, "Inputs.3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.ends_with("Inputs.3 = 1\n")) << r.out;
    r = Cli({"write", project, "SpeedLeftMTR", "-250"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.ends_with("SpeedLeftMTR = -250\n")) << r.out;

    for (const char* mode : {"program", "run"}) {
        r = Cli({"mode", project, mode});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(std::string("mode: ") + mode + "\nstatus:  - OK"), std::string::npos) << r.out;
    }
}

TEST_F(CliOnlineTest, DeleteProgramLeavesNoProgram) {
    ASSERT_EQ(Cli({"download", project, "--yes"}).status, 0);
    auto r = Cli({"delete-program", project});
    EXPECT_EQ(r.status, 1) << "nobody there to say OK";
    EXPECT_EQ(r.err.find("complete"), std::string::npos) << r.err;

    r = Cli({"delete-program", project, "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Delete Module Program complete successfuly.\n"), std::string::npos) << r.err;
    r = Cli({"debug", project});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "There is not program in module with IP: " + sim.address + "!\n");
}

TEST_F(CliOnlineTest, ListDownloadAndUsageErrors) {
    const std::string list = dir.File("line.txt");
    std::ofstream(list) << sim.Address(0) << "\n" << sim.Address(1) << "\n";
    auto r = Cli({"download-list", project, "--list", list, "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.size() - 2 * (sim.address.size() + 4)),
              sim.Address(0) + " OK\n" + sim.Address(1) + " OK\n");
    EXPECT_EQ(r.err, "Do you really want Download Program?\nDownload to Modules complete successfully.\n");

    EXPECT_EQ(Cli({"debug", project, "--ip", "127.0.0"}).status, 2);
    EXPECT_EQ(Cli({"debug", project, "--tags", "NoSuchTag"}).status, 2);
    EXPECT_EQ(Cli({"toggle", project, "SpeedLeftMTR"}).status, 1) << "not a BOOL";
    EXPECT_EQ(Cli({"mode", project, "fast"}).status, 2);
}

} // namespace
} // namespace pontra
