// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TftpServer.h"

#include <sys/socket.h>

namespace pontra::sim {

namespace {
constexpr int kRequestsPerWake = 16;
}  // namespace

bool TftpServer::Open(uint32_t address, uint16_t port, std::string& error) {
    address_ = address;
    server_ = BindUdp(address, port, error);
    return server_.Valid();
}

void TftpServer::Attach(EventLoop& loop) {
    loop_ = &loop;
    loop.Watch(server_.Get(), false, [this](short) { OnRequest(); });
}

void TftpServer::OnRequest() {
    for (int k = 0; k < kRequestsPerWake; ++k) {
        uint8_t buffer[kTftpMaxPacket + 1];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = ::recvfrom(server_.Get(), buffer, sizeof buffer, MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) return;
        if (static_cast<size_t>(n) > kTftpMaxPacket) continue;  // cut short by the buffer: not ours
        service_.OnRequest({buffer, static_cast<size_t>(n)}, from, NowMs());
    }
}

void TftpServer::OnPacket(uint32_t id) {
    const auto fd = transfers_.find(id);
    if (fd == transfers_.end()) return;
    uint8_t buffer[kTftpMaxPacket + 1];
    const ssize_t n = ::recv(fd->second.Get(), buffer, sizeof buffer, MSG_TRUNC);
    if (n < 0 || static_cast<size_t>(n) > kTftpMaxPacket) return;
    service_.OnPacket(id, {buffer, static_cast<size_t>(n)}, NowMs());
}

void TftpServer::SendFromServer(const sockaddr_in& to, std::span<const uint8_t> packet) {
    ::sendto(server_.Get(), packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

bool TftpServer::OpenTransfer(uint32_t id, const sockaddr_in& peer) {
    std::string error;
    Fd fd = BindUdp(address_, 0, error);
    if (!fd.Valid() || ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) return false;
    if (!loop_->Watch(fd.Get(), false, [this, id](short) { OnPacket(id); })) return false;
    transfers_[id] = std::move(fd);
    return true;
}

void TftpServer::SendOnTransfer(uint32_t id, std::span<const uint8_t> packet) {
    const auto fd = transfers_.find(id);
    if (fd != transfers_.end()) ::send(fd->second.Get(), packet.data(), packet.size(), MSG_NOSIGNAL);
}

void TftpServer::CloseTransfer(uint32_t id) {
    const auto fd = transfers_.find(id);
    if (fd == transfers_.end()) return;
    loop_->Unwatch(fd->second.Get());
    transfers_.erase(fd);
}

}  // namespace pontra::sim
