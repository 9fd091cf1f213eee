// SPDX-License-Identifier: GPL-3.0-or-later
// A step-driven TFTP client (octet mode, "tsize" option) for program images. A start
// call sends the request; the caller then calls Step, updating its progress display
// between steps, until the result is kTftpFinished or kTftpFailed. Uploads carry the
// CRC-16/MODBUS of the file after it, which the module checks. Each transfer uses a
// fresh client; nothing throws, every failure leaves its text in GetErrorText().
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "comm/Ports.h"
#include "comm/SocketPlatform.h"
#include "comm/TftpPacket.h"

namespace pontra {

constexpr int kTftpFailed = 1;
constexpr int kTftpInProgress = 2;
constexpr int kTftpFinished = 3;

constexpr int kTftpWaitMs = 5000; // for each reply
constexpr int kTftpTries = 4;     // sends of one request or block before "No answer."
// The largest file sent or taken; program images are tens of kilobytes, and 16-bit block
// numbers reach 32 MB. A peer that sends on and on is cut off here.
constexpr long kTftpMaxFile = 16L * 1024 * 1024;

// The checks on what a peer sends, apart from the socket.
// Whether `packet` acknowledges `block`: an ACK of exactly 4 bytes with that number, or
// an error packet with code 10, which modules send instead of the last ACK. Otherwise
// `error` says what came instead: "#code:text" for an error packet, else "No ACK found.".
bool IsAcknowledgement(const TftpPacket& packet, uint32_t block, std::string& error);
// Whether `packet` is DATA block `block` that may follow `offset` bytes received: `count`
// is its payload length. Otherwise "Can't get data." (not that block) or "Can't copy
// data." (too long, or the file would pass kTftpMaxFile) in `error`.
bool CheckDataPacket(const TftpPacket& packet, uint32_t block, uint32_t offset, size_t& count, std::string& error);

class CTftpClient {
public:
    CTftpClient() = default;
    ~CTftpClient();
    CTftpClient(const CTftpClient&) = delete;
    CTftpClient& operator=(const CTftpClient&) = delete;

    // Downloads `remoteName` from ip:port into `localPath`.
    int StartReceive(const std::string& localPath, const std::string& remoteName, const std::string& ip,
                     uint16_t port = TftpPort());
    // Uploads `localPath` plus its CRC. With `requestOnly` only the write request (tsize 0)
    // is sent and acknowledged, and the result is kTftpFinished at once.
    int StartSend(const std::string& localPath, const std::string& remoteName, const std::string& ip,
                  uint16_t port = TftpPort(), bool requestOnly = false);
    // One block of the transfer under way.
    int Step();
    void Close();

    uint32_t GetBytesDone() const { return offset_; }
    const std::string& GetErrorText() const { return errorText_; }
    // Bytes an upload sends (file and CRC); 0 for downloads.
    size_t GetDataLength() const { return data_.size(); }

    // The wait for each reply (whole seconds count). Tests shorten it.
    void SetReplyTimeout(int milliseconds) { waitMs_ = milliseconds; }

private:
    enum State { kIdle = 1, kReceiving = 2, kSending = 3 };

    void SetError(const std::string& text);
    bool OpenSocket(const std::string& ip, uint16_t port);
    bool SendPacket(const TftpPacket& packet);
    bool ReceivePacket(TftpPacket& packet, int timeoutMs);
    bool WaitForAck(uint32_t block);
    // Sends `packet` and waits for the acknowledgement of `block`, up to kTftpTries times.
    bool SendUntilAcknowledged(const TftpPacket& packet, uint32_t block);
    bool ReadUpload(const std::string& localPath);
    int StepSend();
    int StepReceive();

    std::string errorText_;
    std::FILE* file_ = nullptr;
    uint32_t block_ = 0;
    uint32_t offset_ = 0;
    State state_ = kIdle;
    TftpPacket lastSent_;
    SocketHandle socket_ = kNoSocket;
    uint32_t peerAddress_ = 0;
    uint16_t peerPort_ = 0;
    std::vector<uint8_t> data_;
    int waitMs_ = kTftpWaitMs;
};

} // namespace pontra
