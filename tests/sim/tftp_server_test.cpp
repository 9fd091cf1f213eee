// The TFTP server of a running pontra-sim: tftp-hpa and curl as real clients, and a raw
// client for what they never do (repeats, silence, malformed packets).
#include <gtest/gtest.h>

#include "sim/ImageAssembler.h"
#include "sim/SimProcess.h"
#include "support/Process.h"

namespace pontra::sim::test {
namespace {

constexpr uint32_t kBits = 384;
const std::string kImageFileName = "PlcData_.bin";

Image Program(size_t tagBytes = 1200) {
    Image img;
    img.tags.resize(tagBytes);
    img.code.Rung().Bit(kOpXic, kBits, 0).Bit(kOpOte, kBits, 1).Rnd().End(true);
    return img;
}

// tftp-hpa: "put local remote", "get remote local"; its exit status says nothing, its output does.
ProcessResult TftpHpa(const SimProcess& sim, const std::string& verb, const std::string& local) {
    std::vector<std::string> args = {"-4", "-m", "binary", sim.address, std::to_string(sim.tftpPort), "-c", verb};
    if (verb == "put") args.insert(args.end(), {local, kImageFileName});
    else args.insert(args.end(), {kImageFileName, local});
    return RunProcess("/usr/bin/tftp", args, "", 30);
}

ProcessResult Curl(const SimProcess& sim, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"-s", "-S"};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back("tftp://" + sim.address + ":" + std::to_string(sim.tftpPort) + "/" + kImageFileName);
    return RunProcess("/usr/bin/curl", all, "", 30);
}

std::vector<uint8_t> Packet(uint16_t opcode, const std::vector<std::string>& fields) {
    std::vector<uint8_t> p = {0, static_cast<uint8_t>(opcode)};
    for (const auto& f : fields) {
        p.insert(p.end(), f.begin(), f.end());
        p.push_back(0);
    }
    return p;
}

std::vector<uint8_t> Numbered(uint16_t opcode, uint16_t block, const std::vector<uint8_t>& data = {}) {
    std::vector<uint8_t> p = {0, static_cast<uint8_t>(opcode), static_cast<uint8_t>(block >> 8), static_cast<uint8_t>(block)};
    p.insert(p.end(), data.begin(), data.end());
    return p;
}

uint16_t Be16(const std::vector<uint8_t>& p, size_t at) { return static_cast<uint16_t>(p[at] << 8 | p[at + 1]); }

// Status block field (little-endian) from the datagram channel.
uint16_t StatusField(const SimProcess& sim, size_t offset) {
    UdpClient c;
    c.Send(sim.address, sim.udpPort, Request(9, 5, 0, 0, {}, false));
    auto r = c.Receive();
    return r && r->size() >= 48 ? static_cast<uint16_t>((*r)[8 + offset] | (*r)[9 + offset] << 8) : 0xFFFF;
}

TEST(TftpServer, TftpHpaWritesRunsAndReadsBackTheImageAndACrcErrorKeepsIt) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    const Image img = Program();
    const auto put = TftpHpa(sim, "put", TempFile(img.WithCrc()));
    EXPECT_EQ(put.out + put.err, "");
    EXPECT_EQ(StatusField(sim, 0), 1) << "a good image runs at once";
    std::vector<uint8_t> bad = Program(400).WithCrc();
    bad.back() ^= 1;
    const auto refused = TftpHpa(sim, "put", TempFile(bad));
    EXPECT_NE((refused.out + refused.err).find("CRC error"), std::string::npos);
    const std::string back = TempFile({}, "back.bin");
    TftpHpa(sim, "get", back);
    EXPECT_EQ(ReadFile(back), img.Bytes());
}

TEST(TftpServer, CurlWritesReadsAndDeletesWithAnEmptyUpload) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    const Image img = Program(3000);
    EXPECT_EQ(Curl(sim, {"-T", TempFile(img.WithCrc())}).status, 0);
    const std::string back = TempFile({}, "back.bin");
    EXPECT_EQ(Curl(sim, {"-o", back}).status, 0);
    EXPECT_EQ(ReadFile(back), img.Bytes());
    // curl announces tsize 0 for an empty file: the module deletes its program
    EXPECT_EQ(Curl(sim, {"-T", TempFile({}, "empty.bin")}).status, 0);
    EXPECT_NE(Curl(sim, {"-o", back}).status, 0);
    EXPECT_EQ(StatusField(sim, 0), 0);
}

TEST(TftpServer, WriteIsAcknowledgedWithoutOptionsAndRepeatsAreNotStoredTwice) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    Image img = Program(784);
    img.name = "PLCDATA_TestXYZ.bin";  // makes the upload exactly two full blocks
    const std::vector<uint8_t> data = img.WithCrc();
    ASSERT_EQ(data.size(), 1024u);
    UdpClient c;
    c.Send(sim.address, sim.tftpPort, Packet(2, {kImageFileName, "octet", "tsize", "1024", "blksize", "1428"}));
    uint16_t tid = 0;
    auto ack = c.Receive(2000, &tid);
    ASSERT_TRUE(ack);
    EXPECT_EQ(*ack, Numbered(4, 0)) << "no option acknowledgement";
    EXPECT_NE(tid, sim.tftpPort) << "the transfer runs on its own port";
    const std::vector<uint8_t> first(data.begin(), data.begin() + 512), second(data.begin() + 512, data.end());
    for (int i = 0; i < 2; ++i) {
        c.Send(sim.address, tid, Numbered(3, 1, first));
        EXPECT_EQ(c.Receive(), Numbered(4, 1));
    }
    for (int i = 0; i < 2; ++i) {  // the announced size ends the transfer on a full block
        c.Send(sim.address, tid, Numbered(3, 2, second));
        EXPECT_EQ(c.Receive(), Numbered(4, 2));
    }
    const std::string back = TempFile({}, "back.bin");
    TftpHpa(sim, "get", back);
    EXPECT_EQ(ReadFile(back), img.Bytes());
}

TEST(TftpServer, ReadIsSentAgainUntilAcknowledged) {
    const Image img = Program(1000);
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--program", TempFile(img.Bytes())}));
    UdpClient c;
    c.Send(sim.address, sim.tftpPort, Packet(1, {kImageFileName, "octet", "tsize", "0"}));
    uint16_t tid = 0;
    auto block = c.Receive(2000, &tid);
    ASSERT_TRUE(block);
    const auto again = c.Receive(3000);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *block) << "unacknowledged data is sent again";
    std::vector<uint8_t> received;
    for (uint16_t n = 1; block && Be16(*block, 0) == 3 && Be16(*block, 2) == n; ++n) {
        received.insert(received.end(), block->begin() + 4, block->end());
        c.Send(sim.address, tid, Numbered(4, n));
        if (block->size() < 516) break;
        block = c.Receive();
    }
    EXPECT_EQ(received, img.Bytes());
}

TEST(TftpServer, RefusalsAndMalformedPacketsGetErrorsOrAreDropped) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    const struct {
        const char* what;
        std::vector<uint8_t> packet;
        int error;  // -1: dropped
    } cases[] = {
        {"another file", Packet(1, {"Other.bin", "octet"}), 1},
        {"the name in other case", Packet(2, {"plcdata_.bin", "octet", "tsize", "100"}), 1},
        {"netascii", Packet(2, {kImageFileName, "netascii"}), 0},
        {"more than the program memory", Packet(2, {kImageFileName, "octet", "tsize", "50000"}), 3},
        {"unterminated request", {0, 1, 'P', 'l', 'c'}, 4},
        {"request without mode", Packet(1, {kImageFileName}), 4},
        {"unknown opcode", {0, 9, 0, 0}, 4},
        {"one byte", {1}, -1},
        {"data on the request port", Numbered(3, 1, {1, 2, 3}), -1},
        {"acknowledgement on the request port", Numbered(4, 1), -1},
        {"error on the request port", Numbered(5, 0), -1},
        {"read with no program stored", Packet(1, {kImageFileName, "octet"}), 1},
    };
    for (const auto& c : cases) {
        UdpClient client;
        client.Send(sim.address, sim.tftpPort, c.packet);
        // a probe after it: the first answer tells whether the packet itself was answered
        client.Send(sim.address, sim.tftpPort, Packet(1, {"Probe.bin", "octet"}));
        auto reply = client.Receive();
        ASSERT_TRUE(reply && reply->size() >= 4) << c.what;
        EXPECT_EQ(Be16(*reply, 0), 5) << c.what;
        const std::string text(reply->begin() + 4, reply->end() - 1);
        if (c.error < 0) {
            EXPECT_EQ(text, "File not found") << c.what << ": the probe's answer comes first";
        } else {
            EXPECT_EQ(Be16(*reply, 2), c.error) << c.what;
            EXPECT_TRUE(client.Receive()) << c.what << ": the probe is answered too";
        }
    }
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(TftpServer, ErrorTenAnswersTheLastBlockWhenAsked) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--tftp-error10"}));
    const std::vector<uint8_t> data = Program(400).WithCrc();
    UdpClient c;
    c.Send(sim.address, sim.tftpPort, Packet(2, {kImageFileName, "octet", "tsize", std::to_string(data.size())}));
    uint16_t tid = 0;
    ASSERT_EQ(c.Receive(2000, &tid), Numbered(4, 0));
    std::optional<std::vector<uint8_t>> reply;
    for (uint16_t n = 1; (n - 1) * 512u < data.size(); ++n) {
        const size_t from = (n - 1) * 512u, to = std::min<size_t>(data.size(), from + 512);
        c.Send(sim.address, tid, Numbered(3, n, {data.begin() + from, data.begin() + to}));
        reply = c.Receive();
    }
    ASSERT_TRUE(reply);
    EXPECT_EQ(Be16(*reply, 0), 5);
    EXPECT_EQ(Be16(*reply, 2), 10);
    EXPECT_EQ(StatusField(sim, 0), 1);
}

TEST(TftpServer, ImagesThatFailTheirChecksAreStoredButNotRun) {
    const struct {
        const char* what;
        Image img;
        uint16_t header, error, pc, rung;
    } cases[] = {
        {"another family", [] { Image i = Program(); i.family = "Oskel"; return i; }(), 1, 0, 0, 0},
        {"bit position 32 in rung 2",
         [] {
             Image i;
             i.code.Rung().Rnd().Rung().Op(kOpXic, 32).Word(384).Rnd().End(true);
             return i;
         }(),
         0, 6, 3, 2},
    };
    for (const auto& c : cases) {
        SimProcess sim;
        ASSERT_TRUE(sim.Start());
        TftpHpa(sim, "put", TempFile(c.img.WithCrc()));
        EXPECT_EQ(StatusField(sim, 0), 0) << c.what;
        EXPECT_EQ(StatusField(sim, 12), c.header) << c.what;
        EXPECT_EQ(StatusField(sim, 24), c.error) << c.what;
        EXPECT_EQ(StatusField(sim, 26), c.pc) << c.what;
        EXPECT_EQ(StatusField(sim, 30), c.rung) << c.what;
        const std::string back = TempFile({}, "back.bin");
        TftpHpa(sim, "get", back);
        EXPECT_EQ(ReadFile(back), c.img.Bytes()) << c.what;
    }
}

}  // namespace
}  // namespace pontra::sim::test
