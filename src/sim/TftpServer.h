// The TFTP server of one module: writes and reads of the program image "PlcData_.bin".
// Every transfer runs on its own socket (its own transfer identifier), is retransmitted
// on silence and abandoned after a bounded number of tries.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/Net.h"
#include "sim/SoftModule.h"

namespace pontra::sim {

constexpr const char* kImageFileName = "PlcData_.bin";

class TftpServer {
public:
    explicit TftpServer(SoftModule& module) : module_(module) {}
    bool Open(uint32_t address, uint16_t port, std::string& error);
    // Serves from now on through `loop`.
    void Attach(EventLoop& loop);
    // Retransmits, ends finished and abandoned transfers; returns when it next needs to look.
    uint64_t OnTime(uint64_t nowMs);

private:
    struct Transfer {
        Fd fd;
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

    void OnRequest();
    void StartWrite(const sockaddr_in& peer, std::optional<uint32_t> tsize);
    void StartRead(const sockaddr_in& peer);
    // Room for one more transfer, ending lingering finished ones first; false when
    // every place is taken by a transfer under way.
    bool MakeRoom();
    Transfer* NewTransfer(const sockaddr_in& peer, bool write);
    void OnPacket(Transfer& t);
    void OnData(Transfer& t, uint16_t block, std::span<const uint8_t> payload);
    void OnAck(Transfer& t, uint16_t block);
    void FinishWrite(Transfer& t);
    void SendBlock(Transfer& t);
    void Send(Transfer& t, std::vector<uint8_t> packet, uint64_t waitMs);
    void Fail(Transfer& t, uint16_t code, std::string_view text);
    void Refuse(const sockaddr_in& to, uint16_t code, std::string_view text);

    SoftModule& module_;
    EventLoop* loop_ = nullptr;
    uint32_t address_ = 0;
    Fd server_;
    std::vector<std::unique_ptr<Transfer>> transfers_;
};

}  // namespace pontra::sim
