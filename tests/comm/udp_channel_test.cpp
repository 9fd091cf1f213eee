// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Peers.h"
#include "comm/SocketPlatform.h"
#include "comm/UdpChannel.h"
#include "host/ScriptedHost.h"

namespace pontra {
namespace {

using namespace std::chrono_literals;
using test::Answer;
using test::Bytes;
using Answers = std::vector<Answer>;

uint16_t Command(const Bytes& q) {
    return static_cast<uint16_t>(q[2] | q[3] << 8);
}
uint16_t Address(const Bytes& q) {
    return q.size() < 12 ? 0xFFFF : static_cast<uint16_t>(q[8] | q[9] << 8);
}

Bytes Reply(const Bytes& request, uint8_t flag, const Bytes& data = {}) {
    Bytes reply = {request[0], request[1], flag, 0, 0, 0, 0, 0};
    reply.insert(reply.end(), data.begin(), data.end());
    return reply;
}

// A channel to a scripted module, with consumers recording what they are handed.
struct ChannelTest : ::testing::Test {
    void Open(uint16_t port) {
        channel = std::make_unique<CUdpChannel>(host, port);
        channel->onAnswered = [this](const UdpRequest& r) { answered.push_back(r); };
        channel->onFailed = [this](const UdpRequest& r) {
            failed.push_back(r);
            failedAfterMs.push_back(TickCount() - r.timeSent);
        };
    }
    std::vector<std::pair<uint16_t, uint32_t>> List() { // identifier and state of each request
        std::vector<std::pair<uint16_t, uint32_t>> list;
        channel->VisitRequests([&](const auto& requests) {
            for (const auto& r : requests) list.emplace_back(r->identifier, r->state);
        });
        return list;
    }
    bool Drain() {
        return host.PumpUntil([this] { return List().empty(); }, 5s);
    }
    uint16_t Post(std::unique_ptr<UdpRequest> request) {
        return channel->PostUdpRequest(std::move(request))->identifier;
    }

    ScriptedHost host;
    std::unique_ptr<CUdpChannel> channel;
    std::vector<UdpRequest> answered, failed;
    std::vector<uint32_t> failedAfterMs;
};

TEST(UdpRequests, DatagramsAndDestinations) {
    const Bytes data = {0xAA, 0xBB, 0xCC};
    struct Case {
        std::unique_ptr<UdpRequest> request;
        Bytes afterId;
    } cases[] = {
        {ReadMemoryRequest("127.0.0.1", 1000, 500), {1, 0, 4, 0, 0, 0, 0xE8, 0x03, 0xF4, 0x01}},
        {WriteMemoryRequest("127.0.0.1", 4, data.data(), 3),
         {2, 0, 7, 0, 0, 0, 4, 0, 3, 0, 0xAA, 0xBB, 0xCC}},
        {BitRequest("127.0.0.1", 4, 19, false), {4, 0, 4, 0, 0, 0, 4, 0, 19, 0}},
        {StatusRequest("127.0.0.1"), {5, 0, 0, 0, 0, 0}},
        {ModeRequest("127.0.0.1", true), {6, 0, 6, 0, 0, 0, 0, 0, 2, 0, 1, 0}},
    };
    for (const auto& c : cases) {
        const UdpRequest& r = *c.request;
        Bytes expected = {static_cast<uint8_t>(r.identifier), static_cast<uint8_t>(r.identifier >> 8)};
        expected.insert(expected.end(), c.afterId.begin(), c.afterId.end());
        EXPECT_EQ(Bytes(r.request.begin(), r.request.begin() + r.requestLength), expected) << r.command;
    }
    EXPECT_EQ(cases[1].request->identifier, static_cast<uint16_t>(cases[0].request->identifier + 1));
    EXPECT_FALSE(ReadMemoryRequest("127.0.0.1", 0, 1001));
    EXPECT_FALSE(CreateUdpRequest("127.0.0.1", 7, 0, 0));
    EXPECT_EQ(StatusRequest("")->destination, "255.255.255.255");

    // Only computed here: no test sends to a broadcast address.
    for (auto [text, address] : {std::pair{"127.10.20.30", "127.10.20.30"},
                                 {"127.1", "255.255.255.255"},
                                 {"255.255.255.255", "255.255.255.255"},
                                 {"", "255.255.255.255"}})
        EXPECT_EQ(DottedAddress(UdpDestinationAddress(text)), address) << text;
}

TEST_F(ChannelTest, ConsumersGetReadsAndStatusOthersAreDropped) {
    test::ScriptedUdpPeer module([](const Bytes& q) {
        switch (Command(q)) {
        case kUdpReadMemory: return Answers{{Reply(q, 0x40, {9, 8, 7})}};
        case kUdpReadStatus: return Answers{{Reply(q, 0x80)}};
        case kUdpSetMode: return Answers{{Reply(q, 0x40)}};
        default: return Answers{};
        }
    });
    Open(module.port());
    const uint16_t read = Post(ReadMemoryRequest("127.0.0.1", 0, 3));
    const uint16_t status = Post(StatusRequest("127.0.0.1"));
    Post(ModeRequest("127.0.0.1", true));
    ASSERT_TRUE(Drain());
    ASSERT_EQ(answered.size(), 1u);
    EXPECT_EQ(answered[0].identifier, read);
    EXPECT_EQ(Bytes(answered[0].ReplyData(), answered[0].ReplyData() + answered[0].ReplyDataLength()),
              (Bytes{9, 8, 7}));
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].identifier, status);
    EXPECT_EQ(failed[0].state, kUdpErrorReply);
}

TEST_F(ChannelTest, SentEventDropsWritesButClearBitWaits) {
    test::ScriptedUdpPeer silent;
    Open(silent.port());
    Post(BitRequest("127.0.0.1", 4, 3, true));
    const uint16_t clear = Post(BitRequest("127.0.0.1", 4, 3, false));
    const uint8_t value = 1;
    Post(WriteMemoryRequest("127.0.0.1", 8, &value, 1));
    // Unpumped, nothing leaves the list; once all three are out, the write's event is
    // handled by hand, whatever time-outs came meanwhile.
    const auto sent = [this] {
        for (auto [id, state] : List())
            if (state == kUdpQueued) return false;
        return true;
    };
    for (auto end = std::chrono::steady_clock::now() + 2s; !sent() && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(1ms);
    channel->OnUdpSent();
    ASSERT_EQ(List().size(), 1u);
    EXPECT_EQ(List()[0].first, clear);
    ASSERT_TRUE(Drain()); // the clear-bit request times out, with no consumer to tell
    EXPECT_TRUE(failed.empty());
}

TEST_F(ChannelTest, RequestsGoOutInOrderPacedAndTimeOutFromTheirSend) {
    test::ScriptedUdpPeer silent;
    Open(silent.port());
    std::vector<uint16_t> posted;
    for (uint16_t i = 0; i < 20; ++i) posted.push_back(Post(ReadMemoryRequest("127.0.0.1", i * 500, 500)));
    // The caller does not wait for the sends, which are 10 ms apart: the last goes out
    // 190 ms after the first.
    const auto list = List();
    EXPECT_GT(std::count_if(list.begin(), list.end(), [](auto r) { return r.second == kUdpQueued; }), 0);
    ASSERT_TRUE(Drain());
    const auto arrivals = silent.Arrivals();
    ASSERT_EQ(arrivals.size(), 20u);
    ASSERT_EQ(failed.size(), 20u);
    for (size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(arrivals[i][0] | arrivals[i][1] << 8, posted[i]);
        EXPECT_EQ(failed[i].identifier, posted[i]);
        EXPECT_EQ(failed[i].state, kUdpTimedOut);
        EXPECT_GT(failedAfterMs[i], CUdpChannel::kTimeoutMs);
        EXPECT_TRUE(i == 0 || failed[i].timeSent - failed[i - 1].timeSent >= CUdpChannel::kSendSpacingMs);
    }
}

TEST_F(ChannelTest, DatagramsThatAreNotTheReply) {
    test::UdpPeer otherPort;
    std::unique_ptr<test::UdpPeer> otherModule; // outlives the module's thread
    std::atomic<test::UdpPeer*> otherAddress{nullptr};
    test::ScriptedUdpPeer module([&](const Bytes& q) -> Answers {
        switch (Address(q)) {
        case 0: return {{Reply(q, 0x40), &otherPort}};             // from another port
        case 1: return {{Reply(q, 0x00)}};                         // neither reply flag
        case 2: return {{Reply(q, 0x40, Bytes(1100, 1))}};         // longer than any reply
        case 3: return {{Bytes{q[0], q[1], 0x40, 0, 0}}};          // shorter than a reply header
        case 4: return {{Reply({q[0], uint8_t(q[1] ^ 1)}, 0x40)}}; // another identifier
        case 5: return {{Reply(q, 0x40), otherAddress.load()}};    // from another module
        case 6: return {{Reply(q, 0x40, Bytes(kUdpDatagramSize - 7, 6))}}; // one byte over the largest reply
        default: return {{Reply(q, 0x40, Bytes(kUdpDatagramSize - 8, 7))}}; // the largest reply is one
        }
    });
    otherModule = std::make_unique<test::UdpPeer>("127.0.0.2", module.port());
    otherAddress = otherModule.get();
    Open(module.port());
    std::vector<uint16_t> addresses = {0, 1, 2, 3, 4, 6};
    if (otherModule->ok()) addresses.push_back(5);
    for (uint16_t address : addresses) Post(ReadMemoryRequest("127.0.0.1", address, 1));
    Post(ReadMemoryRequest("127.0.0.1", 100, 1));
    ASSERT_TRUE(Drain());
    ASSERT_EQ(answered.size(), 1u);
    EXPECT_EQ(answered[0].address, 100);
    EXPECT_EQ(answered[0].replyLength, kUdpDatagramSize);
    EXPECT_EQ(Bytes(answered[0].ReplyData(), answered[0].ReplyData() + answered[0].ReplyDataLength()),
              Bytes(kUdpDatagramSize - 8, 7));
    ASSERT_EQ(failed.size(), addresses.size());
    for (const auto& r : failed) EXPECT_EQ(r.state, kUdpTimedOut) << "address " << r.address;
}

TEST_F(ChannelTest, RepeatedDatagramIsDroppedAndItsRequestTimesOut) {
    Bytes first;
    test::ScriptedUdpPeer module([&](const Bytes& q) {
        if (Address(q) == 2) return Answers{{Reply(q, 0x40, {2})}};
        if (first.empty()) first = Reply(q, 0x40, {1});
        return Answers{{first}};
    });
    Open(module.port());
    const uint16_t id = Post(StatusRequest("127.0.0.1"));
    ASSERT_TRUE(Drain());
    // The same identifier again (as after the counter wraps), answered byte for byte as
    // before: the copy is dropped.
    auto again = ReadMemoryRequest("127.0.0.1", 1, 1);
    again->identifier = id;
    again->request[0] = static_cast<uint8_t>(id);
    again->request[1] = static_cast<uint8_t>(id >> 8);
    Post(std::move(again));
    Post(ReadMemoryRequest("127.0.0.1", 2, 1));
    ASSERT_TRUE(Drain());
    ASSERT_EQ(answered.size(), 2u);
    EXPECT_EQ(answered[1].address, 2);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].identifier, id);
    EXPECT_EQ(failed[0].state, kUdpTimedOut);
}

TEST_F(ChannelTest, StopEndsTheWorkerAndTheNextRequestStartsAnother) {
    test::ScriptedUdpPeer module([](const Bytes& q) { return Answers{{Reply(q, 0x40)}}; });
    Open(module.port());
    for (int round = 0; round < 2; ++round) {
        Post(StatusRequest("127.0.0.1"));
        EXPECT_TRUE(channel->IsWorkerRunning());
        ASSERT_TRUE(Drain());
        channel->StopUdpChannel();
        ASSERT_TRUE(host.PumpUntil([this] { return !channel->IsWorkerRunning(); }, 5s));
    }
    EXPECT_EQ(answered.size(), 2u);
}

} // namespace
} // namespace pontra
