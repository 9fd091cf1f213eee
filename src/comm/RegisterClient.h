// SPDX-License-Identifier: GPL-3.0-or-later
// The register protocol client: reads the module's identification registers with the
// Modbus/TCP "read holding registers" request (function 3) over a CBlockingSocket.
// Nothing is ever written through it. Before each connect the module is pinged so that
// an absent module fails in about a second instead of a connect time-out.
//
// Entry points for the online operations: ConnectModule, then ReadModuleRegisters; both
// report only true or false and leave the reason in LastError().
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "comm/BlockingSocket.h"
#include "comm/Ports.h"

namespace pontra {

constexpr size_t kRequestFrameSize = 12;
constexpr size_t kReplyBufferSize = 2048;
constexpr uint8_t kReadHoldingRegisters = 3;
// A reply of 125 registers is the most that fits one Modbus/TCP frame.
constexpr int kMaxRegisterCount = 125;

// The process-wide transaction counter: returns its value and moves it on (starts at 1,
// wraps at 65536). Safe from any thread.
uint16_t NextTransactionId();

// The 12-byte request: transaction, protocol 0, length 4 (what the modules expect,
// although 6 bytes follow it), unit 1, function 3, register - 1, quantity. Register 1
// with count 1 asks for 2 registers: the modules do not answer a single-register read
// of register 1.
std::array<uint8_t, kRequestFrameSize> BuildReadRequest(uint16_t transaction, int reg, int count);

struct TransactReply {
    std::vector<uint8_t> bytes; // kReplyBufferSize bytes, zero beyond `length`
    int length = 0;             // bytes received
};

enum class ReadReplyKind {
    Mismatch,   // not the reply to this request, or too short for its registers
    Registers,  // the registers asked for
    Exception,  // the module refused the request
};

// Checks a reply against the read request it should answer. Registers: `out` holds the
// quantity asked for, as received (big-endian). Exception: `errorCode` is the word at
// offset 9.
ReadReplyKind CheckReadReply(const std::array<uint8_t, kRequestFrameSize>& request, const TransactReply& reply,
                             std::vector<uint16_t>& out, uint16_t& errorCode);

class CRegisterClient : public CBlockingSocket {
public:
    static constexpr int kAttempts = 2;

    explicit CRegisterClient(uint16_t port = ModbusPort()) : port_(port) {}
    uint16_t Port() const { return port_; }

    // Sends one frame and returns the first reply read (one receive; replies are not
    // reassembled). Throws CBlockingSocketException with the last error text.
    TransactReply Transact(const uint8_t* request, size_t length, int attempts);
    // Reads `count` registers from `reg` (1-based) into `out` as received (big-endian),
    // sized to the quantity asked for. False when the reply does not belong to the
    // request or is too short for its registers; throws on failures and on an exception
    // reply (code 1).
    bool ReadRegisters(int reg, int count, std::vector<uint16_t>& out);
    // Two tries, reconnecting to the node address in between; `count` registers of
    // `out` in host order. False on any failure.
    bool ReadModuleRegisters(int reg, int count, std::vector<uint16_t>& out);
    // Pings (up to 3 times) and connects. False when neither answers.
    bool ConnectModule(const std::string& ip);

private:
    uint16_t port_;
};

} // namespace pontra
