// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

TEST(CliBuild, VerifyAndMakeBinOnAProjectFile) {
    TempDir dir;
    const std::string project = dir.File("Line.clp");
    ASSERT_EQ(RunCli({"new", project, "--type", "Kormo", "--ip", "127.0.0.5"}).status, 0);

    auto verify = RunCli({"verify", project});
    ASSERT_EQ(verify.status, 0) << verify.err;
    EXPECT_EQ(verify.out,
              "Verify Line.clp - Main Routine (127.0.0.5) ...\n"
              "Verify Type Configuration ...\n"
              "Verify Line.clp - 0 error(s)\n"
              "Program memory = 604 bytes, Tags = 384 bytes\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("PLCDATA_Line.bin")));

    auto make = RunCli({"make-bin", project});
    ASSERT_EQ(make.status, 0) << make.err;
    const std::string done = "File " + dir.File("PLCDATA_Line.bin") + " is created successfully.\n";
    EXPECT_TRUE(make.out.ends_with(done)) << make.out;
    EXPECT_EQ(make.err, done);
    const auto image = ReadBytes(dir.File("PLCDATA_Line.bin"));
    ASSERT_GT(image.size(), 180u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[0x18])), "Vessa");  // Kormo's family
}

TEST(CliBuild, MakeBinRefusesAnUntitledProject) {
    auto result = RunCli({"make-bin", "--new"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "The project is Untitled. Please first save the project and than use Make .bin File.\n");
}

TEST(CliBuild, UnreadableInputIsAUsageError) {
    TempDir dir;
    EXPECT_EQ(RunCli({"verify", "--new", "--type", "Nope"}).status, 2);
    EXPECT_EQ(RunCli({"make-bin"}).status, 2);
    EXPECT_EQ(RunCli({"verify", dir.File("missing.clp")}).status, 2);
}

TEST(CliBuild, DumpShowsLaidOutAddressesAndSizes) {
    auto result = RunCli({"dump", "--new"});
    ASSERT_EQ(result.status, 0) << result.err;
    auto json = nlohmann::json::parse(result.out);
    const auto& slot = json["controller_tags"][25];
    EXPECT_EQ(slot["name"], "Tag1");
    EXPECT_EQ(slot["address"], 256);
    EXPECT_EQ(slot["size"], 4);
    EXPECT_EQ(json["controller_tags"][5]["members"][3]["address"], 58);
}

}  // namespace
}  // namespace pontra
