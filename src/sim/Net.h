// SPDX-License-Identifier: GPL-3.0-or-later
// The little of POSIX sockets the soft module needs: loopback addresses, bound
// non-blocking sockets, an owning descriptor and an event loop over many sockets.
#pragma once

#include <netinet/in.h>
#include <poll.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pontra::sim {

// Dotted quad to a host-order address; none when the text is not one.
std::optional<uint32_t> ParseIpv4(std::string_view text);
std::string FormatIpv4(uint32_t address);
// The soft module only ever lives on loopback.
inline bool IsLoopback(uint32_t address) { return address >> 24 == 127; }

sockaddr_in Endpoint(uint32_t address, uint16_t port);

// Milliseconds of a monotonic clock.
uint64_t NowMs();

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(other.Release()) {}
    Fd& operator=(Fd&& other) noexcept;
    ~Fd();
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();
    void Close();

private:
    int fd_ = -1;
};

// Non-blocking sockets bound to address:port; an invalid Fd and `error` on failure.
Fd BindUdp(uint32_t address, uint16_t port, std::string& error);
Fd ListenTcp(uint32_t address, uint16_t port, std::string& error);

// The sockets of many modules served by one thread (epoll). A socket is watched from
// when it opens until just before it closes; its handler gets the ready events as poll
// flags (POLLIN, POLLOUT, POLLHUP, POLLERR). Readiness is level-triggered, and a handler
// may be called once for a socket that has just taken the number of a closed one, so
// handlers read without blocking and accept finding nothing.
class EventLoop {
public:
    using Handler = std::function<void(short revents)>;
    EventLoop();
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    bool Valid() const { return epoll_.Valid(); }
    // Readable always, writable too when `writable`; false when the socket cannot be watched.
    bool Watch(int fd, bool writable, Handler handler);
    void SetWritable(int fd, bool writable);
    void Unwatch(int fd);
    // Waits at most `timeoutMs` (-1: no limit) and calls the handler of every ready
    // socket; false when the wait itself failed.
    bool Wait(int timeoutMs);

private:
    struct Entry {
        Handler handler;
        bool writable = false;
    };
    Fd epoll_;
    std::unordered_map<int, Entry> entries_;
};
}  // namespace pontra::sim
