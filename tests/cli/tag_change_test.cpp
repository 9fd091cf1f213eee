// SPDX-License-Identifier: GPL-3.0-or-later
// write and toggle against a soft module: a BOOL is set to the value given (toggle is
// the one that inverts), what cannot be written is refused before going online, and
// neither command waits for the one-second poll.
#include <chrono>

#include "CliOnlineFixture.h"

namespace pontra {
namespace {

using test::CliOnlineTest;

struct CliTagChange : CliOnlineTest {
    void SetUp() override {
        CliOnlineTest::SetUp();
        ASSERT_EQ(Cli({"download", project, "--yes"}).status, 0);
    }
    // The value line a write prints, or the status and stderr when it failed.
    std::string Write(const std::string& tag, const std::string& value) {
        const auto r = Cli({"write", project, tag, value});
        return r.status == 0 ? r.out : "status " + std::to_string(r.status) + ": " + r.err;
    }
};

TEST_F(CliTagChange, WriteSetsABoolToTheValueGiven) {
    const struct {
        const char* value;
        const char* shown;
    } writes[] = {
        {"1", "Inputs.1 = 1\n"}, // from 0
        {"1", "Inputs.1 = 1\n"}, // already 1: stays 1
        {"0", "Inputs.1 = 0\n"},
        {"0", "Inputs.1 = 0\n"},
    };
    for (const auto& w : writes) EXPECT_EQ(Write("Inputs.1", w.value), w.shown) << w.value;

    const auto toggled = Cli({"toggle", project, "Inputs.1"});
    EXPECT_EQ(toggled.status, 0) << toggled.err;
    EXPECT_EQ(toggled.out, "Inputs.1 = 1\n") << "toggle inverts";
}

TEST_F(CliTagChange, WhatCannotBeWrittenIsRefusedBeforeGoingOnline) {
    auto r = Cli({"write", project, "Inputs.1", "banana"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Value must be in range from 0 up to 1!"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;

    // A structure or an array has no single value; its members and elements have.
    const std::string example = std::string(PONTRA_SOURCE_DIR) + "/examples/conveyor_zone.txt";
    ASSERT_EQ(RunCli({"import", project, example, "--yes"}).status, 0);
    for (const char* tag : {"JamTimer", "FromPLCArray"}) {
        r = Cli({"write", project, tag, "5"});
        EXPECT_EQ(r.status, 1) << tag;
        EXPECT_NE(r.err.find("holds more than one value: write one of its members or elements"), std::string::npos)
            << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }

    r = Cli({"toggle", project, "SpeedLeftMTR"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not a BOOL"), std::string::npos) << r.err;
    EXPECT_EQ(Cli({"write", project, "NoSuchTag", "1"}).status, 2);
}

// Going online, a read, the change, a read and the stop: well under the two polls of a
// second each that the commands used to wait for.
TEST_F(CliTagChange, WriteAndToggleDoNotWaitForThePoll) {
    for (const char* command : {"write", "toggle"}) {
        std::vector<std::string> args = {command, project, "Inputs.2"};
        if (std::string(command) == "write") args.push_back("1");
        const auto started = std::chrono::steady_clock::now();
        const auto r = Cli(args);
        const auto took = std::chrono::steady_clock::now() - started;
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_LT(took, std::chrono::milliseconds(1800)) << command;
    }
}

TEST_F(CliTagChange, DebugTagListTakesBlanksAroundNames) {
    const auto r = Cli({"debug", project, "--tags", " Inputs.1 ,  SpeedLeftMTR"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("Inputs.1 = 0\nSpeedLeftMTR = 0\nstatus:  - OK")) << r.out;
}

} // namespace
} // namespace pontra
