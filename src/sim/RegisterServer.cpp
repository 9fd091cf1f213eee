// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/RegisterServer.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace pontra::sim {

namespace {

constexpr size_t kMaxConnections = 16;
constexpr uint64_t kIdleMs = 120'000;        // a silent client is let go after this
constexpr size_t kMaxPending = 4096;         // unread replies of a client that does not read
constexpr size_t kRequestSize = 12;          // MBAP header (7) + function, address, quantity
constexpr uint8_t kReadHolding = 3;

uint16_t Be16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] << 8 | b[at + 1]); }

void PutBe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

}  // namespace

size_t ProcessRegisterRequest(std::span<const uint8_t> in, const SoftModule& module, std::vector<uint8_t>& out,
                              bool& drop) {
    drop = false;
    if (in.size() < 8) return 0;
    if (Be16(in, 2) != 0) {  // protocol identifier
        drop = true;
        return in.size();
    }
    const uint8_t function = in[7];
    // The length field is not trusted (the IDE sends 4): requests of functions 1 to 6 are
    // always 12 bytes; for others it is all there is to go by.
    const bool fixedSize = function >= 1 && function <= 6;
    if (fixedSize && in.size() < kRequestSize) return 0;
    const size_t start = out.size();
    out.insert(out.end(), in.begin(), in.begin() + 4);  // transaction and protocol identifiers
    PutBe16(out, 0);                                    // length, set below
    out.push_back(in[6]);                               // unit identifier, echoed
    uint8_t exception = 1;
    std::vector<uint16_t> values;
    size_t consumed = in.size();
    if (fixedSize) {
        consumed = kRequestSize;
    } else {
        const uint16_t length = Be16(in, 4);
        if (length >= 2 && length <= 254) consumed = std::min(in.size(), size_t{6} + length);
    }
    if (function == kReadHolding) exception = module.ReadHoldingRegisters(Be16(in, 8), Be16(in, 10), values);
    if (exception != 0) {
        out.push_back(static_cast<uint8_t>(function | 0x80));
        out.push_back(exception);
    } else {
        out.push_back(function);
        out.push_back(static_cast<uint8_t>(2 * values.size()));
        for (uint16_t v : values) PutBe16(out, v);
    }
    const size_t length = out.size() - start - 6;
    out[start + 4] = static_cast<uint8_t>(length >> 8);
    out[start + 5] = static_cast<uint8_t>(length);
    return consumed;
}

bool RegisterServer::Open(uint32_t address, uint16_t port, std::string& error) {
    listen_ = ListenTcp(address, port, error);
    return listen_.Valid();
}

void RegisterServer::Attach(EventLoop& loop) {
    loop_ = &loop;
    loop.Watch(listen_.Get(), false, [this](short) { Accept(); });
}

void RegisterServer::Accept() {
    for (;;) {
        Fd fd(::accept4(listen_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.Valid()) return;
        const size_t open = std::count_if(connections_.begin(), connections_.end(), [](auto& c) { return !c->closed; });
        if (open >= kMaxConnections) {
            module_.Log("register client refused: too many connections");
            continue;  // closed at once
        }
        auto c = std::make_unique<Connection>();
        Connection* p = c.get();
        if (!loop_->Watch(fd.Get(), false, [this, p](short revents) { Service(*p, revents); })) continue;
        c->fd = std::move(fd);
        c->lastActive = NowMs();
        connections_.push_back(std::move(c));
        module_.Log("register client connected");
    }
}

void RegisterServer::Service(Connection& c, short revents) {
    if (c.closed) return;
    if (revents & (POLLIN | POLLHUP | POLLERR)) {
        uint8_t buffer[512];
        const ssize_t n = ::recv(c.fd.Get(), buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
            c.closed = true;
            return;
        }
        if (n > 0) {
            c.lastActive = NowMs();
            c.in.insert(c.in.end(), buffer, buffer + n);
            for (;;) {
                bool drop = false;
                const size_t used = ProcessRegisterRequest(c.in, module_, c.out, drop);
                if (drop) {
                    module_.Log("register client dropped: not a register protocol frame");
                    c.closed = true;
                    return;
                }
                if (used == 0) break;
                c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(used));
            }
        }
    }
    if (!c.out.empty()) {
        const ssize_t n = ::send(c.fd.Get(), c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            c.closed = true;
            return;
        }
        if (n > 0) c.out.erase(c.out.begin(), c.out.begin() + n);
        if (c.out.size() > kMaxPending) c.closed = true;
    }
    // woken for writing only while replies wait
    if (!c.closed) loop_->SetWritable(c.fd.Get(), !c.out.empty());
}

uint64_t RegisterServer::OnTime(uint64_t nowMs) {
    uint64_t next = UINT64_MAX;
    for (auto& c : connections_) {
        if (!c->closed && nowMs - c->lastActive >= kIdleMs) c->closed = true;
        if (!c->closed) next = std::min(next, c->lastActive + kIdleMs);
    }
    std::erase_if(connections_, [this](const auto& c) {
        if (c->closed) loop_->Unwatch(c->fd.Get());
        return c->closed;
    });
    return next;
}

}  // namespace pontra::sim
