// SPDX-License-Identifier: GPL-3.0-or-later
// The datagram channel of a running pontra-sim, with our own minimal client.
#include <gtest/gtest.h>

#include "sim/ImageAssembler.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace pontra::sim::test {
namespace {

constexpr uint32_t kBits = 384, kA = 388, kB = 392, kC = 396;

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

class DatagramChannel : public ::testing::Test {
protected:
    Image img;
    TempDir dir;
    SimProcess sim;
    Client client;
    uint16_t nextId = 100;

    void SetUp() override {
        // rung 1: bit 0 -> bit 1; rung 2: if bit 2, C := A / B with B = 0 (the DIV is word 9)
        img.code.Rung().Bit(kXic, kBits, 0).Bit(kOte, kBits, 1).Rnd()
            .Rung().Bit(kXic, kBits, 2).Gen(kDiv, {Dint(kA), Dint(kB), Dint(kC)}).Rnd().End(true);
        WriteBytes(dir.File("p.bin"), img.Bytes());
        ASSERT_TRUE(sim.Start({"--program", dir.File("p.bin")}));
    }
    // The reply to a request (empty when none came), checked for its fixed bytes.
    std::vector<uint8_t> Ask(uint16_t command, uint16_t address = 0, uint16_t count = 0,
                             const std::vector<uint8_t>& data = {}) {
        const uint16_t id = nextId++;
        client.SendTo(sim.address, sim.udpPort, Request(id, command, address, count, data, command != 5));
        uint16_t from = 0;
        auto reply = client.Receive(2000, &from);
        if (!reply || reply->size() < 8 || Le16(*reply, 0) != id) return {};
        EXPECT_EQ(from, sim.udpPort) << "replies come from the channel's own port";
        EXPECT_EQ(std::vector<uint8_t>(reply->begin() + 3, reply->begin() + 8), std::vector<uint8_t>(5, 0));
        return *reply;
    }
    bool Ok(const std::vector<uint8_t>& reply) { return reply.size() >= 8 && reply[2] == 0x40; }
    std::vector<uint8_t> Status() {
        auto r = Ask(5);
        EXPECT_EQ(r.size(), 48u);
        return r.size() == 48 ? std::vector<uint8_t>(r.begin() + 8, r.end()) : std::vector<uint8_t>(40, 0xEE);
    }
    bool BitSet(uint32_t address, int bit) {
        auto r = Ask(1, static_cast<uint16_t>(address), 4);
        return r.size() == 12 && (r[8 + bit / 8] >> (bit % 8) & 1);
    }
};

TEST_F(DatagramChannel, ForcedInputsDriveTheRunningProgram) {
    EXPECT_TRUE(Ok(Ask(3, kBits, 0)));
    EXPECT_TRUE(Eventually([&] { return BitSet(kBits, 1); }));
    EXPECT_TRUE(Ok(Ask(4, kBits, 0)));
    EXPECT_TRUE(Eventually([&] { return !BitSet(kBits, 1); }));
    EXPECT_TRUE(Ok(Ask(2, kC, 4, {0x44, 0x33, 0x22, 0x11})));
    const auto r = Ask(1, kC, 4);
    EXPECT_EQ(std::vector<uint8_t>(r.begin() + 8, r.end()), (std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(Ask(1, 0, 512).size(), 8u + 512u);
}

TEST_F(DatagramChannel, StatusBlockReportsRuntimeErrorAndModeChanges) {
    auto s = Status();
    EXPECT_EQ(Le16(s, 0), 1);
    EXPECT_EQ(Le16(s, 12), 0);
    EXPECT_EQ(Le16(s, 20) | Le16(s, 22) << 16, img.timeStamp);
    EXPECT_LE(Le16(s, 38), 100);

    ASSERT_TRUE(Ok(Ask(3, kBits, 2)));
    ASSERT_TRUE(Eventually([&] { return Le16(Status(), 24) != 0; }));
    s = Status();
    EXPECT_EQ(Le16(s, 0), 0);
    EXPECT_EQ(Le16(s, 24), 103);
    EXPECT_EQ(Le16(s, 26), 9);
    EXPECT_EQ(Le16(s, 28), kDiv);
    EXPECT_EQ(Le16(s, 30), 2);

    // a change to run mode starts the program again; program mode stops its scans
    ASSERT_TRUE(Ok(Ask(4, kBits, 2)));
    ASSERT_TRUE(Ok(Ask(6, 0, 2, {1, 0})));
    s = Status();
    EXPECT_EQ(Le16(s, 0), 1);
    EXPECT_EQ(Le16(s, 24), 0);
    ASSERT_TRUE(Ok(Ask(6, 0, 2, {0, 0})));
    EXPECT_EQ(Le16(Status(), 0), 0);
    ASSERT_TRUE(Ok(Ask(3, kBits, 0)));
    EXPECT_FALSE(BitSet(kBits, 1));
}

TEST_F(DatagramChannel, BadRequestsGetAnErrorReplyAndUnanswerableOnesAreDropped) {
    const std::vector<std::vector<uint8_t>> refused = {
        Request(0, 1, 0, 0),                        // read of nothing
        Request(0, 1, 0, 1001),                     // more than one request may read
        Request(0, 1, 500, 16),                     // past the tag memory
        Request(0, 2, 400, 8, {1, 2, 3, 4}),        // fewer data than the count
        Request(0, 2, 510, 4, {1, 2, 3, 4}),        // write past the tag memory
        Request(0, 3, 386, 0),                      // bit on an unaligned address
        Request(0, 3, 384, 32),                     // bit 32
        Request(0, 6, 0, 2, {2, 0}),                // mode 2
        Request(0, 6, 0, 2),                        // mode without its value
        Request(0, 9, 0, 0),                        // unknown command
        Request(0, 1, 0, 0, {}, false),             // read without address and count
        {0, 0, 1, 0, 40, 0, 0, 0, 0, 0, 4, 0},      // length promising more than was sent
    };
    for (auto request : refused) {
        request[0] = static_cast<uint8_t>(nextId);
        client.SendTo(sim.address, sim.udpPort, request);
        auto reply = client.Receive();
        ASSERT_TRUE(reply);
        EXPECT_EQ(*reply, (std::vector<uint8_t>{static_cast<uint8_t>(nextId++), 0, 0x80, 0, 0, 0, 0, 0}));
    }
    using Bytes = std::vector<uint8_t>;
    for (const auto& d : {Bytes{}, Bytes{1, 0, 5, 0, 0, 0, 0}, Bytes(1500)}) client.SendTo(sim.address, sim.udpPort, d);
    // the first answer is the one to a good request sent after them
    client.SendTo(sim.address, sim.udpPort, Request(777, 5));
    auto reply = client.Receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ(Le16(*reply, 0), 777);
    EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
}  // namespace pontra::sim::test
