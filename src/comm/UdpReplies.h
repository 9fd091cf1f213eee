// SPDX-License-Identifier: GPL-3.0-or-later
// What the datagram channel's worker does with received datagrams, apart from its socket:
// which may be replies, and which request each one answers.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "comm/UdpRequest.h"

namespace pontra {

// A datagram that may be a reply: its source as dotted text and its bytes.
struct UdpDatagram {
    std::string source;
    std::vector<uint8_t> bytes;
};

// Lets through what may be a reply: from the module's port, no longer than one request,
// at least 3 bytes with the success or error flag in byte 2. A module may send one
// reply twice; a datagram equal to the last one from its source is that copy and must
// not answer a later request, so it is dropped.
class UdpReplyFilter {
public:
    explicit UdpReplyFilter(uint16_t modulePort) : modulePort_(modulePort) {}

    // `bytes` as received; `fullSize` is the datagram's length before the receive buffer
    // cut it.
    std::optional<UdpDatagram> Accept(uint32_t address, uint16_t port, std::span<const uint8_t> bytes,
                                      size_t fullSize);

private:
    struct SourceRecord {
        uint32_t address = 0;
        std::string text;
        std::vector<uint8_t> last;
    };
    // Sources remembered for the repeat rule; more would only come from strangers.
    static constexpr size_t kMaxSources = 64;

    uint16_t modulePort_;
    std::vector<SourceRecord> sources_;
};

struct UdpMatchOutcome {
    bool answered = false;  // a request got a success reply
    bool failed = false;    // a request got an error reply or timed out
};

// Gives sent requests their replies from one receive pass (matched by identifier and
// source; a request to the broadcast address takes any source), newest request first,
// and times out sent requests that waited longer than `timeoutMs` since their send.
UdpMatchOutcome MatchUdpReplies(std::vector<std::unique_ptr<UdpRequest>>& requests,
                                const std::vector<UdpDatagram>& pass, uint32_t now, uint32_t timeoutMs);

}  // namespace pontra
