// SPDX-License-Identifier: GPL-3.0-or-later
// "Download Program to Modules...": the module list file, the dialog's buttons, and a
// download to 34 soft modules at once, two of them of the wrong type.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "OnlineBench.h"
#include "comm/Printf.h"
#include "online/ModuleList.h"
#include "online/OnlineSession.h"

namespace pontra::test {
namespace {

TEST(ModuleList, FileLocationsAndLineEnds) {
    OnlineBench bench;
    const std::string shared = bench.host.ProgramFolder() + "/modules.txt";
    EXPECT_EQ(ModuleListPath(bench.doc(), bench.host.ProgramFolder()), shared) << "untitled";
    ASSERT_TRUE(bench.Save());
    const std::string own = bench.dir.File("line_Modules.txt");
    EXPECT_EQ(ModuleListPath(bench.doc(), bench.host.ProgramFolder()), own);
    EXPECT_EQ(ModuleListReadPath(bench.doc(), bench.host.ProgramFolder()), shared)
        << "own list not written yet";

    // CR LF as written, LF from other tools, blank lines, and a last line without an end.
    std::ofstream(own, std::ios::binary)
        << "127.0.0.10\r\n127.0.0.11\n\r\n  127.0.0.12 \r\n127.0.0.10\r\n127.0.0.13";
    EXPECT_EQ(ModuleListReadPath(bench.doc(), bench.host.ProgramFolder()), own);
    const std::vector<std::string> read = ReadModuleList(own);
    EXPECT_EQ(read, (std::vector<std::string>{"127.0.0.10", "127.0.0.11", "127.0.0.12", "127.0.0.10",
                                              "127.0.0.13"}))
        << "a duplicate in the file stays";

    ASSERT_TRUE(WriteModuleList(own, {"127.0.0.20", "127.0.0.21"}));
    EXPECT_EQ(ReadBytes(own),
              (std::vector<uint8_t>{'1', '2', '7', '.', '0', '.', '0', '.', '2', '0', '\r', '\n',
                                    '1', '2', '7', '.', '0', '.', '0', '.', '2', '1', '\r', '\n'}));
    EXPECT_TRUE(ReadModuleList(bench.dir.File("missing.txt")).empty());
}

// A megabyte of one-character lines would make half a million string records.
TEST(ModuleList, ShortLinesReadAtMostTenThousandAddresses) {
    std::string text;
    for (int i = 0; i < 300000; ++i) text += "a\n";
    const auto addresses = ParseModuleList(text);
    EXPECT_EQ(addresses.size(), 10000u);
    EXPECT_EQ(addresses.back(), "a");
}

TEST(ModuleList, DialogButtons) {
    OnlineBench bench;
    ModuleListDialog dialog(bench.frame);
    EXPECT_FALSE(dialog.DownloadToAllModules());
    for (const char* address : {"127.0.0.1", "127.0.0.2", "127.0.0.3"}) EXPECT_TRUE(dialog.Add(address));
    EXPECT_EQ(dialog.selection, 2);
    EXPECT_FALSE(dialog.Add("127.0.0.2"));
    dialog.selection = 0;
    EXPECT_TRUE(dialog.Edit("127.0.0.1")) << "its own text";
    EXPECT_FALSE(dialog.Edit("127.0.0.3"));
    EXPECT_EQ(bench.host.Messages(),
              (std::vector<std::string>{"List of modules is empty!", "IP Address 127.0.0.2 is already exist!",
                                        "IP Address 127.0.0.3 is already exist!"}));
    dialog.selection = 2;
    dialog.Delete();
    EXPECT_EQ(dialog.selection, 1) << "the new last one";
    dialog.selection = 0;
    dialog.Delete();
    EXPECT_EQ(dialog.addresses, std::vector<std::string>{"127.0.0.2"});
    EXPECT_EQ(dialog.selection, 0);
    dialog.Delete();
    EXPECT_FALSE(dialog.DeleteEnabled() || dialog.EditEnabled());
}

// Established TCP connections of this machine to the register port of the first `count`
// modules of `sim`, as the kernel lists them.
int ConnectionsTo(const sim::test::SimProcess& sim, int count) {
    std::set<std::string> remotes;
    for (int i = 0; i < count; ++i) {
        in_addr a{};
        inet_pton(AF_INET, sim.Address(i).c_str(), &a);
        remotes.insert(Printf("%08X:%04X", a.s_addr, sim.modbusPort));
    }
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line); // the heading
    int n = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (remotes.count(remote) && state == "01") ++n;
    }
    return n;
}

TEST(ModuleListDownload, ToManyModulesAtOnce) {
    constexpr int kModules = 32;
    OnlineBench bench;
    bench.AddTestProgram();
    ASSERT_TRUE(bench.Save());
    ASSERT_TRUE(bench.StartModules({}, kModules));
    sim::test::SimProcess strangers; // two modules of another type, reached on the same ports
    strangers.keepPorts = true;
    strangers.modbusPort = bench.sim.modbusPort;
    strangers.tftpPort = bench.sim.tftpPort;
    strangers.udpPort = bench.sim.udpPort;
    ASSERT_TRUE(strangers.Start({"--type", "Aldera"}, 2));

    {
        ModuleListDialog dialog(bench.frame);
        for (int i = 0; i < kModules; ++i) {
            ASSERT_TRUE(dialog.Add(bench.sim.Address(i)));
            if (i == 10) {
                ASSERT_TRUE(dialog.Add(strangers.Address(0)));
            }
        }
        ASSERT_TRUE(dialog.Add(strangers.Address(1)));
        ASSERT_TRUE(dialog.Save());
    }
    ModuleListDialog dialog(bench.frame); // reads the saved list
    ASSERT_EQ(dialog.addresses.size(), kModules + 2u);
    EXPECT_EQ(dialog.Summary(), "");
    // Each line takes its result as its worker ends, once.
    std::vector<int> changed;
    dialog.onOutputChanged = [&](int line) {
        changed.push_back(line);
        if (line >= 0) {
            EXPECT_FALSE(dialog.output[static_cast<size_t>(line)].ends_with("...")) << line;
        }
    };
    EXPECT_FALSE(dialog.DownloadToAllModules());
    ASSERT_EQ(changed.size(), kModules + 3u);
    EXPECT_EQ(changed.front(), -1);
    EXPECT_EQ(std::set<int>(changed.begin() + 1, changed.end()).size(), kModules + 2u);
    EXPECT_EQ(dialog.Summary(), "32 of 34 modules downloaded, 2 failed");
    dialog.onOutputChanged = nullptr;
    EXPECT_EQ(bench.host.Messages(), std::vector<std::string>{"Download to Modules Error!"});

    ASSERT_EQ(dialog.output.size(), dialog.addresses.size());
    for (size_t i = 0; i < dialog.addresses.size(); ++i) {
        const std::string& address = dialog.addresses[i];
        const bool stranger = address == strangers.Address(0) || address == strangers.Address(1);
        EXPECT_EQ(dialog.output[i],
                  address + (stranger ? " Type of module is not Vessa in PLC Mode" : " OK"));
    }
    EXPECT_EQ(bench.ModuleRegister(279, 0), 1);
    EXPECT_EQ(bench.ModuleRegister(279, kModules - 1), 1);

    // All good now: the strangers leave the list. The workers run at once: with the
    // modules frozen none of them can finish, yet every one gets connected.
    dialog.addresses.erase(dialog.addresses.begin() + 11);
    dialog.addresses.pop_back();
    bench.host.log.clear();
    bench.sim.Signal(SIGSTOP);
    std::atomic<bool> allConnected{false};
    std::thread release([&] {
        allConnected =
            sim::test::Eventually([&] { return ConnectionsTo(bench.sim, kModules) == kModules; }, 20);
        bench.sim.Signal(SIGCONT);
    });
    const bool done = dialog.DownloadToAllModules();
    release.join();
    EXPECT_TRUE(allConnected);
    EXPECT_TRUE(done);
    EXPECT_EQ(bench.host.Messages(), std::vector<std::string>{"Download to Modules complete successfully."});
}

} // namespace
} // namespace pontra::test
