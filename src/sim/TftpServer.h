// SPDX-License-Identifier: GPL-3.0-or-later
// The TFTP server of one module: the request port and one socket per transfer, feeding
// the socket-free TftpService.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "sim/Net.h"
#include "sim/SoftModule.h"
#include "sim/TftpService.h"

namespace pontra::sim {

class TftpServer : private TftpLink {
public:
    explicit TftpServer(SoftModule& module) : service_(module, *this) {}
    bool Open(uint32_t address, uint16_t port, std::string& error);
    // Serves from now on through `loop`.
    void Attach(EventLoop& loop);
    // Retransmits, ends finished and abandoned transfers; returns when it next needs to look.
    uint64_t OnTime(uint64_t nowMs) { return service_.OnTime(nowMs); }

private:
    void OnRequest();
    void OnPacket(uint32_t id);

    void SendFromServer(const sockaddr_in& to, std::span<const uint8_t> packet) override;
    bool OpenTransfer(uint32_t id, const sockaddr_in& peer) override;
    void SendOnTransfer(uint32_t id, std::span<const uint8_t> packet) override;
    void CloseTransfer(uint32_t id) override;

    EventLoop* loop_ = nullptr;
    uint32_t address_ = 0;
    Fd server_;
    std::map<uint32_t, Fd> transfers_;
    TftpService service_;
};

}  // namespace pontra::sim
