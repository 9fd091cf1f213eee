// The register protocol server of a running pontra-sim: mbpoll as the real client, and
// hand-made frames for what mbpoll never sends.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "sim/ImageAssembler.h"
#include "sim/SimProcess.h"
#include "support/Process.h"

namespace pontra::sim::test {
namespace {

// Registers read with mbpoll, as register -> value.
std::map<int, int> Mbpoll(const SimProcess& sim, int first, int count, const std::string& address = "") {
    const auto r = RunProcess("/usr/bin/mbpoll", {"-m", "tcp", "-p", std::to_string(sim.modbusPort), "-a", "1", "-t", "4",
                                                  "-r", std::to_string(first), "-c", std::to_string(count), "-1",
                                                  address.empty() ? sim.address : address},
                              "", 20);
    std::map<int, int> values;
    const std::regex line(R"(\[(\d+)\]:\s+(-?\d+))");
    for (std::sregex_iterator it(r.out.begin(), r.out.end(), line), end; it != end; ++it)
        values[std::stoi((*it)[1])] = std::stoi((*it)[2]) & 0xFFFF;
    return values;
}

std::vector<uint8_t> Frame(uint16_t transaction, uint8_t function, uint16_t start, uint16_t quantity,
                           uint16_t length = 4, uint8_t unit = 1) {
    return {uint8_t(transaction >> 8), uint8_t(transaction), 0, 0, uint8_t(length >> 8), uint8_t(length), unit,
            function, uint8_t(start >> 8), uint8_t(start), uint8_t(quantity >> 8), uint8_t(quantity)};
}

TEST(RegisterServer, MbpollReadsTheIdentityOfEachControllerType) {
    const struct {
        std::vector<std::string> args;
        int typeCode, mode, variant, firmware, memoryBits;
    } cases[] = {
        {{"--type", "Vessa"}, 0, 2, 0, 0x680C, 3 << 9},
        {{"--type", "VessaK1"}, 9, 2, 0x91, 0x680C, 3 << 9},
        {{"--type", "Aldera"}, 7, 0, 0, 0x680C, 3 << 9},
        {{"--type", "VessaK2/K3-48V"}, 10, 2, 0xA0, 0x680C, 3 << 9},
        {{"--type", "VessaK2", "--variant", "0x91", "--mode-register", "1", "--firmware", "3.5", "--memory-code", "1"},
         9, 1, 0x91, 0x6705, 1 << 9},
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

TEST(RegisterServer, ProgramWritesAreReadableAndTheStoredFlagIsSet) {
    Image img;  // WRR 1234 -> register 100 (an immediate source)
    img.code.Rung().Op(kOpWrr, kTypeImmediate, kTypeInt).Word(1234).Word(100).Rnd().End(true);
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--program", TempFile(img.Bytes())}));
    EXPECT_TRUE(Eventually([&] { return Mbpoll(sim, 100, 1)[100] == 1234; }));
    EXPECT_EQ(Mbpoll(sim, 279, 1)[279], 1);
}

TEST(RegisterServer, FramesOfAnyLengthFieldGetTheirReplyOrException) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    TcpClient tcp(sim.address, sim.modbusPort);
    ASSERT_TRUE(tcp.Connected());
    const struct {
        const char* what;
        std::vector<uint8_t> request;
        std::vector<uint8_t> reply;
    } cases[] = {
        {"length field 4, unit echoed", Frame(0x0102, 3, 16, 2, 4, 7),
         {0x01, 0x02, 0, 0, 0, 7, 7, 3, 4, 0, 0, 0, 2}},
        {"length field 6", Frame(0x0103, 3, 24, 1, 6), {0x01, 0x03, 0, 0, 0, 5, 1, 3, 2, 0x68, 0x0C}},
        {"another function", Frame(0x0104, 4, 16, 2), {0x01, 0x04, 0, 0, 0, 3, 1, 0x84, 1}},
        {"beyond the bank", Frame(0x0105, 3, 19999, 2), {0x01, 0x05, 0, 0, 0, 3, 1, 0x83, 2}},
        {"no registers", Frame(0x0106, 3, 0, 0), {0x01, 0x06, 0, 0, 0, 3, 1, 0x83, 3}},
    };
    for (const auto& c : cases) {
        tcp.Send(c.request);
        EXPECT_EQ(tcp.Receive(c.reply.size()), c.reply) << c.what;
    }
    // a request in two pieces, then two requests in one piece
    const auto a = Frame(0x0201, 3, 17, 1), b = Frame(0x0202, 3, 5, 1);
    tcp.Send({a.begin(), a.begin() + 5});
    tcp.Send({a.begin() + 5, a.end()});
    EXPECT_EQ(tcp.Receive(11), (std::vector<uint8_t>{0x02, 0x01, 0, 0, 0, 5, 1, 3, 2, 0, 2}));
    std::vector<uint8_t> both = a;
    both.insert(both.end(), b.begin(), b.end());
    tcp.Send(both);
    EXPECT_EQ(tcp.Receive(22).size(), 22u);
}

TEST(RegisterServer, ServesSeveralClientsAndDropsForeignStreams) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    TcpClient first(sim.address, sim.modbusPort), second(sim.address, sim.modbusPort), bad(sim.address, sim.modbusPort);
    ASSERT_TRUE(first.Connected() && second.Connected() && bad.Connected());
    bad.Send({0x47, 0x45, 0x54, 0x20, 0x2F, 0x20, 0x48, 0x54, 0x54, 0x50});  // not this protocol
    EXPECT_TRUE(bad.Closed());
    second.Send(Frame(2, 3, 17, 1));
    first.Send(Frame(1, 3, 17, 1));
    EXPECT_EQ(first.Receive(11).at(1), 1);
    EXPECT_EQ(second.Receive(11).at(1), 2);
    EXPECT_EQ(Mbpoll(sim, 18, 1)[18], 2);  // while both stay connected
}

}  // namespace
}  // namespace pontra::sim::test
