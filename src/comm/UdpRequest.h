// SPDX-License-Identifier: GPL-3.0-or-later
// One request of the datagram channel: the datagram sent to the module's datagram port,
// its reply, and where it stands. Every 16-bit field of the datagram is little-endian:
//
//   0 identifier | 2 command | 4 length (bytes after offset 8) | 6 zero |
//   8 address    | 10 count or bit number | 12 data ...
//
// A reply repeats the identifier at 0; byte 2 has 0x40 set for success or 0x80 for an
// error; its data follows from offset 8.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace pontra {

enum UdpCommand : uint16_t {
    kUdpReadMemory = 1,  // count bytes (at most 1000) from address
    kUdpWriteMemory = 2, // count data bytes to address
    kUdpSetBit = 3,      // address (a multiple of 4), bit number 0-31
    kUdpClearBit = 4,
    kUdpReadStatus = 5, // the runtime status block; 8-byte datagram
    kUdpSetMode = 6,    // one 16-bit value: 0 program mode, 1 run mode
};

enum UdpState : uint32_t {
    kUdpQueued = 1,
    kUdpSent = 2,
    kUdpAnswered = 4,
    kUdpErrorReply = 5,
    kUdpSendFailed = 0x8001,
    kUdpTimedOut = 0x8002,
};

constexpr size_t kUdpDatagramSize = 1024; // the largest request or reply
constexpr size_t kUdpHeaderSize = 8;
constexpr size_t kUdpMaxDestination = 27;
constexpr uint16_t kUdpMaxRead = 1000;
constexpr uint8_t kUdpReplyOk = 0x40;
constexpr uint8_t kUdpReplyError = 0x80;
inline constexpr const char* kUdpBroadcast = "255.255.255.255";

struct UdpRequest {
    std::string destination = kUdpBroadcast; // dotted text
    uint32_t state = kUdpQueued;
    // The datagram's header fields, kept for the consumers.
    uint16_t identifier = 0, command = 0, length = 0, zero = 0, address = 0, count = 0;
    uint32_t replyLength = 0;
    std::array<uint8_t, kUdpDatagramSize> reply{};
    uint32_t requestLength = 0;
    std::array<uint8_t, kUdpDatagramSize> request{};
    uint32_t timeSent = 0, timeAnswered = 0; // TickCount() values

    const uint8_t* ReplyData() const { return reply.data() + kUdpHeaderSize; }
    size_t ReplyDataLength() const { return replyLength > kUdpHeaderSize ? replyLength - kUdpHeaderSize : 0; }
};

// The process-wide request identifier: each request takes the counter plus one (the
// first gets 1). Safe from any thread.
uint16_t NextUdpRequestId();

// A queued request with a new identifier; `destination` empty means the broadcast
// address, longer than 27 characters is cut. Null for an unknown command, a read of more
// than 1000 bytes, or data that does not fit one datagram.
std::unique_ptr<UdpRequest> CreateUdpRequest(const std::string& destination, uint16_t command,
                                             uint16_t address, uint16_t count, const uint8_t* data = nullptr,
                                             size_t dataLength = 0);

std::unique_ptr<UdpRequest> ReadMemoryRequest(const std::string& destination, uint16_t address,
                                              uint16_t count);
std::unique_ptr<UdpRequest> WriteMemoryRequest(const std::string& destination, uint16_t address,
                                               const uint8_t* data, size_t length);
std::unique_ptr<UdpRequest> BitRequest(const std::string& destination, uint16_t address, uint16_t bit,
                                       bool set);
std::unique_ptr<UdpRequest> StatusRequest(const std::string& destination);
std::unique_ptr<UdpRequest> ModeRequest(const std::string& destination, bool run);

// Where a request goes (network order): the broadcast address unless the text differs
// from "255.255.255.255" and is longer than 6 characters, then the address it spells.
uint32_t UdpDestinationAddress(const std::string& destination);

} // namespace pontra
