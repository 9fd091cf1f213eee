// SPDX-License-Identifier: GPL-3.0-or-later
// Going online from pontra-cli: sessions side by side in one temporary folder, a
// temporary folder that takes no file, and the download the start offers when the
// module holds another program, after which the command does what was asked.
#include <stdlib.h>

#include <thread>

#include "CliOnlineFixture.h"

namespace pontra {
namespace {

using test::CliOnlineTest;
using test::Count;

std::vector<std::string> ProgramCopies(const TempDir& dir) {
    std::vector<std::string> copies;
    for (const auto& name : dir.Names())
        if (name.starts_with("PLCDATA-")) copies.push_back(name);
    return copies;
}

TEST_F(CliOnlineTest, SessionsSideBySideShareTheTemporaryFolder) {
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(Cli({"download", project, "--ip", sim.Address(i), "--yes"}).status, 0) << i;
    // Each start reads its module's program back into the temporary folder; two at once
    // used to read into the same file.
    for (int round = 0; round < 4; ++round) {
        ProcessResult results[2];
        std::thread sessions[2];
        for (int i = 0; i < 2; ++i)
            sessions[i] = std::thread([&, i] {
                results[i] = Cli({"debug", project, "--ip", sim.Address(i)});
            });
        for (auto& session : sessions) session.join();
        for (const auto& r : results) EXPECT_EQ(r.status, 0) << "round " << round << ": " << r.err;
    }
    EXPECT_TRUE(ProgramCopies(dir).empty()) << "every copy removed";
}

TEST_F(CliOnlineTest, ATemporaryFolderThatTakesNoFileIsNamed) {
    ASSERT_EQ(Cli({"download", project, "--yes"}).status, 0);
    // /proc takes no new file, not even from root.
    setenv("TMPDIR", "/proc", 1);
    auto r = Cli({"debug", project});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        r.err.find("Unable to get temporary folder!\r\nCan't create a file in the temporary folder '/proc'"),
        std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("Unable to read program information"), std::string::npos) << r.err;

    r = Cli({"delete-program", project, "--yes"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Error - Can't open file /proc/PLCDATA-XXXXXX.bin"), std::string::npos) << r.err;

    setenv("TMPDIR", dir.File("missing").c_str(), 1);
    r = Cli({"debug", project});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unable to get temporary folder!"), std::string::npos) << r.err;
    setenv("TMPDIR", dir.Path().c_str(), 1);
    EXPECT_EQ(Cli({"debug", project}).status, 0) << "the module's program is still there";
}

TEST_F(CliOnlineTest, AnAcceptedDownloadGoesOnToDoWhatWasAsked) {
    ASSERT_EQ(Cli({"download", project, "--yes"}).status, 0);
    // Another project (a later time stamp) for the same module.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const std::string other = dir.File("other.clp");
    ASSERT_EQ(RunCli({"new", other, "--ip", sim.address}).status, 0);

    const std::string question = "The program is different from PLC! Do you want to Download program?\n";
    auto r = Cli({"toggle", other, "Inputs.2"});
    EXPECT_EQ(r.status, 1) << "nobody there to say OK";
    EXPECT_NE(r.err.find(question + "(no terminal to answer: Cancel)"), std::string::npos) << r.err;

    r = Cli({"toggle", other, "Inputs.2", "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(question), std::string::npos) << r.err;
    EXPECT_EQ(Count(r.err, "Download complete successfuly"), 1u) << r.err;
    EXPECT_TRUE(r.out.ends_with("Inputs.2 = 1\n")) << r.out;

    r = Cli({"debug", project, "--yes", "--tags", "Inputs.2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(question), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Inputs.2 = 0\nstatus:  - OK"), std::string::npos)
        << "the downloaded program starts afresh: " << r.out;
}

} // namespace
} // namespace pontra
