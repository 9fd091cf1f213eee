#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/Process.h"

namespace pontra {
namespace {

TEST(CliBuild, VerifyPrintsTheOutputWindow) {
    auto result = RunCli({"verify", "--new", "--type", "Kormo"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "Verify Untitled - Main Routine (0.0.0.0) ...\n"
              "Verify Untitled - 0 error(s)\n"
              "Program memory = 608 bytes, Tags = 384 bytes\n");
}

TEST(CliBuild, MakeBinRefusesAnUntitledProject) {
    auto result = RunCli({"make-bin", "--new"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "The project is Untitled. Please first save the project and than use Make .bin File.\n");
}

TEST(CliBuild, UnreadableInputIsAUsageError) {
    EXPECT_EQ(RunCli({"verify", "--new", "--type", "Nope"}).status, 2);
    EXPECT_EQ(RunCli({"make-bin"}).status, 2);
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
