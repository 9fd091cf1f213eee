// SPDX-License-Identifier: GPL-3.0-or-later
// "Download Program" against soft modules: a download that passes every check, and each
// refusal with its message and nothing sent to the module.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "OnlineBench.h"
#include "comm/Printf.h"
#include "online/DownloadProgram.h"
#include "online/ModuleList.h"
#include "online/OnlineSession.h"

namespace pontra::test {
namespace {

TEST(Download, PassesEveryCheckAndReportsEachBlock) {
    OnlineBench bench;
    bench.AddTestProgram();
    ASSERT_TRUE(bench.Save());
    ASSERT_TRUE(bench.StartModules());
    bench.online().restartWaitMs = 3000;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(bench.Download()) << ::testing::PrintToString(bench.Lines());
    EXPECT_GE(std::chrono::steady_clock::now() - started, 3s) << "the module restarts its program meanwhile";

    const std::string image = bench.dir.File("PLCDATA_line.bin");
    const int total = static_cast<int>(std::filesystem::file_size(image)) + 2;
    std::vector<std::string> expected;
    for (int done = 512; done < total; done += 512)
        expected.push_back(Printf("Downloading %s to %s (%d of %d)... ", image.c_str(),
                                  bench.sim.address.c_str(), done, total));
    const std::string last =
        Printf("Downloading %s to %s (%d of %d)... ", image.c_str(), bench.sim.address.c_str(), total, total);
    expected.push_back(last);
    expected.push_back(last + "FTP upload OK. ");
    const std::vector<uint8_t> bytes = ReadBytes(image);
    const std::string done =
        Printf("Download complete successfuly (Program memory = %d %% (from 40960 bytes), Tags = %d bytes).",
               (total - 2) * 100 / 40960, static_cast<int>(Word(bytes, 56)));
    expected.push_back(done);
    std::vector<std::string> lines = bench.Lines();
    ASSERT_GE(lines.size(), expected.size());
    lines.erase(lines.begin(), lines.end() - static_cast<long>(expected.size()));
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(bench.host.log, (std::vector<std::string>{"okcancel: Do you really want Download Program?",
                                                        "message: " + done}));
    EXPECT_EQ(bench.host.progressPosition, 100);
    EXPECT_FALSE(bench.host.progressVisible);
    EXPECT_FALSE(bench.frame.downloadInProgress);
    EXPECT_EQ(bench.ModuleRegister(279), 1);
}

// A project whose image does not fit 16384 bytes of program memory.
void AddLargeProgram(OnlineBench& bench) {
    CProject& p = bench.project();
    AddTag(p, p.doc.tags, "A", "BOOL");
    AddTag(p, p.doc.tags, "Buffer", "DINT[1800]");
    p.doc.rungs.clear();
    AddRung(p.doc.rungs, Els(El("XIC", {"A"}), El("MOV", {"0", "Buffer[0]"})));
    for (int i = 0; i < 400; ++i) AddRung(p.doc.rungs, Els(El("XIC", {"A"}), El("OTE", {"A"})));
}

TEST(Download, RefusalsSendNothing) {
    struct Case {
        const char* name;
        std::string type;
        std::optional<std::vector<std::string>> module; // none: no module at the address
        std::function<void(OnlineBench&)> program;
        const char* message; // %s: the module's address
        const char* line = nullptr;
    } cases[] = {
        // clang-format off
        {"no module", "Vessa", std::nullopt, {}, "Unable to connect to module with IP: %s!"},
        {"wrong type", "Vessa", {{"--type", "Brindle"}}, {}, "Type of module with IP: %s is not Vessa in PLC Mode!"},
        {"not in PLC mode", "Vessa", {{"--mode-register", "1"}}, {},
         "Type of module with IP: %s is not Vessa in PLC Mode!"},
        {"wrong variant", "VessaK2", {{"--type", "VessaK2", "--variant", "0x97"}}, {},
         "Type of module with IP: %s is not VessaK2 in PLC Mode!"},
        {"firmware below 4.12 with restricted registers", "VessaK2", {{"--type", "VessaK2", "--firmware", "4.11"}},
         [](OnlineBench& b) {
             AddTag(b.project(), b.doc().tags, "Reading", "DINT");
             AddRung(b.doc().rungs, Els(El("RDR", {"10005", "Reading"})));
         },
         "Read Register instruction from registers 10000 up to 10030 or 10100 up to 10130 is suported in Firmware "
         "version 4.12 or higher!"},
        {"image above the memory limit", "Vessa", {{"--memory-code", "0"}}, AddLargeProgram,
         "Error - Downloaded file can not exceed 16384 bytes!", "Error - Downloaded file can not exceed 16384 bytes!"},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OnlineBench bench(c.type);
        if (c.program) c.program(bench);
        ASSERT_TRUE(bench.Save());
        if (c.module) {
            ASSERT_TRUE(bench.StartModules(*c.module));
        } else {
            bench.doc().SetModuleAddress(0x7F000000u | (std::rand() % 0xFFFF) << 8 | 77u);
            bench.online().SetPorts({static_cast<uint16_t>(20000 + std::rand() % 9000), 30001, 40001});
        }
        EXPECT_FALSE(bench.Download());
        const std::string ip = bench.doc().moduleAddressText;
        EXPECT_EQ(bench.host.Messages(), std::vector<std::string>{Printf(c.message, ip.c_str())});
        if (c.line) {
            EXPECT_EQ(bench.Lines().back(), c.line);
        }
        EXPECT_FALSE(bench.frame.downloadInProgress);
        EXPECT_FALSE(bench.host.progressVisible);
        if (c.module) {
            EXPECT_EQ(bench.ModuleRegister(279), 0) << "the module got a program";
        }
    }
}

TEST(Download, ProgressBarSharesEightyAmongTheBlocks) {
    struct Case {
        int blocks, step, position;
    } cases[] = {
        {1, 1, 90},   {3, 1, 36},  {3, 3, 88},   {80, 1, 11},
        {80, 80, 90}, {81, 1, 10}, {81, 81, 10}, {200, 150, 10}, // more than 80: 10 until the final 100
    };
    for (const Case& c : cases)
        EXPECT_EQ(DownloadProgressPosition(c.step, c.blocks), c.position) << c.step << " of " << c.blocks;
}

// A controller type outside the identity table: a single download only needs registers
// 17, 18 and 511 to be readable, while a list download checks the module as Vessa.
TEST(Download, ATypeOutsideTheTablePassesAloneButIsVessaInAList) {
    OnlineBench bench("Zone-9");
    ASSERT_TRUE(bench.Save());
    ASSERT_TRUE(bench.StartModules({"--type", "Brindle"}));
    EXPECT_TRUE(bench.Download()) << ::testing::PrintToString(bench.host.log);
    EXPECT_EQ(bench.ModuleRegister(279), 1);

    ModuleListDialog dialog(bench.frame);
    ASSERT_TRUE(dialog.Add(bench.sim.address));
    EXPECT_FALSE(dialog.DownloadToAllModules());
    EXPECT_EQ(dialog.output,
              std::vector<std::string>{bench.sim.address + " Type of module is not Vessa in PLC Mode"});
}

} // namespace
} // namespace pontra::test
