// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "Peers.h"
#include "comm/Crc16.h"
#include "comm/TftpClient.h"

namespace pontra {
namespace {

using test::Answer;
using test::Bytes;
using Answers = std::vector<Answer>;

constexpr const char* kImage = "PlcData_.bin";

Bytes WithCrc(Bytes bytes) {
    const uint16_t crc = Crc16Modbus(bytes.data(), bytes.size());
    bytes.insert(bytes.end(), {static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8)});
    return bytes;
}

Bytes Packet(uint16_t opcode, uint16_t number, const Bytes& rest = {}) {
    Bytes p(4 + rest.size());
    p[1] = static_cast<uint8_t>(opcode);
    p[2] = static_cast<uint8_t>(number >> 8);
    p[3] = static_cast<uint8_t>(number);
    std::copy(rest.begin(), rest.end(), p.begin() + 4);
    return p;
}

Bytes ErrorPacket(uint16_t code, const std::string& text) {
    return Packet(kTftpError, code, Bytes(text.c_str(), text.c_str() + text.size() + 1));
}

uint16_t Block(const Bytes& packet) {
    return packet[1] == kTftpWriteRequest ? 0 : static_cast<uint16_t>(packet[2] << 8 | packet[3]);
}

// Runs a transfer to its end; the result of the last call.
int Finish(CTftpClient& client, int result) {
    while (result == kTftpInProgress) result = client.Step();
    return result;
}

class TftpTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pontra-tftp-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Local(const std::string& name) const { return folder + "/" + name; }
    int Upload(CTftpClient& client, uint16_t port) {
        return Finish(client, client.StartSend(Local("image.bin"), kImage, "127.0.0.1", port));
    }
    std::string folder;
};

TEST(TftpPacket, LimitsLayoutAndCrc) {
    TftpPacket p;
    ASSERT_TRUE(p.MakeRequest(kTftpWriteRequest, kImage, 1234));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.Data()), static_cast<size_t>(p.Length())),
              std::string("\0\2PlcData_.bin\0octet\0tsize\0"
                          "1234\0",
                          32));
    EXPECT_TRUE(p.MakeRequest(kTftpReadRequest, std::string(512, 'n'), 0));
    EXPECT_FALSE(p.MakeRequest(kTftpReadRequest, std::string(513, 'n'), 0));
    const Bytes run(1023, 1);
    p.Clear();
    EXPECT_TRUE(p.AddBytes(run.data(), 1023));
    EXPECT_TRUE(p.AddByte(1)); // a byte may fill the last place, a run may not
    p.Clear();
    EXPECT_FALSE(p.AddBytes(run.data(), 1024));
    p.SetLength(1025);
    EXPECT_FALSE(p.IsValid());
    EXPECT_EQ(WithCrc({'a', 'b', 'c'}), (Bytes{'a', 'b', 'c', 0x49, 0x57}));
    const std::string check = "123456789"; // the check value of CRC-16/MODBUS
    EXPECT_EQ(Crc16Modbus(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0x4B37);
}

TEST_F(TftpTest, UploadsAndDownloadsWithTftpdHpa) {
    test::TftpServer server;
    if (!server.ok()) GTEST_SKIP() << "tftpd-hpa needs root to start";
    // An upload whose data fills its last block exactly ends without an empty block,
    // which a standard server does not take as the end (the module goes by the announced
    // size), so 510 is left to FullLastBlockEndsTheUpload.
    for (size_t size : {0, 1, 511, 512, 1300}) {
        const Bytes file = test::Pattern(size);
        test::WriteFile(Local("image.bin"), file);
        CTftpClient up, down;
        ASSERT_EQ(Finish(up, up.StartSend(Local("image.bin"), kImage, server.address(), server.port())),
                  kTftpFinished)
            << size << ": " << up.GetErrorText();
        EXPECT_EQ(up.GetBytesDone(), size + 2);
        EXPECT_EQ(test::ReadFile(server.folder() + "/" + kImage), WithCrc(file)) << size;
        ASSERT_EQ(Finish(down, down.StartReceive(Local("back.bin"), kImage, server.address(), server.port())),
                  kTftpFinished)
            << size << ": " << down.GetErrorText();
        EXPECT_EQ(test::ReadFile(Local("back.bin")), WithCrc(file)) << size;
    }
    // Whole blocks come back with the server's empty block at the end.
    test::WriteFile(server.folder() + "/blocks.bin", test::Pattern(1024));
    CTftpClient blocks, missing, requestOnly;
    EXPECT_EQ(
        Finish(blocks, blocks.StartReceive(Local("b.bin"), "blocks.bin", server.address(), server.port())),
        kTftpFinished);
    EXPECT_EQ(test::ReadFile(Local("b.bin")), test::Pattern(1024));
    EXPECT_EQ(
        Finish(missing, missing.StartReceive(Local("m.bin"), "none.bin", server.address(), server.port())),
        kTftpFailed);
    EXPECT_EQ(missing.GetErrorText(), "Can't get data.");
    EXPECT_EQ(requestOnly.StartSend(Local("image.bin"), kImage, server.address(), server.port(), true),
              kTftpFinished);
}

TEST_F(TftpTest, FullLastBlockEndsTheUpload) {
    struct Case {
        size_t size;
        std::string tsize;
        std::vector<size_t> blocks;
    } cases[] = {{0, "2", {2}}, {510, "512", {512}}, {1023, "1025", {512, 512, 1}}};
    for (const auto& c : cases) {
        std::string tsize;
        std::vector<size_t> blocks;
        test::WriteFile(Local("image.bin"), test::Pattern(c.size));
        CTftpClient client;
        {
            test::ScriptedUdpPeer module([&](const Bytes& in) {
                if (in[1] == kTftpWriteRequest)
                    tsize.assign(std::find(in.rbegin() + 1, in.rend(), 0).base(), in.end() - 1);
                else
                    blocks.push_back(in.size() - 4);
                return Answers{{Packet(kTftpAck, Block(in))}};
            });
            EXPECT_EQ(Upload(client, module.port()), kTftpFinished);
        } // what the module saw is read after its thread has ended
        EXPECT_EQ(tsize, c.tsize);
        EXPECT_EQ(blocks, c.blocks) << c.size;
    }
}

TEST_F(TftpTest, UploadAcknowledgementRules) {
    test::WriteFile(Local("image.bin"), test::Pattern(600));
    struct Case {
        const char* name;
        std::function<Answers(const Bytes&)> answer;
        int result;
        const char* error;
    } cases[] = {
        {"error 10 acknowledges the last block",
         [](const Bytes& in) {
             return Answers{{Block(in) == 2 ? ErrorPacket(10, "done") : Packet(kTftpAck, Block(in))}};
         },
         kTftpFinished, ""},
        {"a stale acknowledgement costs one try",
         [n = 0](const Bytes& in) mutable {
             return Answers{{Packet(kTftpAck, Block(in) == 1 && n++ == 0 ? 0 : Block(in))}};
         },
         kTftpFinished, ""},
        {"error packets are quoted, and No answer. keeps the quote",
         [](const Bytes&) { return Answers{{ErrorPacket(2, "Access violation")}}; }, kTftpFailed,
         "#2:Access violation"},
        {"a short packet is no acknowledgement",
         [](const Bytes&) {
             return Answers{{Bytes{0, 4, 0}}};
         },
         kTftpFailed, "No ACK found."},
    };
    for (const auto& c : cases) {
        test::ScriptedUdpPeer module(c.answer);
        CTftpClient client;
        EXPECT_EQ(Upload(client, module.port()), c.result) << c.name;
        EXPECT_EQ(client.GetErrorText(), c.error) << c.name;
    }
}

TEST_F(TftpTest, DownloadPacketRules) {
    const Bytes full = test::Pattern(512);
    struct Case {
        const char* name;
        std::vector<Bytes> replies; // to the read request, then to each acknowledgement
        const char* error;
    } cases[] = {
        {"a retransmitted block",
         {Packet(kTftpData, 1, full), Packet(kTftpData, 1, full)},
         "Can't get data."},
        {"a truncated packet", {Bytes{0, 3, 0}}, "Can't get data."},
        {"more than a block of data", {Packet(kTftpData, 1, test::Pattern(600))}, "Can't copy data."},
        {"more than a packet holds", {Packet(kTftpData, 1, test::Pattern(1100))}, "Can't get data."},
        {"an error packet", {ErrorPacket(1, "File not found")}, "Can't get data."},
    };
    for (const auto& c : cases) {
        size_t next = 0;
        test::ScriptedUdpPeer module(
            [&](const Bytes&) { return next < c.replies.size() ? Answers{{c.replies[next++]}} : Answers{}; });
        CTftpClient client;
        EXPECT_EQ(Finish(client, client.StartReceive(Local("back.bin"), kImage, "127.0.0.1", module.port())),
                  kTftpFailed)
            << c.name;
        EXPECT_EQ(client.GetErrorText(), c.error) << c.name;
    }
    CTftpClient idle;
    EXPECT_EQ(idle.Step(), kTftpFailed);
    EXPECT_EQ(idle.GetErrorText(), "Not started.");
}

TEST_F(TftpTest, SilentModules) {
    test::WriteFile(Local("image.bin"), test::Pattern(10));
    test::ScriptedUdpPeer silent;
    int requests = 0; // answers only the second read request
    test::ScriptedUdpPeer late([&](const Bytes&) {
        return ++requests == 2 ? Answers{{Packet(kTftpData, 1, {1, 2, 3})}} : Answers{};
    });
    // The three wait out their time-outs side by side.
    CTftpClient up, down, never;
    int results[3] = {};
    for (CTftpClient* client : {&up, &down, &never}) client->SetReplyTimeout(1000);
    std::thread a([&] { results[0] = Upload(up, silent.port()); });
    std::thread b([&] {
        results[1] = Finish(down, down.StartReceive(Local("d.bin"), kImage, "127.0.0.1", late.port()));
    });
    std::thread c([&] {
        results[2] = Finish(never, never.StartReceive(Local("n.bin"), kImage, "127.0.0.1", silent.port()));
    });
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(results[0], kTftpFailed);
    EXPECT_EQ(up.GetErrorText(), "Read wait timeout."); // "No answer." does not replace it
    EXPECT_EQ(results[1], kTftpFinished);
    EXPECT_EQ(test::ReadFile(Local("d.bin")), (Bytes{1, 2, 3}));
    EXPECT_EQ(results[2], kTftpFailed);
    EXPECT_EQ(never.GetErrorText(), "Can't get packet.");
}

} // namespace
} // namespace pontra
