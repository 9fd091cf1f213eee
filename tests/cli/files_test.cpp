// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-cli new, set and dump on project files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "files/FileBytes.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

nlohmann::json Dump(const std::string& path) {
    auto result = RunCli({"dump", path});
    EXPECT_EQ(result.status, 0) << result.err;
    return result.status == 0 ? nlohmann::json::parse(result.out) : nlohmann::json{};
}

TEST(CliFiles, NewWritesAProjectThatDumpReads) {
    TempDir dir;
    const std::string path = dir.File("Line.clp");
    auto result = RunCli({"new", path, "--type", "Oskel", "--ip", "127.0.0.7"});
    ASSERT_EQ(result.status, 0) << result.err;
    auto json = Dump(path);
    EXPECT_EQ(json["format_version"], 5);
    EXPECT_EQ(json["controller_type"], "Oskel");
    EXPECT_EQ(json["module_address"], "127.0.0.7");
    EXPECT_EQ(json["version"]["revision"], 1);
    EXPECT_EQ(json["controller_tags"].size(), 20u);
    ASSERT_EQ(json["units"].size(), 1u);
    EXPECT_EQ(json["units"][0]["name"], "Configuration");

    EXPECT_EQ(RunCli({"new", path}).status, 1);  // an existing file is not replaced
    EXPECT_EQ(RunCli({"new", dir.File("b.clp"), "--type", "KTX-310-B"}).status, 2);
    EXPECT_EQ(RunCli({"new", dir.File("b.clp"), "--ip", "127.0.0.256"}).status, 2);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Line.clp"}));
}

TEST(CliFiles, SetAsksBeforeChangingTheTypeThenSaves) {
    TempDir dir;
    const std::string path = dir.File("Line.clp");
    ASSERT_EQ(RunCli({"new", path}).status, 0);
    const auto original = ReadBytes(path);

    auto refused = RunCli({"set", path, "--type", "Kormo"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("You may lose some data! Do you want to continue?"), std::string::npos);
    EXPECT_EQ(ReadBytes(path), original);

    ASSERT_EQ(RunCli({"set", path, "--type", "Kormo", "--yes"}).status, 0);
    auto json = Dump(path);
    EXPECT_EQ(json["controller_type"], "Kormo");
    EXPECT_EQ(json["controller_tags"][7]["name"], "ServoReadyRight");
    EXPECT_EQ(json["version"]["revision"], 2);
    EXPECT_EQ(ReadBytes(dir.File("Line_Backup.clp")), original);

    auto address = RunCli({"set", path, "--ip", "127.0.0.9"});
    ASSERT_EQ(address.status, 0) << address.err;
    EXPECT_TRUE(address.err.empty()) << address.err;
    json = Dump(path);
    EXPECT_EQ(json["module_address"], "127.0.0.9");
    EXPECT_EQ(json["version"]["revision"], 3);

    EXPECT_EQ(RunCli({"set", dir.File("none.clp"), "--ip", "127.0.0.1"}).status, 2);
}

TEST(CliFiles, DumpPrintsOlderFilesAsReadWithoutQuestions) {
    TempDir dir;
    test::FileBytes f;
    f.U32(2).U32(99).U32(0x7F000003).Text("Vessa-IX");
    f.U32(1).Rung(0, "old {rung}", 1, test::FileBytes().Element(1, {""}));
    f.U32(1).TagRecord({.name = "Bad Name", .type = "INT", .init = "6"}, 2);
    f.U32(0);
    WriteBytes(dir.File("old.clp"), f.bytes);
    auto result = RunCli({"dump", dir.File("old.clp")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
    auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["format_version"], 2);
    EXPECT_EQ(json["time_stamp"], 99);
    EXPECT_EQ(json["module_address"], "127.0.0.3");
    EXPECT_EQ(json["main"]["rungs"][0]["comment"], "old {rung}");
    EXPECT_EQ(json["main"]["tags"][0]["name"], "Bad Name");
    EXPECT_EQ(json["main"]["tags"][0]["members"].size(), 16u);
    EXPECT_EQ(json["main"]["tags"][0]["members"][1]["init"], "1");

    f.bytes.pop_back();
    WriteBytes(dir.File("cut.clp"), f.bytes);
    auto cut = RunCli({"dump", dir.File("cut.clp")});
    EXPECT_EQ(cut.status, 2);
    EXPECT_NE(cut.err.find("the file ends inside"), std::string::npos) << cut.err;
    EXPECT_EQ(RunCli({"dump"}).status, 2);
}

}  // namespace
}  // namespace pontra
