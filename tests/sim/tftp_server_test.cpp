// SPDX-License-Identifier: GPL-3.0-or-later
// The TFTP server of a running pontra-sim: tftp-hpa and curl as real clients, and a raw
// client for what they never do (repeats, silence, malformed packets).
#include <gtest/gtest.h>

#include <memory>

#include "sim/ImageAssembler.h"
#include "support/SimProcess.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace pontra::sim::test {
namespace {

const std::string kFile = "PlcData_.bin";

Image Program(size_t tagBytes = 1200) {
    Image img;
    img.tags.resize(tagBytes);
    img.code.Rung().Bit(kXic, 384, 0).Bit(kOte, 384, 1).Rnd().End(true);
    return img;
}

// tftp-hpa: "put local remote", "get remote local"; its exit status says nothing, its output does.
std::string TftpHpa(const SimProcess& sim, const std::string& verb, const std::string& local) {
    std::vector<std::string> args = {"-4", "-m", "binary", sim.address, std::to_string(sim.tftpPort), "-c", verb};
    if (verb == "put") args.insert(args.end(), {local, kFile});
    else args.insert(args.end(), {kFile, local});
    const auto r = RunProcess("/usr/bin/tftp", args, "", 30);
    return r.out + r.err;
}

int Curl(const SimProcess& sim, const std::string& option, const std::string& local) {
    const std::string url = "tftp://" + sim.address + ":" + std::to_string(sim.tftpPort) + "/" + kFile;
    return RunProcess("/usr/bin/curl", {"-s", option, local, url}, "", 30).status;
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
    std::vector<uint8_t> p = {0, uint8_t(opcode), uint8_t(block >> 8), uint8_t(block)};
    p.insert(p.end(), data.begin(), data.end());
    return p;
}

uint16_t Be16(const std::vector<uint8_t>& p, size_t at) { return static_cast<uint16_t>(p[at] << 8 | p[at + 1]); }

// A 16-bit field of the status block.
uint16_t Status(const SimProcess& sim, size_t offset) {
    Client c;
    c.SendTo(sim.address, sim.udpPort, Request(9, 5, 0, 0, {}, false));
    auto r = c.Receive();
    return r && r->size() == 48 ? static_cast<uint16_t>((*r)[8 + offset] | (*r)[9 + offset] << 8) : 0xFFFF;
}

// Sends `data` in blocks after a write request; returns the answer to the last block.
std::optional<std::vector<uint8_t>> RawUpload(const SimProcess& sim, const std::vector<uint8_t>& data) {
    Client c;
    c.SendTo(sim.address, sim.tftpPort, Packet(2, {kFile, "octet", "tsize", std::to_string(data.size())}));
    uint16_t tid = 0;
    auto reply = c.Receive(2000, &tid);
    for (uint16_t n = 1; reply && (n - 1) * 512u < data.size(); ++n) {
        const size_t from = (n - 1) * 512u, to = std::min<size_t>(data.size(), from + 512);
        c.SendTo(sim.address, tid, Numbered(3, n, {data.begin() + from, data.begin() + to}));
        reply = c.Receive();
    }
    return reply;
}

TEST(TftpServer, TftpHpaWritesRunsAndReadsBackAndACrcErrorKeepsTheProgram) {
    TempDir dir;
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    const Image img = Program();
    WriteBytes(dir.File("good.bin"), img.WithCrc());
    EXPECT_EQ(TftpHpa(sim, "put", dir.File("good.bin")), "");
    EXPECT_EQ(Status(sim, 0), 1) << "a good image runs at once";
    std::vector<uint8_t> bad = Program(400).WithCrc();
    bad.back() ^= 1;
    WriteBytes(dir.File("bad.bin"), bad);
    EXPECT_NE(TftpHpa(sim, "put", dir.File("bad.bin")).find("CRC error"), std::string::npos);
    TftpHpa(sim, "get", dir.File("back.bin"));
    EXPECT_EQ(ReadBytes(dir.File("back.bin")), img.Bytes());
}

TEST(TftpServer, CurlWritesReadsAndDeletesWithAnEmptyUpload) {
    TempDir dir;
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    const Image img = Program(3000);
    WriteBytes(dir.File("p.bin"), img.WithCrc());
    WriteBytes(dir.File("empty.bin"), {});
    EXPECT_EQ(Curl(sim, "-T", dir.File("p.bin")), 0);
    EXPECT_EQ(Curl(sim, "-o", dir.File("back.bin")), 0);
    EXPECT_EQ(ReadBytes(dir.File("back.bin")), img.Bytes());
    // curl announces tsize 0 for an empty file: the module deletes its program
    EXPECT_EQ(Curl(sim, "-T", dir.File("empty.bin")), 0);
    EXPECT_NE(Curl(sim, "-o", dir.File("back.bin")), 0);
    EXPECT_EQ(Status(sim, 0), 0);
}

TEST(TftpServer, WriteIsAcknowledgedWithoutOptionsAndRepeatsAreNotStoredTwice) {
    TempDir dir;
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    Image img = Program(784);
    img.name = "PLCDATA_TestXYZ.bin";  // makes the upload exactly two full blocks
    const std::vector<uint8_t> data = img.WithCrc();
    ASSERT_EQ(data.size(), 1024u);
    Client c;
    c.SendTo(sim.address, sim.tftpPort, Packet(2, {kFile, "octet", "tsize", "1024", "blksize", "1428"}));
    uint16_t tid = 0;
    EXPECT_EQ(c.Receive(2000, &tid), Numbered(4, 0)) << "no option acknowledgement";
    EXPECT_NE(tid, sim.tftpPort) << "the transfer runs on its own port";
    for (uint16_t block : {1, 1, 2, 2}) {  // the announced size ends the transfer on a full block
        c.SendTo(sim.address, tid, Numbered(3, block, {data.begin() + (block - 1) * 512, data.begin() + block * 512}));
        EXPECT_EQ(c.Receive(), Numbered(4, block));
    }
    TftpHpa(sim, "get", dir.File("back.bin"));
    EXPECT_EQ(ReadBytes(dir.File("back.bin")), img.Bytes());
}

TEST(TftpServer, FinishedTransfersMakeRoomButTransfersUnderWayAreLimited) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    // more uploads than transfer places, each lingering after its last block
    for (int i = 0; i < 12; ++i) {
        const auto ack = RawUpload(sim, Program(400 + i).WithCrc());
        ASSERT_TRUE(ack && ack->size() == 4) << "upload " << i;
        EXPECT_EQ(Be16(*ack, 0), 4) << "upload " << i;
    }
    // eight writes started and left hanging take every place; a ninth is refused
    std::vector<std::unique_ptr<Client>> hanging;
    for (int i = 0; i < 8; ++i) {
        hanging.push_back(std::make_unique<Client>());
        hanging.back()->SendTo(sim.address, sim.tftpPort, Packet(2, {kFile, "octet"}));
        EXPECT_EQ(hanging.back()->Receive(), Numbered(4, 0));
    }
    Client ninth;
    ninth.SendTo(sim.address, sim.tftpPort, Packet(2, {kFile, "octet"}));
    const auto refused = ninth.Receive();
    ASSERT_TRUE(refused && refused->size() > 4);
    EXPECT_EQ(Be16(*refused, 0), 5);
    EXPECT_EQ(std::string(refused->begin() + 4, refused->end() - 1), "Too many transfers");
}

TEST(TftpServer, ReadIsSentAgainUntilAcknowledged) {
    TempDir dir;
    const Image img = Program(1000);
    WriteBytes(dir.File("p.bin"), img.Bytes());
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--program", dir.File("p.bin")}));
    Client c;
    c.SendTo(sim.address, sim.tftpPort, Packet(1, {kFile, "octet", "tsize", "0"}));
    uint16_t tid = 0;
    auto block = c.Receive(2000, &tid);
    ASSERT_TRUE(block);
    EXPECT_EQ(c.Receive(3000), block) << "unacknowledged data is sent again";
    std::vector<uint8_t> received;
    for (uint16_t n = 1; block && Be16(*block, 0) == 3 && Be16(*block, 2) == n; ++n) {
        received.insert(received.end(), block->begin() + 4, block->end());
        c.SendTo(sim.address, tid, Numbered(4, n));
        if (block->size() < 516) break;
        block = c.Receive();
    }
    EXPECT_EQ(received, img.Bytes());
}

TEST(TftpServer, RefusalsAndMalformedPacketsGetErrorsOrAreDropped) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    const struct {
        std::vector<uint8_t> packet;
        int error;  // -1: dropped
    } cases[] = {
        {Packet(1, {"Other.bin", "octet"}), 1},
        {Packet(2, {"plcdata_.bin", "octet", "tsize", "100"}), 1},
        {Packet(2, {kFile, "netascii"}), 0},
        {Packet(2, {kFile, "octet", "tsize", "50000"}), 3},  // more than the program memory
        {Packet(1, {kFile, "octet"}), 1},                      // no program stored
        {{0, 1, 'P', 'l', 'c'}, 4},                            // unterminated
        {Packet(1, {kFile}), 4},                               // no mode
        {{0, 9, 0, 0}, 4},
        {{1}, -1},
        {Numbered(3, 1, {1, 2, 3}), -1},  // strays of ended transfers
        {Numbered(4, 1), -1},
        {Numbered(5, 0), -1},
    };
    for (const auto& c : cases) {
        Client client;
        client.SendTo(sim.address, sim.tftpPort, c.packet);
        // a probe after it: the first answer tells whether the packet itself was answered
        client.SendTo(sim.address, sim.tftpPort, Packet(1, {"Probe.bin", "octet"}));
        auto reply = client.Receive();
        ASSERT_TRUE(reply && reply->size() > 4);
        EXPECT_EQ(Be16(*reply, 0), 5);
        EXPECT_EQ(Be16(*reply, 2), c.error < 0 ? 1 : c.error) << int(c.packet.size() > 1 ? c.packet[1] : 0);
        if (c.error >= 0) {
            EXPECT_TRUE(client.Receive()) << "the probe is answered after the packet";
        }
    }
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(TftpServer, ErrorTenAnswersTheLastBlockWhenAsked) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--tftp-error10"}));
    const auto reply = RawUpload(sim, Program(1000).WithCrc());
    ASSERT_TRUE(reply);
    EXPECT_EQ(Be16(*reply, 0), 5);
    EXPECT_EQ(Be16(*reply, 2), 10);
    EXPECT_EQ(Status(sim, 0), 1);
}

TEST(TftpServer, ImagesThatFailTheirChecksAreStoredButNotRun) {
    Image wrongFamily = Program();
    wrongFamily.family = "Oskel";
    Image badBit;
    badBit.code.Rung().Rnd().Rung().Op(kXic, 32).Word(384).Rnd().End(true);
    const struct {
        Image img;
        uint16_t header, error, pc, rung;
    } cases[] = {{wrongFamily, 1, 0, 0, 0}, {badBit, 0, 6, 3, 2}};
    for (const auto& c : cases) {
        SimProcess sim;
        ASSERT_TRUE(sim.Start());
        const auto ack = RawUpload(sim, c.img.WithCrc());
        ASSERT_TRUE(ack);
        EXPECT_EQ(Be16(*ack, 0), 4);
        EXPECT_EQ(Status(sim, 0), 0);
        EXPECT_EQ(Status(sim, 12), c.header);
        EXPECT_EQ(Status(sim, 24), c.error);
        EXPECT_EQ(Status(sim, 26), c.pc);
        EXPECT_EQ(Status(sim, 30), c.rung);
        TempDir dir;
        TftpHpa(sim, "get", dir.File("back.bin"));
        EXPECT_EQ(ReadBytes(dir.File("back.bin")), c.img.Bytes());
    }
}

}  // namespace
}  // namespace pontra::sim::test
