// SPDX-License-Identifier: GPL-3.0-or-later
// "Debug" against soft modules: a matching program goes online; another program, no
// program, header and prescan errors, an old program format and a silent status channel
// each end the start with their message. "Delete Module Program" leaves no program.
#include <gtest/gtest.h>

#include "OnlineBench.h"
#include "comm/Printf.h"
#include "online/DeleteModuleProgram.h"
#include "online/OnlineSession.h"
#include "online/StartDebugging.h"

namespace pontra::test {
namespace {

// A saved project with the test program, and the image of it (or of a changed copy) as
// the program the soft module starts with.
struct StartTest : ::testing::Test {
    void SetUp() override {
        bench.AddTestProgram();
        ASSERT_TRUE(bench.Save());
    }
    void StartWith(const std::function<void(std::vector<uint8_t>&)>& change = {}) {
        std::vector<uint8_t> image = ReadBytes(bench.BuildImage());
        if (change) change(image);
        WriteBytes(bench.dir.File("module.bin"), image);
        ASSERT_TRUE(bench.StartModules({"--program", bench.dir.File("module.bin")}));
    }
    std::string Ip(const char* format) { return Printf(format, bench.sim.address.c_str()); }

    OnlineBench bench;
};

TEST_F(StartTest, MatchingProgramGoesOnline) {
    StartWith();
    const std::string main = "line.clp - Main Routine (" + bench.sim.address + ")";
    EXPECT_EQ(bench.host.titles["main"], main);
    ASSERT_TRUE(bench.GoOnline()) << ::testing::PrintToString(bench.host.log);
    EXPECT_TRUE(bench.host.log.empty()) << ::testing::PrintToString(bench.host.log);
    EXPECT_EQ(bench.host.timers, (std::map<int, int>{{kPollTimer, 1000}, {kStatusTimer, 10000}}));
    EXPECT_EQ(bench.host.titles["main"], main + " - Debug");
    EXPECT_EQ(bench.online().ValueColumnTitle(), "Debug Value");
    EXPECT_EQ(bench.online().InstanceBase(nullptr), 0);
    EXPECT_EQ(bench.online().RunState(), 1);
    EXPECT_EQ(bench.Value("Small"), "...") << "nothing read yet";
    EXPECT_EQ(bench.online().LiveValue(bench.Tag("Small"), 0), std::nullopt);

    ASSERT_TRUE(bench.Poll());
    EXPECT_EQ(bench.Value("Small"), "-5");
    EXPECT_EQ(bench.host.titles["main"].rfind(main + " - Debug - OK", 0), 0u) << bench.host.titles["main"];

    ASSERT_TRUE(bench.Stop());
    EXPECT_TRUE(bench.host.timers.empty());
    EXPECT_EQ(bench.host.titles["main"], main);
    EXPECT_EQ(bench.online().ValueColumnTitle(), "Init Value");
    EXPECT_EQ(bench.online().InstanceBase(nullptr), -1);
    EXPECT_EQ(bench.online().RunState(), -1);
    EXPECT_EQ(bench.Value("Small"), "...");
}

TEST_F(StartTest, ToggleDebugStartsAndStops) {
    StartWith();
    bench.frame.downloadInProgress = true;
    ToggleDebug(bench.frame);
    EXPECT_FALSE(bench.online().AwaitingStart()) << "not while a download runs";
    bench.frame.downloadInProgress = false;

    ToggleDebug(bench.frame);
    ASSERT_TRUE(bench.host.PumpUntil([&] { return !bench.online().AwaitingStart(); }, 5s));
    ASSERT_EQ(bench.frame.debugMode, 1) << ::testing::PrintToString(bench.host.log);
    ToggleDebug(bench.frame);
    EXPECT_TRUE(bench.online().Stopping());
    EXPECT_TRUE(bench.host.PumpUntil(
        [&] {
            bench.host.FireTimer(kStopTimer);
            return bench.frame.debugMode == 0;
        },
        3s));
}

TEST_F(StartTest, AnotherProgramOffersTheDownload) {
    StartWith();
    bench.doc().timeStamp += 60; // as if the project had been saved again since
    bench.host.answers = {false};
    EXPECT_FALSE(bench.GoOnline());
    EXPECT_EQ(bench.host.log,
              std::vector<std::string>{
                  "okcancel: The program is different from PLC! Do you want to Download program?"});

    bench.host.log.clear();
    bench.host.defaultAnswer = true;
    EXPECT_FALSE(bench.GoOnline()) << "the start ends with the download";
    ASSERT_EQ(bench.host.log.size(), 3u) << ::testing::PrintToString(bench.host.log);
    EXPECT_EQ(bench.host.log[1], "okcancel: Do you really want Download Program?");
    EXPECT_TRUE(bench.host.log[2].starts_with("message: Download complete successfuly")) << bench.host.log[2];
    bench.host.log.clear();
    EXPECT_TRUE(bench.GoOnline()) << ::testing::PrintToString(bench.host.log);
}

TEST_F(StartTest, TheModulesImageChecksStopTheStart) {
    const struct {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> change;
        std::string message;
    } cases[] = {
        {"header error", [](auto& image) { image[0x18] = 'X'; },
         "Program is not running. CRITICAL ERROR!\r\nHeader error(#1) - Controller Type is not supported."},
        {"prescan error", [](auto& image) { image[180] = 6; }, // the first instruction is RND, not RUNG
         "Program is not running. CRITICAL ERROR!\r\nPrescan error(#1) - First instruction is not RUNG or "
         "missing "
         "RUNG or RND.\r\nProgram Counter = 0\r\nInstruction = 6\r\nRung = 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bench.sim.Stop();
        bench.host.log.clear();
        StartWith(c.change);
        EXPECT_FALSE(bench.GoOnline());
        EXPECT_EQ(bench.host.Messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(bench.frame.debugMode, 0);
    }
}

TEST_F(StartTest, AnOlderProgramFormatIsReportedAndTheStartGoesOn) {
    StartWith([](auto& image) { image[68] = image[69] = 0; });
    EXPECT_TRUE(bench.GoOnline());
    EXPECT_EQ(bench.host.Messages(),
              std::vector<std::string>{"Module program is made with different Pontra version!\r\n"
                                       "Pontra version 3.00\r\n"
                                       "Module program version is less then 2.01"});
}

TEST_F(StartTest, NoProgramOrNoStatusEndsTheStart) {
    ASSERT_TRUE(bench.StartModules());
    EXPECT_FALSE(bench.GoOnline());
    EXPECT_EQ(bench.host.Messages(),
              std::vector<std::string>{Ip("There is not program in module with IP: %s!")});

    bench.sim.Stop();
    StartWith();
    ModulePorts ports = bench.online().Ports();
    ports.udp = static_cast<uint16_t>(ports.udp + 1); // nothing answers there
    bench.online().SetPorts(ports);
    bench.host.log.clear();
    EXPECT_FALSE(bench.GoOnline());
    EXPECT_EQ(bench.host.Messages(),
              std::vector<std::string>{Ip("Unable to read service information from module with IP: %s!")});
}

TEST_F(StartTest, DeletedProgramIsGone) {
    StartWith();
    bench.host.answers = {false};
    EXPECT_FALSE(DeleteModuleProgram(bench.frame));
    EXPECT_EQ(bench.ModuleRegister(279), 1);

    bench.host.log.clear();
    bench.host.answers = {true};
    EXPECT_TRUE(DeleteModuleProgram(bench.frame));
    EXPECT_EQ(bench.host.log,
              (std::vector<std::string>{"okcancel: Do you really want Delete Module Program?",
                                        "message: Delete Module Program complete successfuly."}));
    bench.host.log.clear();
    EXPECT_FALSE(bench.GoOnline());
    EXPECT_EQ(bench.host.Messages(),
              std::vector<std::string>{Ip("There is not program in module with IP: %s!")});
}

} // namespace
} // namespace pontra::test
