// SPDX-License-Identifier: GPL-3.0-or-later
// The reachability check before every register-protocol connect: one ICMP echo request
// of `size` bytes of 'E' (0x45), answered within the time-out by one echo reply that
// carries the same bytes. Uses an unprivileged ICMP datagram socket where the system
// allows it, else a raw ICMP socket; with neither, pings are unavailable and callers
// go straight to their connect.
#pragma once

#include <cstdint>
#include <string>

namespace pontra {

// Error codes left in PingResult::error (the values the platform's echo service uses).
constexpr int kPingUnexpectedReply = 59;   // wrong size or content
constexpr int kPingTimedOut = 11010;       // no reply in time
constexpr int kPingGeneralFailure = 11050; // no ICMP socket, unresolvable host, send failed

struct PingResult {
    uint32_t address = 0; // replying address, network order
    uint32_t roundTripMs = 0;
    int error = 0; // set when the ping fails
};

// Whether this process can open an ICMP socket of either kind (checked once).
bool PingAvailable();

// `host` is dotted text or a host name. True on a good reply within `timeoutMs`.
bool PingHost(const std::string& host, int ttl, int timeoutMs, int size, PingResult& result);

} // namespace pontra
