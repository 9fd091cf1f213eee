// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/TftpClient.h"

#include <sys/socket.h>

#include <algorithm>
#include <mutex>
#include <new>

#include "comm/Crc16.h"
#include "comm/Printf.h"

namespace pontra {

namespace {

constexpr size_t kMaxErrorText = 1023;
constexpr int kReceiveFailuresAllowed = 3;
const char* const kNoAnswer = "No answer.";

// Uploads from several download threads read their files and compute their CRCs one at
// a time.
std::mutex& CrcLock() {
    static std::mutex lock;
    return lock;
}

} // namespace

CTftpClient::~CTftpClient() {
    Close();
}

void CTftpClient::Close() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (socket_ != kNoSocket) {
        CloseSocket(socket_);
        socket_ = kNoSocket;
    }
    state_ = kIdle;
    data_.clear();
    data_.shrink_to_fit();
}

void CTftpClient::SetError(const std::string& text) {
    // "No answer." only says the retries ran out; the reason found earlier stays.
    if (text == kNoAnswer && !errorText_.empty()) return;
    errorText_ = text.substr(0, kMaxErrorText);
}

bool CTftpClient::OpenSocket(const std::string& ip, uint16_t port) {
    peerAddress_ = InetAddr(ip);
    peerPort_ = port;
    // Text that is no address would stand for the broadcast address.
    if (peerAddress_ == 0xFFFFFFFF) return false;
    socket_ = pontra::OpenSocket(SOCK_DGRAM);
    return socket_ != kNoSocket;
}

bool CTftpClient::SendPacket(const TftpPacket& packet) {
    if (socket_ == kNoSocket) {
        SetError("(Send)Not connected.");
        return false;
    }
    if (!packet.IsValid()) {
        SetError("(Send)Invalid packet.");
        return false;
    }
    if (packet.Length() == 0) return true;
    const long sent =
        SendDatagram(socket_, packet.Data(), static_cast<size_t>(packet.Length()), peerAddress_, peerPort_);
    if (sent != packet.Length()) {
        SetError(Printf("Sent only %i bytes (from %i).", static_cast<int>(sent), packet.Length()));
        return false;
    }
    return true;
}

bool CTftpClient::ReceivePacket(TftpPacket& packet, int timeoutMs) {
    packet.Clear();
    const int ready = WaitSocket(socket_, false, timeoutMs / 1000 * 1000);
    if (ready < 0) {
        SetError("Select error.");
        return false;
    }
    if (ready == 0) {
        SetError("Read wait timeout.");
        return false;
    }
    const long n = ReceiveDatagram(socket_, packet.Buffer(), kTftpPacketSize, peerAddress_, peerPort_);
    if (n == 0) {
        SetError("Connection Closed.");
        return false;
    }
    if (n < 0) {
        SetError("recv error.");
        return false;
    }
    packet.SetLength(n);
    return true;
}

bool IsAcknowledgement(const TftpPacket& packet, uint32_t block, std::string& error) {
    const uint16_t opcode = packet.Opcode();
    if (packet.Length() == 4 && opcode == kTftpAck && packet.WordAt(2) == static_cast<uint16_t>(block)) return true;
    if (packet.Length() > 4 && opcode == kTftpError && packet.WordAt(2) == kTftpErrorCountsAsAck) return true;
    if (packet.Length() >= 4 && opcode == kTftpError)
        error = Printf("#%i:%s", static_cast<int>(packet.WordAt(2)), packet.ErrorMessage().c_str());
    else
        error = "No ACK found.";
    return false;
}

bool CheckDataPacket(const TftpPacket& packet, uint32_t block, uint32_t offset, size_t& count, std::string& error) {
    if (packet.Length() < 4 || packet.Opcode() != kTftpData || packet.WordAt(2) != static_cast<uint16_t>(block)) {
        error = "Can't get data.";
        return false;
    }
    count = static_cast<size_t>(packet.Length() - 4);
    if (count > kTftpBlockSize || offset + count > static_cast<size_t>(kTftpMaxFile)) {
        error = "Can't copy data.";
        return false;
    }
    return true;
}

bool CTftpClient::WaitForAck(uint32_t block) {
    TftpPacket packet;
    if (!ReceivePacket(packet, waitMs_)) return false;
    std::string error;
    if (IsAcknowledgement(packet, block, error)) return true;
    SetError(error);
    return false;
}

bool CTftpClient::SendUntilAcknowledged(const TftpPacket& packet, uint32_t block) {
    for (int attempt = 0; attempt < kTftpTries; ++attempt) {
        if (!SendPacket(packet)) return false;
        if (WaitForAck(block)) return true;
    }
    SetError(kNoAnswer);
    return false;
}

int CTftpClient::StartReceive(const std::string& localPath, const std::string& remoteName,
                              const std::string& ip, uint16_t port) {
    Close();
    if (!OpenSocket(ip, port)) {
        SetError("Could not create socket.");
        return kTftpFailed;
    }
    file_ = std::fopen(localPath.c_str(), "wb");
    if (!file_) {
        SetError("Can't open file.");
        return kTftpFailed;
    }
    if (!lastSent_.MakeRequest(kTftpReadRequest, remoteName, 0)) {
        SetError("Can't create write req.");
        return kTftpFailed;
    }
    if (!SendPacket(lastSent_)) return kTftpFailed;
    block_ = 1;
    offset_ = 0;
    state_ = kReceiving;
    return kTftpInProgress;
}

bool CTftpClient::ReadUpload(const std::string& localPath) {
    std::lock_guard lock(CrcLock());
    std::FILE* file = std::fopen(localPath.c_str(), "rb");
    if (!file) {
        SetError("Can't open file.");
        return false;
    }
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::rewind(file);
    if (size < 0 || size > kTftpMaxFile) {
        std::fclose(file);
        SetError(size < 0 ? "File read error" : "no enouph memory!!!");
        return false;
    }
    try {
        data_.assign(static_cast<size_t>(size) + 2, 0);
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        SetError("no enouph memory!!!");
        return false;
    }
    const size_t read = std::fread(data_.data(), 1, static_cast<size_t>(size), file);
    const bool failed = read != static_cast<size_t>(size) || std::ferror(file);
    std::fclose(file);
    if (failed) {
        data_.clear();
        SetError("File read error");
        return false;
    }
    const uint16_t crc = Crc16Modbus(data_.data(), static_cast<size_t>(size));
    data_[static_cast<size_t>(size)] = static_cast<uint8_t>(crc);
    data_[static_cast<size_t>(size) + 1] = static_cast<uint8_t>(crc >> 8);
    return true;
}

int CTftpClient::StartSend(const std::string& localPath, const std::string& remoteName, const std::string& ip,
                           uint16_t port, bool requestOnly) {
    Close();
    if (!OpenSocket(ip, port)) {
        SetError("Could not create socket.");
        return kTftpFailed;
    }
    if (!ReadUpload(localPath)) return kTftpFailed;
    if (requestOnly) data_.clear();
    if (!lastSent_.MakeRequest(kTftpWriteRequest, remoteName, static_cast<long>(data_.size()))) {
        SetError("Can't create read req.");
        return kTftpFailed;
    }
    if (!SendUntilAcknowledged(lastSent_, 0)) return kTftpFailed;
    block_ = 1;
    offset_ = 0;
    state_ = kSending;
    return requestOnly ? kTftpFinished : kTftpInProgress;
}

int CTftpClient::Step() {
    if (state_ == kSending) return StepSend();
    if (state_ == kReceiving) return StepReceive();
    SetError("Not started.");
    return kTftpFailed;
}

int CTftpClient::StepSend() {
    errorText_.clear();
    if (socket_ == kNoSocket) {
        SetError("Not connected.");
        return kTftpFailed;
    }
    const size_t left = data_.size() > offset_ ? data_.size() - offset_ : 0;
    const size_t chunk = std::min<size_t>(kTftpBlockSize, left);
    TftpPacket packet;
    packet.MakeData(block_, data_.data() + offset_, chunk);
    lastSent_ = packet;
    if (!SendUntilAcknowledged(packet, block_)) return kTftpFailed;
    offset_ += static_cast<uint32_t>(chunk);
    ++block_;
    if (chunk < kTftpBlockSize || offset_ >= data_.size()) {
        state_ = kIdle;
        return kTftpFinished;
    }
    return kTftpInProgress;
}

int CTftpClient::StepReceive() {
    if (socket_ == kNoSocket) {
        SetError("Not connected.");
        return kTftpFailed;
    }
    if (!file_) {
        SetError("File not opened.");
        return kTftpFailed;
    }
    TftpPacket packet;
    for (int failures = 0; !ReceivePacket(packet, waitMs_);) {
        if (++failures == kReceiveFailuresAllowed) {
            SetError("Can't get packet.");
            return kTftpFailed;
        }
        // Our last request or acknowledgement may have been lost: say it again.
        if (!SendPacket(lastSent_)) return kTftpFailed;
    }
    size_t count = 0;
    std::string error;
    if (!CheckDataPacket(packet, block_, offset_, count, error)) {
        SetError(error);
        return kTftpFailed;
    }
    const size_t written = std::fwrite(packet.Data() + 4, 1, count, file_);
    if (written < count) {
        SetError("fwrite error");
        return kTftpFailed;
    }
    if (std::ferror(file_)) {
        SetError("File write error");
        return kTftpFailed;
    }
    offset_ += static_cast<uint32_t>(count);
    lastSent_.MakeAck(block_);
    ++block_;
    if (!SendPacket(lastSent_)) return kTftpFailed;
    if (count < kTftpBlockSize) {
        std::fclose(file_);
        file_ = nullptr;
        state_ = kIdle;
        return kTftpFinished;
    }
    return kTftpInProgress;
}

} // namespace pontra
