// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-sim's command line: where modules may live, how many, and how they end.
#include <gtest/gtest.h>

#include <signal.h>

#include "support/SimProcess.h"
#include "support/Process.h"

namespace pontra::sim::test {
namespace {

TEST(CommandLine, RefusesAddressesOutsideLoopbackAndBadValues) {
    const std::vector<std::vector<std::string>> refused = {
        {"--address", "10.0.0.1"},         {"--address", "192.168.1.20"},   {"--address", "255.255.255.255"},
        {"--address", "127.0.0.0"},        {"--address", "127.255.255.255"}, {"--address", "localhost"},
        {"--address", "127.255.255.250", "--count", "10"},  // would run past the loopback range
        {"--type", "Toaster"},             {"--firmware", "4"},              {"--variant", "0x1FFFF"},
        {"--count", "0"},                  {"--count", "1025"},
    };
    for (auto args : refused) {
        args.insert(args.end(), {"--modbus-port", "1", "--tftp-port", "1", "--udp-port", "1"});
        const auto r = RunProcess(BuiltBinary("src/sim/pontra-sim"), args, "", 10);
        EXPECT_EQ(r.status, 2) << args[1];
        EXPECT_EQ(r.out, "") << args[1] << ": no module became ready";
        EXPECT_NE(r.err, "") << args[1];
    }
}

TEST(CommandLine, VersionNamesTheLicence) {
    const auto r = RunProcess(BuiltBinary("src/sim/pontra-sim"), {"--version"}, "", 10);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("pontra-sim ")) << r.out;
    EXPECT_NE(r.out.find("GPL-3.0-or-later"), std::string::npos) << r.out;
}

TEST(CommandLine, SeveralModulesOnConsecutiveAddressesEndOnInterrupt) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--type", "VessaK2"}, 3));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sim.readyLines[i], "module " + sim.Address(i) + " VessaK2 ready");
        Client c;
        c.SendTo(sim.Address(i), sim.udpPort, Request(static_cast<uint16_t>(i + 1), 5, 0, 0, {}, false));
        const auto reply = c.Receive();
        ASSERT_TRUE(reply) << sim.Address(i);
        EXPECT_EQ(reply->at(0), i + 1);
    }
    EXPECT_EQ(sim.Stop(SIGINT), 0);
}

}  // namespace
}  // namespace pontra::sim::test
