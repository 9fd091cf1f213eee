// The datagram channel of a running pontra-sim, with our own minimal client.
#include <gtest/gtest.h>

#include "sim/ImageAssembler.h"
#include "sim/SimProcess.h"

namespace pontra::sim::test {
namespace {

constexpr uint32_t kBits = 384, kA = 388, kB = 392, kC = 396;
constexpr uint32_t kDivPc = 9;

// rung 1: bit 0 -> bit 1; rung 2: if bit 2, C := A / B (B is 0)
Image ForcingProgram() {
    Image img;
    img.code.Rung().Bit(kOpXic, kBits, 0).Bit(kOpOte, kBits, 1).Rnd()
        .Rung().Bit(kOpXic, kBits, 2).Gen(kOpDiv, {Dint(kA), Dint(kB), Dint(kC)}).Rnd().End(true);
    img.SetDint(kA, 10);
    return img;
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

class DatagramChannel : public ::testing::Test {
protected:
    Image img = ForcingProgram();
    SimProcess sim;
    UdpClient client;
    uint16_t nextId = 100;

    void SetUp() override {
        ASSERT_TRUE(sim.Start({"--program", TempFile(img.Bytes())}));
        client.Target(sim.address);
    }
    // Sends a request and returns the reply to it (empty when none came).
    std::vector<uint8_t> Ask(uint16_t command, uint16_t address = 0, uint16_t count = 0,
                             const std::vector<uint8_t>& data = {}) {
        const uint16_t id = nextId++;
        client.SendTo(sim.udpPort, Request(id, command, address, count, data, command != 5));
        uint16_t from = 0;
        auto reply = client.Receive(2000, &from);
        if (!reply || reply->size() < 8 || Le16(*reply, 0) != id) return {};
        EXPECT_EQ(from, sim.udpPort) << "replies come from the channel's own port";
        EXPECT_EQ(std::vector<uint8_t>(reply->begin() + 3, reply->begin() + 8), std::vector<uint8_t>(5, 0));
        return *reply;
    }
    bool Ok(const std::vector<uint8_t>& reply) const { return reply.size() >= 8 && reply[2] == 0x40; }
    std::vector<uint8_t> Status() {
        auto r = Ask(5);
        EXPECT_EQ(r.size(), 8u + 40u);
        if (r.size() < 48) return std::vector<uint8_t>(40, 0xEE);
        return {r.begin() + 8, r.end()};
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
    ASSERT_EQ(r.size(), 12u);
    EXPECT_EQ(std::vector<uint8_t>(r.begin() + 8, r.end()), (std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(Ask(1, 0, 512).size(), 8u + 512u);  // the whole tag memory in one read
}

TEST_F(DatagramChannel, StatusBlockReportsRuntimeErrorAndModeChanges) {
    auto s = Status();
    EXPECT_EQ(Le16(s, 0), 1);  // run mode
    EXPECT_EQ(Le16(s, 12), 0);
    EXPECT_EQ(Le16(s, 20) | Le16(s, 22) << 16, img.timeStamp);
    EXPECT_EQ(Le16(s, 24), 0);
    EXPECT_LE(Le16(s, 38), 100);

    ASSERT_TRUE(Ok(Ask(3, kBits, 2)));
    ASSERT_TRUE(Eventually([&] { return Le16(Status(), 24) != 0; }));
    s = Status();
    EXPECT_EQ(Le16(s, 0), 0);
    EXPECT_EQ(Le16(s, 24), 103);
    EXPECT_EQ(Le16(s, 26), kDivPc);
    EXPECT_EQ(Le16(s, 28), kOpDiv);
    EXPECT_EQ(Le16(s, 30), 2);
    EXPECT_TRUE(Ok(Ask(1, kBits, 4)));  // memory stays readable while stopped

    // a change to run mode starts the program again
    ASSERT_TRUE(Ok(Ask(4, kBits, 2)));
    ASSERT_TRUE(Ok(Ask(6, 0, 2, {1, 0})));
    s = Status();
    EXPECT_EQ(Le16(s, 0), 1);
    EXPECT_EQ(Le16(s, 24), 0);
    ASSERT_TRUE(Ok(Ask(6, 0, 2, {0, 0})));
    EXPECT_EQ(Le16(Status(), 0), 0);
    // program mode stops scanning: a forced input no longer reaches its output
    ASSERT_TRUE(Ok(Ask(3, kBits, 0)));
    EXPECT_TRUE(Ok(Ask(5)));
    EXPECT_FALSE(BitSet(kBits, 1));
}

TEST_F(DatagramChannel, BadRequestsGetAnErrorReply) {
    const struct {
        const char* what;
        std::vector<uint8_t> request;
    } cases[] = {
        {"read of no bytes", Request(1, 1, 0, 0)},
        {"read of more than 1000 bytes", Request(1, 1, 0, 1001)},
        {"read past the tag memory", Request(1, 1, 500, 16)},
        {"write with fewer data than its count", Request(1, 2, 400, 8, {1, 2, 3, 4})},
        {"write past the tag memory", Request(1, 2, 510, 4, {1, 2, 3, 4})},
        {"set bit on an unaligned address", Request(1, 3, 386, 0)},
        {"set bit 32", Request(1, 3, 384, 32)},
        {"clear bit past the tag memory", Request(1, 4, 512, 0)},
        {"mode 2", Request(1, 6, 0, 2, {2, 0})},
        {"mode without its value", Request(1, 6, 0, 2)},
        {"unknown command", Request(1, 9, 0, 0)},
        {"length promising more than was sent", [] { auto r = Request(1, 1, 0, 4); r[4] = 40; return r; }()},
        {"read without address and count", Request(1, 1, 0, 0, {}, false)},
    };
    for (const auto& c : cases) {
        auto request = c.request;
        request[0] = static_cast<uint8_t>(nextId);
        request[1] = static_cast<uint8_t>(nextId >> 8);
        client.SendTo(sim.udpPort, request);
        auto reply = client.Receive();
        ASSERT_TRUE(reply) << c.what;
        EXPECT_EQ(Le16(*reply, 0), nextId++) << c.what;
        EXPECT_EQ((*reply)[2], 0x80) << c.what;
        EXPECT_EQ(reply->size(), 8u) << c.what;
    }
}

TEST_F(DatagramChannel, UnanswerableDatagramsAreDropped) {
    const std::vector<std::vector<uint8_t>> dropped = {
        {}, {1}, {1, 0, 5, 0, 0, 0, 0}, std::vector<uint8_t>(1500, 0),  // too short to answer; too long
    };
    for (const auto& d : dropped) client.SendTo(sim.udpPort, d);
    // The next answer is the one to a good request sent after them: the others were dropped.
    client.SendTo(sim.udpPort, Request(777, 5));
    auto reply = client.Receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ(Le16(*reply, 0), 777);
    EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
}  // namespace pontra::sim::test
