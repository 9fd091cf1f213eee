// SPDX-License-Identifier: GPL-3.0-or-later
// The three clients against the soft module as a separate process on loopback: the
// identification registers, an image uploaded, read back and deleted over TFTP, and
// every command of the datagram channel.
#include <gtest/gtest.h>

#include <chrono>

#include "build/ProgramImage.h"
#include "comm/RegisterClient.h"
#include "comm/TftpClient.h"
#include "comm/UdpChannel.h"
#include "host/ScriptedHost.h"
#include "model/Project.h"
#include "shell/MainFrame.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

using namespace std::chrono_literals;
using sim::test::SimProcess;

constexpr const char* kRemote = "PlcData_.bin";

int Finish(CTftpClient& client, int result) {
    while (result == kTftpInProgress) result = client.Step();
    return result;
}

uint16_t Register(CRegisterClient& client, int reg) {
    std::vector<uint16_t> out;
    EXPECT_TRUE(client.ReadModuleRegisters(reg, 1, out)) << reg << ": " << client.LastError();
    return out.empty() ? 0xFFFF : out[0];
}

TEST(SimRegisters, IdentityOfEachKindOfModule) {
    struct Case {
        std::vector<std::string> args;
        uint16_t typeAndMode[2], variant, firmware, memory;
    } cases[] = {
        {{}, {0x0000, 2}, 0, 0x680C, 3 << 9},
        {{"--type", "VessaK2", "--firmware", "4.11", "--memory-code", "1"},
         {0x0900, 2},
         0x95,
         0x680B,
         1 << 9},
        {{"--type", "Aldera", "--variant", "0x1234"}, {0x0700, 0}, 0x1234, 0x680C, 3 << 9},
    };
    for (const Case& c : cases) {
        SimProcess sim;
        ASSERT_TRUE(sim.Start(c.args));
        CRegisterClient client(sim.modbusPort);
        ASSERT_TRUE(client.ConnectModule(sim.address)) << client.LastError();
        std::vector<uint16_t> pair;
        ASSERT_TRUE(client.ReadModuleRegisters(17, 2, pair));
        EXPECT_EQ(pair[0] & 0xFF00, c.typeAndMode[0]);
        EXPECT_EQ(pair[1], c.typeAndMode[1]);
        EXPECT_EQ(Register(client, 6), c.variant);
        EXPECT_EQ(Register(client, 25), c.firmware);
        EXPECT_EQ(Register(client, 511) & 0x0600, c.memory);
        EXPECT_EQ(Register(client, 279), 0) << "no program yet";
    }
}

TEST(SimRegisters, ReconnectsAfterTheModuleDroppedTheConnection) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    CRegisterClient client(sim.modbusPort);
    ASSERT_TRUE(client.ConnectModule(sim.address));
    client.Close(); // as a broken connection leaves it: the next read must reconnect
    EXPECT_EQ(Register(client, 18), 2);
}

// Upload, read-back and the zero-size write that deletes, with register 279 following.
TEST(SimTftp, UploadReadBackAndDelete) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    TempDir dir;
    for (size_t size : {size_t{0}, size_t{510}, size_t{1300}}) {
        std::vector<uint8_t> image(size);
        for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
        WriteBytes(dir.File("up.bin"), image);

        CTftpClient up;
        ASSERT_EQ(Finish(up, up.StartSend(dir.File("up.bin"), kRemote, sim.address, sim.tftpPort)),
                  kTftpFinished)
            << up.GetErrorText();
        EXPECT_EQ(up.GetBytesDone(), size + 2);

        CRegisterClient client(sim.modbusPort);
        ASSERT_TRUE(client.ConnectModule(sim.address));
        EXPECT_EQ(Register(client, 279), 1);

        CTftpClient down;
        ASSERT_EQ(Finish(down, down.StartReceive(dir.File("back.bin"), kRemote, sim.address, sim.tftpPort)),
                  kTftpFinished)
            << down.GetErrorText();
        EXPECT_EQ(ReadBytes(dir.File("back.bin")), image) << size;

        CTftpClient erase;
        EXPECT_EQ(erase.StartSend(dir.File("up.bin"), kRemote, sim.address, sim.tftpPort, true),
                  kTftpFinished);
        EXPECT_EQ(Register(client, 279), 0);
        CTftpClient gone;
        gone.SetReplyTimeout(1000);
        EXPECT_EQ(Finish(gone, gone.StartReceive(dir.File("gone.bin"), kRemote, sim.address, sim.tftpPort)),
                  kTftpFailed);
    }
}

// A soft module running a program built from a new project, and a channel to it.
struct SimChannelTest : ::testing::Test {
    void SetUp() override {
        CMainFrame frame(host);
        frame.doc().pathName = dir.File("chan.clp");
        std::string image;
        ASSERT_TRUE(BuildProgramImage(frame, image, false));
        ASSERT_TRUE(sim.Start({"--program", image}));
        channel = std::make_unique<CUdpChannel>(host, sim.udpPort);
        channel->onAnswered = [this](const UdpRequest& r) { answered.push_back(r); };
        channel->onFailed = [this](const UdpRequest& r) { failed.push_back(r); };
    }
    // Posts and pumps until the request has gone from the list.
    void Run(std::unique_ptr<UdpRequest> request) {
        const UdpRequest* posted = channel->PostUdpRequest(std::move(request));
        ASSERT_TRUE(host.PumpUntil(
            [&] {
                bool listed = false;
                channel->VisitRequests([&](const auto& list) {
                    for (const auto& r : list) listed = listed || r.get() == posted;
                });
                return !listed;
            },
            3s));
    }
    std::vector<uint8_t> Read(uint16_t address, uint16_t count) {
        answered.clear();
        Run(ReadMemoryRequest(sim.address, address, count));
        if (answered.size() != 1) return {};
        return {answered[0].ReplyData(), answered[0].ReplyData() + answered[0].ReplyDataLength()};
    }
    uint16_t RunState() {
        answered.clear();
        Run(StatusRequest(sim.address));
        return answered.size() == 1 && answered[0].ReplyDataLength() >= 2 ? answered[0].ReplyData()[0]
                                                                          : 0xFFFF;
    }

    ScriptedHost host;
    TempDir dir;
    SimProcess sim;
    std::unique_ptr<CUdpChannel> channel;
    std::vector<UdpRequest> answered, failed;
};

TEST_F(SimChannelTest, EveryCommand) {
    const uint8_t data[] = {0x11, 0x22, 0x33, 0x44};
    Run(WriteMemoryRequest(sim.address, 300, data, 4));
    EXPECT_EQ(Read(300, 4), std::vector<uint8_t>(data, data + 4));

    Run(BitRequest(sim.address, 300, 31, true));
    Run(BitRequest(sim.address, 300, 0, false));
    EXPECT_EQ(Read(300, 4), (std::vector<uint8_t>{0x10, 0x22, 0x33, 0xC4}));

    EXPECT_EQ(RunState(), 1) << "a good image runs";
    Run(ModeRequest(sim.address, false));
    EXPECT_EQ(RunState(), 0);
    Run(ModeRequest(sim.address, true));
    EXPECT_EQ(RunState(), 1);
    EXPECT_TRUE(failed.empty());
}

TEST_F(SimChannelTest, RefusedRequestsReachTheFailureConsumer) {
    const std::vector<uint8_t> all = Read(0, 1000);
    EXPECT_EQ(all.size(), 0u) << "the image's tag memory is smaller than 1000 bytes";
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].state, kUdpErrorReply);
    EXPECT_EQ(Read(0, 384).size(), 384u) << "the controller area is always there";
}

} // namespace
} // namespace pontra
