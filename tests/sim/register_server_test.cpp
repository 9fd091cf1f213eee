// SPDX-License-Identifier: GPL-3.0-or-later
// The register protocol server of a running pontra-sim: mbpoll as the real client, and
// hand-made frames for what mbpoll never sends.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "sim/ImageAssembler.h"
#include "support/SimProcess.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra::sim::test {
namespace {

// Holding registers read with mbpoll, as register -> value.
std::map<int, int> Mbpoll(const SimProcess& sim, int first, int count) {
    const std::vector<std::string> args = {"-m", "tcp", "-p", std::to_string(sim.modbusPort), "-t", "4",
                                           "-r", std::to_string(first), "-c", std::to_string(count), "-1", sim.address};
    const auto r = RunProcess("/usr/bin/mbpoll", args, "", 20);
    std::map<int, int> values;
    const std::regex line(R"(\[(\d+)\]:\s+(-?\d+))");
    for (std::sregex_iterator it(r.out.begin(), r.out.end(), line), end; it != end; ++it)
        values[std::stoi((*it)[1])] = std::stoi((*it)[2]) & 0xFFFF;
    return values;
}

// A read request as the IDE frames it: length field 4.
std::vector<uint8_t> Frame(uint16_t transaction, uint8_t function, uint16_t start, uint16_t quantity,
                           uint16_t length = 4, uint8_t unit = 1) {
    return {uint8_t(transaction >> 8), uint8_t(transaction), 0, 0, uint8_t(length >> 8), uint8_t(length), unit,
            function, uint8_t(start >> 8), uint8_t(start), uint8_t(quantity >> 8), uint8_t(quantity)};
}

TEST(RegisterServer, MbpollReadsTheIdentityAndItsOverrides) {
    const struct {
        std::vector<std::string> args;
        int typeCode, mode, variant, firmware, memoryBits;
    } cases[] = {
        {{"--type", "VessaK1"}, 9, 2, 0x91, 0x680C, 3 << 9},
        {{"--type", "Aldera"}, 7, 0, 0, 0x680C, 3 << 9},
        {{"--variant", "0x97", "--mode-register", "1", "--firmware", "3.5", "--memory-code", "1"}, 0, 1, 0x97, 0x6705,
         1 << 9},
    };
    for (const auto& c : cases) {
        SimProcess sim;
        ASSERT_TRUE(sim.Start(c.args));
        auto r = Mbpoll(sim, 17, 2);
        EXPECT_EQ(r[17] >> 8, c.typeCode) << c.args[1];
        EXPECT_EQ(r[18], c.mode) << c.args[1];
        EXPECT_EQ(Mbpoll(sim, 6, 1)[6], c.variant) << c.args[1];
        EXPECT_EQ(Mbpoll(sim, 25, 1)[25], c.firmware) << c.args[1];
        EXPECT_EQ(Mbpoll(sim, 511, 1)[511], c.memoryBits) << c.args[1];
        EXPECT_EQ(Mbpoll(sim, 279, 1)[279], 0) << "no program stored";
    }
}

TEST(RegisterServer, WhatTheProgramWritesIsReadable) {
    Image img;  // WRR 1234 -> register 100
    img.code.Rung().Op(kWriteRegister, kTypeBoolOrImmediate, kTypeInt).Word(1234).Word(100).Rnd().End(true);
    TempDir dir;
    WriteBytes(dir.File("p.bin"), img.Bytes());
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--program", dir.File("p.bin")}));
    EXPECT_TRUE(Eventually([&] { return Mbpoll(sim, 100, 1)[100] == 1234; }));
    EXPECT_EQ(Mbpoll(sim, 279, 1)[279], 1);
}

TEST(RegisterServer, FramesGetTheirReplyOrExceptionWhateverTheLengthField) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    Client tcp(sim.address, sim.modbusPort), other(sim.address, sim.modbusPort), bad(sim.address, sim.modbusPort);
    ASSERT_TRUE(tcp.Connected() && other.Connected() && bad.Connected());
    const struct {
        std::vector<uint8_t> request, reply;
    } cases[] = {
        {Frame(0x0102, 3, 16, 2, 4, 7), {0x01, 0x02, 0, 0, 0, 7, 7, 3, 4, 0, 0, 0, 2}},  // unit echoed
        {Frame(0x0103, 3, 24, 1, 6), {0x01, 0x03, 0, 0, 0, 5, 1, 3, 2, 0x68, 0x0C}},
        {Frame(0x0104, 4, 16, 2), {0x01, 0x04, 0, 0, 0, 3, 1, 0x84, 1}},       // another function
        {Frame(0x0105, 3, 19999, 2), {0x01, 0x05, 0, 0, 0, 3, 1, 0x83, 2}},    // beyond the bank
        {Frame(0x0106, 3, 0, 0), {0x01, 0x06, 0, 0, 0, 3, 1, 0x83, 3}},        // no registers
    };
    for (const auto& c : cases) {
        tcp.Send(c.request);
        EXPECT_EQ(tcp.Receive(2000, nullptr, c.reply.size()), c.reply);
    }
    // a request in two pieces, then two in one piece, while another client is served
    const auto a = Frame(0x0201, 3, 17, 1), b = Frame(0x0202, 3, 5, 1);
    tcp.Send({a.begin(), a.begin() + 5});
    other.Send(b);
    tcp.Send({a.begin() + 5, a.end()});
    EXPECT_EQ(tcp.Receive(2000, nullptr, 11), (std::vector<uint8_t>{0x02, 0x01, 0, 0, 0, 5, 1, 3, 2, 0, 2}));
    EXPECT_EQ(other.Receive(2000, nullptr, 11)->at(1), 0x02);
    std::vector<uint8_t> both = a;
    both.insert(both.end(), b.begin(), b.end());
    tcp.Send(both);
    EXPECT_EQ(tcp.Receive(2000, nullptr, 22)->size(), 22u);
    // a stream of another protocol is dropped: no reply even to a good frame after it
    bad.Send({'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P'});
    bad.Send(a);
    EXPECT_FALSE(bad.Receive(2000, nullptr, 1));
}

TEST(RegisterServer, ModulesSharingAThreadServeConnectionsThatComeAndGo) {
    SimProcess sim;  // more modules than processors: threads serve several each
    ASSERT_TRUE(sim.Start({}, 5));
    // every connection closes before the next opens, so sockets take the numbers of closed ones
    for (uint16_t round = 0; round < 40; ++round) {
        Client tcp(sim.Address(round % 5), sim.modbusPort);
        ASSERT_TRUE(tcp.Connected()) << round;
        tcp.Send(Frame(round, 3, 16, 2));
        const auto reply = tcp.Receive(2000, nullptr, 13);
        ASSERT_TRUE(reply && reply->size() == 13) << round;
        EXPECT_EQ(reply->at(1), round & 0xFF);
        EXPECT_EQ(reply->at(9), 0) << "register 17: a Vessa";
    }
    // one client left open and idle does not hold up the others of its thread
    Client idle(sim.Address(0), sim.modbusPort);
    for (int i = 1; i < 5; ++i) {
        Client c;
        c.SendTo(sim.Address(i), sim.udpPort, Request(static_cast<uint16_t>(i), 5, 0, 0, {}, false));
        EXPECT_TRUE(c.Receive()) << sim.Address(i);
    }
}

}  // namespace
}  // namespace pontra::sim::test
