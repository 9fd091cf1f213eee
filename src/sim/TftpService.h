// SPDX-License-Identifier: GPL-3.0-or-later
// The TFTP protocol of one module without its sockets: write and read requests of the
// program image "PlcData_.bin", the transfers they start, retransmission on silence and
// the end of abandoned transfers. The socket server (TftpServer) feeds it datagrams and
// time and sends what it asks for through a TftpLink; tests and the fuzz target feed it
// directly.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SoftModule.h"

namespace pontra::sim {

constexpr const char* kImageFileName = "PlcData_.bin";
constexpr size_t kTftpMaxPacket = 1024;  // longer datagrams are not TFTP packets of ours

// What the service does on the network. Every transfer runs on its own socket (its own
// transfer identifier), connected to its peer.
class TftpLink {
public:
    virtual ~TftpLink() = default;
    // Sends from the request port.
    virtual void SendFromServer(const sockaddr_in& to, std::span<const uint8_t> packet) = 0;
    // Opens the socket of transfer `id`; false when none can be opened.
    virtual bool OpenTransfer(uint32_t id, const sockaddr_in& peer) = 0;
    virtual void SendOnTransfer(uint32_t id, std::span<const uint8_t> packet) = 0;
    virtual void CloseTransfer(uint32_t id) = 0;
};

// A request packet: opcode, then NUL-terminated file name, mode and option name/value
// pairs. None when a field is unterminated or the name or mode is missing.
struct TftpRequest {
    uint16_t opcode = 0;
    std::string file, mode;
    std::optional<uint32_t> tsize;
};
std::optional<TftpRequest> ParseTftpRequest(std::span<const uint8_t> packet);

class TftpService {
public:
    TftpService(SoftModule& module, TftpLink& link) : module_(module), link_(link) {}
    TftpService(const TftpService&) = delete;
    TftpService& operator=(const TftpService&) = delete;

    // One datagram that arrived at the request port from `from`.
    void OnRequest(std::span<const uint8_t> packet, const sockaddr_in& from, uint64_t nowMs);
    // One datagram that arrived on the socket of transfer `id`.
    void OnPacket(uint32_t id, std::span<const uint8_t> packet, uint64_t nowMs);
    // Retransmits, ends finished and abandoned transfers; returns when it next needs to look.
    uint64_t OnTime(uint64_t nowMs);
    // The transfers that still take packets.
    std::vector<uint32_t> OpenTransfers() const;

private:
    struct Transfer {
        uint32_t id = 0;
        sockaddr_in peer{};
        bool write = false;
        bool finished = false;   // final answer sent; kept a while to answer a repeated last block
        bool deleteOnly = false; // write request with tsize 0
        bool closed = false;
        uint32_t block = 0;      // write: last block acknowledged; read: block in flight
        std::optional<uint32_t> tsize;
        std::vector<uint8_t> data;
        std::vector<uint8_t> last;  // last packet sent, for retransmission
        uint64_t deadline = 0;
        int retries = 0;
    };

    void StartWrite(const sockaddr_in& peer, std::optional<uint32_t> tsize, uint64_t nowMs);
    void StartRead(const sockaddr_in& peer, uint64_t nowMs);
    // Room for one more transfer, ending lingering finished ones first; false when
    // every place is taken by a transfer under way.
    bool MakeRoom();
    Transfer* NewTransfer(const sockaddr_in& peer, bool write);
    Transfer* Find(uint32_t id);
    void OnData(Transfer& t, uint16_t block, std::span<const uint8_t> payload, uint64_t nowMs);
    void OnAck(Transfer& t, uint16_t block, uint64_t nowMs);
    void FinishWrite(Transfer& t, uint64_t nowMs);
    void SendBlock(Transfer& t, uint64_t nowMs);
    void Send(Transfer& t, std::vector<uint8_t> packet, uint64_t nowMs, uint64_t waitMs);
    void Fail(Transfer& t, uint16_t code, std::string_view text);
    void Refuse(const sockaddr_in& to, uint16_t code, std::string_view text);

    SoftModule& module_;
    TftpLink& link_;
    uint32_t nextId_ = 1;
    std::vector<std::unique_ptr<Transfer>> transfers_;
};

}  // namespace pontra::sim
