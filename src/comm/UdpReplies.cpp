// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/UdpReplies.h"

#include <algorithm>

#include "comm/SocketPlatform.h"

namespace pontra {

namespace {

uint16_t LittleWord(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

} // namespace

std::optional<UdpDatagram> UdpReplyFilter::Accept(uint32_t address, uint16_t port, std::span<const uint8_t> bytes,
                                                  size_t fullSize) {
    if (fullSize > kUdpDatagramSize || bytes.size() > kUdpDatagramSize || port != modulePort_ || bytes.size() < 3 ||
        !(bytes[2] & (kUdpReplyOk | kUdpReplyError)))
        return std::nullopt;
    auto record = std::find_if(sources_.begin(), sources_.end(),
                               [&](const SourceRecord& s) { return s.address == address; });
    if (record == sources_.end()) {
        if (sources_.size() == kMaxSources) sources_.erase(sources_.begin());
        sources_.push_back({address, DottedAddress(address), {}});
        record = sources_.end() - 1;
    }
    if (std::ranges::equal(record->last, bytes)) return std::nullopt;
    record->last.assign(bytes.begin(), bytes.end());
    return UdpDatagram{record->text, record->last};
}

UdpMatchOutcome MatchUdpReplies(std::vector<std::unique_ptr<UdpRequest>>& requests,
                                const std::vector<UdpDatagram>& pass, uint32_t now, uint32_t timeoutMs) {
    UdpMatchOutcome outcome;
    for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
        UdpRequest& r = **it;
        // Nothing can answer a request that has not gone out.
        if (r.state == kUdpQueued) continue;
        auto match = std::find_if(pass.begin(), pass.end(), [&](const UdpDatagram& d) {
            return (d.source == r.destination || r.destination == kUdpBroadcast) &&
                   d.bytes.size() >= kUdpHeaderSize && d.bytes.size() <= r.reply.size() &&
                   LittleWord(d.bytes.data()) == r.identifier;
        });
        if (match != pass.end()) {
            std::copy(match->bytes.begin(), match->bytes.end(), r.reply.begin());
            r.replyLength = static_cast<uint32_t>(match->bytes.size());
            r.timeAnswered = now;
            r.state = (match->bytes[2] & kUdpReplyError) ? kUdpErrorReply : kUdpAnswered;
            (r.state == kUdpAnswered ? outcome.answered : outcome.failed) = true;
        } else if (r.state == kUdpSent && now - r.timeSent > timeoutMs) {
            r.state = kUdpTimedOut;
            outcome.failed = true;
        }
    }
    return outcome;
}

} // namespace pontra
