// SPDX-License-Identifier: GPL-3.0-or-later
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <regex>
#include <set>

#include "Peers.h"
#include "comm/Ping.h"
#include "comm/Printf.h"
#include "comm/RegisterClient.h"

namespace pontra {
namespace {

using test::Bytes;
using Registers = std::vector<uint16_t>;

// A read reply to `request` carrying `registers`, with function code `function`.
Bytes Reply(const Bytes& request, const Registers& registers, uint8_t function = 3) {
    const auto n = static_cast<uint8_t>(2 * registers.size());
    Bytes reply = {request[0], request[1], 0, 0, 0, static_cast<uint8_t>(3 + n), 1, function, n};
    for (uint16_t r : registers)
        reply.insert(reply.end(), {static_cast<uint8_t>(r >> 8), static_cast<uint8_t>(r)});
    return reply;
}

// Answers each request of each connection with `answer(request, connection number)`.
test::TcpPeer Module(std::function<Bytes(const Bytes&, int)> answer) {
    return test::TcpPeer([answer](int fd, int number) {
        for (Bytes q; !(q = test::ReadExactly(fd, kRequestFrameSize)).empty();)
            test::SendAll(fd, answer(q, number));
    });
}

TEST(RegisterFrames, ExactBytesAndUniqueTransactions) {
    struct Case {
        int reg, count;
        Bytes expected;
    } cases[] = {
        {1, 1, {0x12, 0x34, 0, 0, 0, 4, 1, 3, 0, 0, 0, 2}}, // register 1 alone is read as two
        {1, 3, {0x12, 0x34, 0, 0, 0, 4, 1, 3, 0, 0, 0, 3}},
        {511, 1, {0x12, 0x34, 0, 0, 0, 4, 1, 3, 0x01, 0xFE, 0, 1}},
    };
    for (const auto& c : cases) {
        const auto frame = BuildReadRequest(0x1234, c.reg, c.count);
        EXPECT_EQ(Bytes(frame.begin(), frame.end()), c.expected) << c.reg << "," << c.count;
    }
    std::vector<uint16_t> ids[4];
    std::vector<std::thread> threads;
    for (auto& list : ids)
        threads.emplace_back([&list] {
            for (int i = 0; i < 10000; ++i) list.push_back(NextTransactionId());
        });
    for (auto& t : threads) t.join();
    std::set<uint16_t> distinct;
    for (const auto& list : ids) distinct.insert(list.begin(), list.end());
    EXPECT_EQ(distinct.size(), 40000u);
}

TEST(RegisterClient, ReadsFromLibmodbusServer) {
    test::ModbusServer server(600, [](int reg) { return static_cast<uint16_t>(reg * 0x0101); });
    CRegisterClient client(server.port());
    ASSERT_TRUE(client.ConnectModule("127.0.0.1"));
    Registers out;
    ASSERT_TRUE(client.ReadModuleRegisters(17, 2, out));
    EXPECT_EQ(out, (Registers{0x1111, 0x1212}));
    ASSERT_TRUE(client.ReadModuleRegisters(1, 1, out));
    EXPECT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], 0x0101);
    // Beyond its registers libmodbus answers with an exception, on both tries.
    EXPECT_FALSE(client.ReadModuleRegisters(601, 1, out));
    ASSERT_TRUE(client.ReadModuleRegisters(511, 1, out));
    EXPECT_EQ(out[0], static_cast<uint16_t>(511 * 0x0101));
}

TEST(RegisterClient, ReplyFaultsAndTheReconnectRule) {
    struct Case {
        const char* name;
        std::function<Bytes(const Bytes&, int)> answer;
        bool read;
        int connections;
    } cases[] = {
        {"wrong transaction",
         [](const Bytes& q, int) {
             return Reply({q[0], static_cast<uint8_t>(q[1] ^ 1)}, {0xA1B2, 2});
         },
         false, 1},
        {"cut short", [](const Bytes& q, int) { return Reply(q, {0xA1B2}); }, false, 1},
        {"exception, then right on a new connection",
         [](const Bytes& q, int n) {
             return n == 0 ? Reply(q, {0x0102}, 0x83) : Reply(q, {0xA1B2, 2});
         },
         true, 2},
        {"an oversized reply, drained before the second try",
         [](const Bytes& q, int) {
             Bytes r = Reply(q, {0xA1B2, 2});
             r.resize(3000, 0xEE);
             return r;
         },
         true, 1},
    };
    for (const auto& c : cases) {
        auto module = Module(c.answer);
        CRegisterClient client(module.port());
        ASSERT_TRUE(client.ConnectModule("127.0.0.1"));
        Registers out;
        for (int read = 0; read < 2; ++read) {
            EXPECT_EQ(client.ReadModuleRegisters(17, 2, out), c.read) << c.name;
            EXPECT_TRUE(!c.read || out == (Registers{0xA1B2, 2})) << c.name;
        }
        client.Close();
        EXPECT_EQ(module.connections(), c.connections) << c.name;
    }
}

TEST(RegisterClient, ExceptionReplyText) {
    auto module =
        Module([](const Bytes& q, int) { return Bytes{q[0], q[1], 0, 0, 0, 3, 1, 0x83, 2, 0x12, 0x34}; });
    CRegisterClient client(module.port());
    ASSERT_TRUE(client.ConnectModule("127.0.0.1"));
    Registers out;
    try {
        client.ReadRegisters(17, 2, out);
        FAIL() << "no exception";
    } catch (const CBlockingSocketException& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_THAT(e.Operation(),
                    testing::MatchesRegex("Request: \\(trId:#0x[0-9a-f]+,func:#0x3,len:#4,startAddr:#16\\)"
                                          "\n\t\t\t\t\t\t\t\t\t\tResponce: \\(func:#0x83,len:#3,"
                                          "errCode:#0x1234\\)"));
        EXPECT_EQ(out.at(0), 0x1234);
    }
}

TEST(RegisterClient, FailureTexts) {
    // Modules that never answer, close their side after each request, or reset.
    std::atomic<int> tid[3] = {}; // the last transaction each saw
    const auto request = [&](int fd, int peer) {
        Bytes q = test::ReadExactly(fd, kRequestFrameSize);
        if (!q.empty()) tid[peer] = q[0] << 8 | q[1];
        return !q.empty();
    };
    test::TcpPeer silent([&](int fd, int) {
        while (request(fd, 0))
            ;
    });
    test::TcpPeer closing([&](int fd, int) {
        while (request(fd, 1)) shutdown(fd, SHUT_WR);
    });
    test::TcpPeer resetting([&](int fd, int) {
        request(fd, 2);
        test::ResetOnClose(fd);
    });
    const auto failure = [](CRegisterClient& client) {
        Registers out;
        EXPECT_THROW(client.ReadRegisters(17, 2, out), CBlockingSocketException);
        return client.LastError();
    };

    CRegisterClient timing(silent.port());
    timing.timeout = 1000;
    ASSERT_TRUE(timing.ConnectModule("127.0.0.1"));
    const auto start = std::chrono::steady_clock::now();
    const std::string timedOut = failure(timing);
    const auto took = std::chrono::steady_clock::now() - start;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(timedOut, m,
                                 std::regex("Receive timeout of (\\d+) ms\\. on requestID: 0x(....) !\n")))
        << timedOut;
    EXPECT_GE(std::stoi(m[1]), 990); // timer jitter of a shared machine
    EXPECT_EQ(std::stoi(m[2], nullptr, 16), tid[0]);
    // Two attempts of one whole second each, 70 ms apart, and not much more.
    EXPECT_GE(took, std::chrono::milliseconds(2050));
    EXPECT_LT(took, std::chrono::seconds(5));

    CRegisterClient closed(closing.port());
    ASSERT_TRUE(closed.ConnectModule("127.0.0.1"));
    std::string text = failure(closed);
    EXPECT_EQ(text, Printf("TimeOut - sending transID: 0x%04X to node \"127.0.0.1\".", tid[1].load()));

    CRegisterClient reset(resetting.port());
    ASSERT_TRUE(reset.ConnectModule("127.0.0.1"));
    text = failure(reset);
    EXPECT_EQ(text, Printf("Receive error: (#10054,\"Receive\") on requestID: 0x%04X !\n", tid[2].load()));
    EXPECT_EQ(failure(reset), "Connection to Module  \"127.0.0.1\" was broken.");
}

TEST(RegisterClient, PingAndConnectModule) {
    if (!PingAvailable()) GTEST_SKIP() << "no ICMP socket for this user";
    PingResult result;
    const std::string host = test::RandomLoopback();
    ASSERT_TRUE(PingHost(host, 10, 300, 32, result));
    EXPECT_EQ(DottedAddress(result.address), host);
    // A name is resolved for the ping, but the connect takes dotted text only.
    auto module = Module([](const Bytes& q, int) { return Reply(q, {1}); });
    CRegisterClient client(module.port());
    ASSERT_TRUE(PingHost("localhost", 10, 300, 32, result));
    EXPECT_FALSE(client.ConnectModule("localhost"));
    EXPECT_EQ(module.connections(), 0);
}

} // namespace
} // namespace pontra
