// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/Process.h"

namespace pontra {
namespace {

TEST(CliDump, NewProjectOfEachTypeAsJson) {
    auto result = RunCli({"dump", "--new", "--type", "Kormo"});
    ASSERT_EQ(result.status, 0) << result.err;
    auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["controller_type"], "Kormo");
    EXPECT_EQ(json["format_version"], 5);
    EXPECT_EQ(json["module_address"], "0.0.0.0");
    EXPECT_EQ(json["version"]["major"], 1);
    ASSERT_EQ(json["main"]["rungs"].size(), 1u);
    EXPECT_EQ(json["main"]["rungs"][0]["elements"][0]["mnemonic"], "Rung");
    auto& tags = json["controller_tags"];
    ASSERT_EQ(tags.size(), 29u);
    EXPECT_EQ(tags[0]["name"], "Inputs");
    EXPECT_EQ(tags[0]["members"][16]["description"], "Left Sensor Detect");
    EXPECT_EQ(tags[23]["name"], "ServoCommandRight");
    EXPECT_EQ(tags[23]["address"], 204);
    EXPECT_EQ(tags[23]["bit"], 1);
    EXPECT_EQ(tags[25]["connection"]["kind"], 0);
    EXPECT_TRUE(tags[25].contains("members"));
    EXPECT_TRUE(json["units"].empty());
}

TEST(CliDump, RejectsUnknownTypeAndMissingInput) {
    EXPECT_EQ(RunCli({"dump", "--new", "--type", "Nope"}).status, 2);
    EXPECT_EQ(RunCli({"frobnicate"}).status, 2);
}

}  // namespace
}  // namespace pontra
