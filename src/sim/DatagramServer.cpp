// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/DatagramServer.h"

#include <sys/socket.h>

#include <vector>

namespace pontra::sim {

namespace {
constexpr size_t kMaxDatagram = 1024;  // longer requests are dropped, as the IDE drops longer replies
constexpr int kBatch = 32;             // datagrams handled per wake, so the scan keeps its pace
}  // namespace

bool DatagramServer::Open(uint32_t address, uint16_t port, std::string& error) {
    socket_ = BindUdp(address, port, error);
    return socket_.Valid();
}

void DatagramServer::Attach(EventLoop& loop) {
    loop.Watch(socket_.Get(), false, [this](short) { Receive(); });
}

void DatagramServer::Receive() {
    std::vector<uint8_t> reply;
    for (int k = 0; k < kBatch; ++k) {
        uint8_t buffer[kMaxDatagram + 1];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = ::recvfrom(socket_.Get(), buffer, sizeof buffer, MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) return;
        if (static_cast<size_t>(n) > kMaxDatagram) {
            module_.Log("datagram dropped: " + std::to_string(n) + " bytes");
            continue;
        }
        if (!module_.HandleDatagram({buffer, static_cast<size_t>(n)}, reply, NowMs())) {
            module_.Log("datagram dropped: too short");
            continue;
        }
        ::sendto(socket_.Get(), reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&from), len);
    }
}

}  // namespace pontra::sim
