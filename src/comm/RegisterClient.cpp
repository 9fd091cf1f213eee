// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/RegisterClient.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "comm/Ping.h"
#include "comm/Printf.h"

namespace pontra {

namespace {

constexpr int kRetryPauseMs = 70;      // between the attempts of one request
constexpr int kReconnectPauseMs = 500; // before the second reconnect of a read
constexpr int kPingTries = 3;
constexpr int kPingTtl = 10;
constexpr int kPingTimeoutMs = 300;
constexpr int kPingSize = 32;
constexpr uint8_t kExceptionFlag = 0x80;
// Reply layout: transaction 0-1, length 4-5, function 7, byte count 8, data from 9.
constexpr size_t kReplyDataOffset = 9;

uint16_t Word(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

void PutWord(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

} // namespace

uint16_t NextTransactionId() {
    static std::atomic<uint16_t> counter{1};
    return counter.fetch_add(1);
}

std::array<uint8_t, kRequestFrameSize> BuildReadRequest(uint16_t transaction, int reg, int count) {
    std::array<uint8_t, kRequestFrameSize> frame{};
    PutWord(&frame[0], transaction);
    PutWord(&frame[2], 0);
    PutWord(&frame[4], 4);
    frame[6] = 1;
    frame[7] = kReadHoldingRegisters;
    PutWord(&frame[8], static_cast<uint16_t>(reg - 1));
    PutWord(&frame[10], static_cast<uint16_t>(reg == 1 && count == 1 ? 2 : count));
    return frame;
}

TransactReply CRegisterClient::Transact(const uint8_t* request, size_t length, int attempts) {
    const unsigned transaction = length >= 2 ? Word(request) : 0;
    const auto sendingTimeOut = [&] {
        return Printf("TimeOut - sending transID: 0x%04X to node \"%s\".", transaction,
                      NodeAddress().c_str());
    };
    if (!IsOpen()) {
        SetLastError(Printf("Connection to Module  \"%s\" was broken.", NodeAddress().c_str()));
        throw CBlockingSocketException(LastError());
    }
    TransactReply reply;
    reply.bytes.assign(kReplyBufferSize, 0);
    SetLastError("");
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::unique_lock lock(section_);
        bool sent = IsOpen();
        if (sent) {
            // Whatever an earlier, abandoned exchange left behind is not our reply.
            try {
                Receive(reply.bytes.data(), kReplyBufferSize, 0);
            } catch (const CBlockingSocketException&) {
            }
            std::fill(reply.bytes.begin(), reply.bytes.end(), 0);
            try {
                Write(request, length, static_cast<int>(timeout));
            } catch (const CBlockingSocketException&) {
                sent = false;
            }
        }
        if (!sent) {
            lock.unlock();
            SetLastError(sendingTimeOut());
            Close();
            throw CBlockingSocketException(LastError());
        }

        const uint32_t sentAt = TickCount();
        std::string text;
        int code = 0;
        try {
            Touch();
            reply.length = Receive(reply.bytes.data(), kReplyBufferSize, static_cast<int>(timeout));
            Touch();
            if (reply.length > 0) return reply;
            lock.unlock();
        } catch (const CBlockingSocketException& e) {
            Touch();
            lock.unlock();
            text = e.Operation();
            code = e.ErrorCode();
        }
        if (code == kSockErrConnectionReset ||
            (code != kSockErrMessageTooLong && !text.empty() && text != "Receive timeout")) {
            Close();
            SetLastError(Printf("Receive error: (#%d,\"%s\") on requestID: 0x%04X !\n", code, text.c_str(),
                                transaction));
            throw CBlockingSocketException(LastError());
        }
        if (code == kSockErrMessageTooLong)
            SetLastError(Printf("Receive error: \"%s\" on requestID: 0x%04X !\n", text.c_str(), transaction));
        else if (text == "Receive timeout")
            SetLastError(Printf("Receive timeout of %d ms. on requestID: 0x%04X !\n",
                                static_cast<int>(TickCount() - sentAt), transaction));
        if (attempt + 1 < attempts) SleepMs(kRetryPauseMs);
    }
    if (LastError().empty()) SetLastError(sendingTimeOut());
    throw CBlockingSocketException(LastError());
}

ReadReplyKind CheckReadReply(const std::array<uint8_t, kRequestFrameSize>& request, const TransactReply& reply,
                             std::vector<uint16_t>& out, uint16_t& errorCode) {
    const uint8_t* r = reply.bytes.data();
    const size_t quantity = Word(&request[10]);
    // The reply buffer always holds kReplyBufferSize bytes; `length` of them were received.
    if (reply.bytes.size() < kReplyBufferSize || reply.length < 2 ||
        static_cast<size_t>(reply.length) > reply.bytes.size() || Word(r) != Word(&request[0]))
        return ReadReplyKind::Mismatch;
    if (reply.length >= 8 && r[7] == request[7]) {
        // A reply cut short would otherwise pass zeros off as register values.
        if (static_cast<size_t>(reply.length) < kReplyDataOffset + 2 * quantity) return ReadReplyKind::Mismatch;
        out.assign(quantity, 0);
        std::memcpy(out.data(), r + kReplyDataOffset, 2 * quantity);
        return ReadReplyKind::Registers;
    }
    if (reply.length >= 8 && r[7] == (request[7] | kExceptionFlag)) {
        errorCode = Word(r + kReplyDataOffset);
        out.assign(quantity, 0);
        out[0] = errorCode;
        return ReadReplyKind::Exception;
    }
    return ReadReplyKind::Mismatch;
}

bool CRegisterClient::ReadRegisters(int reg, int count, std::vector<uint16_t>& out) {
    if (reg < 1 || reg > 65536 || count < 1 || count > kMaxRegisterCount) return false;
    const auto request = BuildReadRequest(NextTransactionId(), reg, count);
    const TransactReply reply = Transact(request.data(), request.size(), kAttempts);
    uint16_t errorCode = 0;
    switch (CheckReadReply(request, reply, out, errorCode)) {
    case ReadReplyKind::Registers: return true;
    case ReadReplyKind::Mismatch: return false;
    case ReadReplyKind::Exception: break;
    }
    const uint8_t* r = reply.bytes.data();
    throw CBlockingSocketException(
        Printf("Request: (trId:#0x%x,func:#0x%x,len:#%d,startAddr:#%d)\n\t\t\t\t\t\t\t\t\t\t"
               "Responce: (func:#0x%x,len:#%d,errCode:#0x%x)",
               Word(&request[0]), request[7], Word(&request[4]), Word(&request[8]), r[7], Word(r + 4), errorCode),
        1);
}

bool CRegisterClient::ReadModuleRegisters(int reg, int count, std::vector<uint16_t>& out) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            if (!ReadRegisters(reg, count, out)) return false;
            for (int i = 0; i < count; ++i) {
                const auto* bytes = reinterpret_cast<const uint8_t*>(&out[static_cast<size_t>(i)]);
                out[static_cast<size_t>(i)] = Word(bytes);
            }
            return true;
        } catch (const CBlockingSocketException&) {
            if (attempt == 1) break;
            const std::string node = NodeAddress();
            if (!ConnectModule(node)) {
                SleepMs(kReconnectPauseMs);
                ConnectModule(node);
            }
        }
    }
    return false;
}

bool CRegisterClient::ConnectModule(const std::string& ip) {
    if (PingAvailable()) {
        bool answered = false;
        PingResult result;
        for (int i = 0; i < kPingTries && !answered; ++i)
            answered = PingHost(ip, kPingTtl, kPingTimeoutMs, kPingSize, result);
        if (!answered) return false;
    }
    try {
        return Connect(ip, port_);
    } catch (const CBlockingSocketException&) {
        return false;
    }
}

} // namespace pontra
