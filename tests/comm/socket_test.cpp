// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "Peers.h"
#include "comm/BlockingSocket.h"

namespace pontra {
namespace {

std::string Failure(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const CBlockingSocketException& e) {
        return e.ErrorMessage();
    }
    return "no exception";
}

TEST(SocketException, MessageFormatsAndCut) {
    struct Case {
        const char* operation;
        int code;
        size_t buffer;
        const char* expected;
    } cases[] = {
        {"Connect", 10061, 64, "Connect error #10061"},
        {"Receive timeout", 0, 64, "Receive timeout error"},
        {"Send", 10054, 8, "Send er"},
    };
    for (const auto& c : cases) {
        ClearSocketError(); // a code of 0 takes the last socket error
        char buffer[64];
        EXPECT_TRUE(CBlockingSocketException(c.operation, c.code).GetErrorMessage(buffer, c.buffer));
        EXPECT_STREQ(buffer, c.expected);
    }
}

TEST(BlockingSocket, WholeSecondWaitsPeerCloseAndFailedConnects) {
    test::TcpPeer peer([](int fd, int) {
        test::SendAll(fd, test::ReadExactly(fd, 5));
        test::ReadExactly(fd, 1);
    });
    CBlockingSocket socket;
    ASSERT_TRUE(socket.Connect("127.0.0.1", peer.port()));
    char buffer[16] = {};
    // Under one second the wait only polls, and nothing is there yet.
    EXPECT_EQ(Failure([&] { socket.Receive(buffer, sizeof buffer, 999); }), "Receive timeout error");
    EXPECT_EQ(socket.Write("hello", 5, 3000), 5);
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer, 3000), 5);
    socket.Send("x", 1, 3000);
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer, 3000), 0); // closed by the peer: no exception
    socket.Close();
    socket.Close();

    // Refused, and a name where only dotted text is taken.
    const uint16_t closed = test::TcpPeer([](int, int) {}).port();
    EXPECT_EQ(Failure([&] { socket.Connect("127.0.0.1", closed); }), "Connect error #10061");
    EXPECT_EQ(Failure([&] { socket.Connect("localhost", peer.port()); }), "Connect error #10049");
    EXPECT_FALSE(socket.IsOpen());
}

} // namespace
} // namespace pontra
