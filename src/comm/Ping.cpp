// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/Ping.h"

#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

#include "comm/SocketPlatform.h"

namespace pontra {

namespace {

constexpr uint8_t kEchoByte = 0x45;
// An echo larger than one unfragmented datagram is not a reachability check.
constexpr int kMaxEchoData = 1472;

enum class IcmpKind { Datagram, Raw, None };

int OpenIcmp(IcmpKind kind) {
    if (kind == IcmpKind::None) return -1;
    return socket(AF_INET, (kind == IcmpKind::Datagram ? SOCK_DGRAM : SOCK_RAW) | SOCK_CLOEXEC, IPPROTO_ICMP);
}

// The kind of ICMP socket this process may open, found once.
IcmpKind AvailableKind() {
    static const IcmpKind kind = [] {
        for (IcmpKind k : {IcmpKind::Datagram, IcmpKind::Raw}) {
            int fd = OpenIcmp(k);
            if (fd >= 0) {
                close(fd);
                return k;
            }
        }
        return IcmpKind::None;
    }();
    return kind;
}

uint16_t Checksum(const uint8_t* data, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < length; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
    if (length & 1) sum += static_cast<uint32_t>(data[length - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

// Identifier and sequence together tell our replies from other pings on a raw socket.
uint16_t NextSequence() {
    static std::atomic<uint16_t> sequence{0};
    return ++sequence;
}

struct Echo {
    uint16_t identifier;
    uint16_t sequence;
};

// Checks one received packet. Returns 1 for our good reply, -1 for our reply with a
// wrong size or content, 0 for anything else (another ping's traffic, our own request).
int ExamineReply(const uint8_t* packet, size_t length, bool hasIpHeader, const Echo& echo, size_t size) {
    if (hasIpHeader) {
        if (length < 20) return 0;
        const size_t headerLength = static_cast<size_t>(packet[0] & 0x0F) * 4;
        if (headerLength < 20 || headerLength > length) return 0;
        packet += headerLength;
        length -= headerLength;
    }
    if (length < 8 || packet[0] != ICMP_ECHOREPLY || packet[1] != 0) return 0;
    const uint16_t sequence = static_cast<uint16_t>(packet[6] << 8 | packet[7]);
    const uint16_t identifier = static_cast<uint16_t>(packet[4] << 8 | packet[5]);
    if (sequence != echo.sequence || (hasIpHeader && identifier != echo.identifier)) return 0;
    if (length - 8 != size) return -1;
    for (size_t i = 8; i < length; ++i)
        if (packet[i] != kEchoByte) return -1;
    return 1;
}

} // namespace

bool PingAvailable() {
    return AvailableKind() != IcmpKind::None;
}

bool PingHost(const std::string& host, int ttl, int timeoutMs, int size, PingResult& result) {
    result = PingResult{};
    result.error = kPingGeneralFailure;
    uint32_t address = 0;
    if (size < 0 || size > kMaxEchoData || !ResolveHost(host, address)) return false;
    const IcmpKind kind = AvailableKind();
    const int fd = OpenIcmp(kind);
    if (fd < 0) return false;

    setsockopt(fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
    const Echo echo{static_cast<uint16_t>(getpid()), NextSequence()};
    std::vector<uint8_t> request(8 + static_cast<size_t>(size), kEchoByte);
    request[0] = ICMP_ECHO;
    request[1] = 0;
    request[2] = request[3] = 0;
    request[4] = static_cast<uint8_t>(echo.identifier >> 8);
    request[5] = static_cast<uint8_t>(echo.identifier);
    request[6] = static_cast<uint8_t>(echo.sequence >> 8);
    request[7] = static_cast<uint8_t>(echo.sequence);
    const uint16_t sum = Checksum(request.data(), request.size());
    request[2] = static_cast<uint8_t>(sum >> 8);
    request[3] = static_cast<uint8_t>(sum);

    const auto start = std::chrono::steady_clock::now();
    if (SendDatagram(fd, request.data(), request.size(), address, 0) < 0) {
        close(fd);
        return false;
    }
    // The reply buffer holds the echo data, the ICMP header and the largest IP header.
    std::vector<uint8_t> reply(static_cast<size_t>(std::max(size, 8)) + 28 + 40);
    const auto deadline = start + std::chrono::milliseconds(timeoutMs);
    result.error = kPingTimedOut;
    bool good = false;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() < 0 || WaitSocket(fd, false, static_cast<int>(left.count())) <= 0) break;
        uint32_t from = 0;
        uint16_t port = 0;
        const long n = ReceiveDatagram(fd, reply.data(), reply.size(), from, port);
        if (n < 0 || from != address) continue;
        const int verdict = ExamineReply(reply.data(), std::min(static_cast<size_t>(n), reply.size()),
                                         kind == IcmpKind::Raw, echo, static_cast<size_t>(size));
        if (verdict == 0) continue;
        if (verdict < 0) {
            result.error = kPingUnexpectedReply;
            break;
        }
        good = true;
        result.error = 0;
        result.address = from;
        result.roundTripMs = static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count());
        break;
    }
    close(fd);
    return good;
}

} // namespace pontra
