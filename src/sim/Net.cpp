// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace pontra::sim {

std::optional<uint32_t> ParseIpv4(std::string_view text) {
    if (text.empty() || text.size() > 15) return std::nullopt;
    uint32_t address = 0;
    int parts = 0;
    size_t i = 0;
    while (parts < 4) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
        unsigned value = 0;
        size_t digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            ++i;
            ++digits;
        }
        if (value > 255) return std::nullopt;
        address = address << 8 | value;
        ++parts;
        if (parts < 4) {
            if (i >= text.size() || text[i] != '.') return std::nullopt;
            ++i;
        }
    }
    if (i != text.size()) return std::nullopt;
    return address;
}

std::string FormatIpv4(uint32_t a) {
    return std::to_string(a >> 24) + "." + std::to_string(a >> 16 & 255) + "." + std::to_string(a >> 8 & 255) + "." +
           std::to_string(a & 255);
}

sockaddr_in Endpoint(uint32_t address, uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address);
    return sa;
}

uint64_t NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

Fd::~Fd() { Close(); }

int Fd::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void Fd::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

namespace {

Fd BoundSocket(int type, uint32_t address, uint16_t port, std::string& error) {
    Fd fd(::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) {
        error = std::string("socket: ") + std::strerror(errno);
        return {};
    }
    if (type == SOCK_STREAM) {
        int on = 1;
        ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    const sockaddr_in sa = Endpoint(address, port);
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        error = "bind " + FormatIpv4(address) + ":" + std::to_string(port) + ": " + std::strerror(errno);
        return {};
    }
    return fd;
}

}  // namespace

Fd BindUdp(uint32_t address, uint16_t port, std::string& error) {
    return BoundSocket(SOCK_DGRAM, address, port, error);
}

Fd ListenTcp(uint32_t address, uint16_t port, std::string& error) {
    Fd fd = BoundSocket(SOCK_STREAM, address, port, error);
    if (fd.Valid() && ::listen(fd.Get(), 16) != 0) {
        error = std::string("listen: ") + std::strerror(errno);
        return {};
    }
    return fd;
}

namespace {

uint32_t EpollEvents(bool writable) { return EPOLLIN | (writable ? EPOLLOUT : 0u); }

short PollFlags(uint32_t events) {
    return static_cast<short>(((events & EPOLLIN) ? POLLIN : 0) | ((events & EPOLLOUT) ? POLLOUT : 0) |
                              ((events & EPOLLHUP) ? POLLHUP : 0) | ((events & EPOLLERR) ? POLLERR : 0));
}

}  // namespace

EventLoop::EventLoop() : epoll_(::epoll_create1(EPOLL_CLOEXEC)) {}

EventLoop::~EventLoop() = default;

bool EventLoop::Watch(int fd, bool writable, Handler handler) {
    epoll_event event{};
    event.events = EpollEvents(writable);
    event.data.fd = fd;
    if (::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, fd, &event) != 0) return false;
    entries_[fd] = {std::move(handler), writable};
    return true;
}

void EventLoop::SetWritable(int fd, bool writable) {
    auto it = entries_.find(fd);
    if (it == entries_.end() || it->second.writable == writable) return;
    epoll_event event{};
    event.events = EpollEvents(writable);
    event.data.fd = fd;
    ::epoll_ctl(epoll_.Get(), EPOLL_CTL_MOD, fd, &event);
    it->second.writable = writable;
}

void EventLoop::Unwatch(int fd) {
    auto it = entries_.find(fd);
    if (it == entries_.end()) return;
    ::epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, fd, nullptr);
    entries_.erase(it);
}

bool EventLoop::Wait(int timeoutMs) {
    epoll_event events[64];
    const int n = ::epoll_wait(epoll_.Get(), events, 64, timeoutMs);
    if (n < 0) return errno == EINTR;
    for (int i = 0; i < n; ++i) {
        auto it = entries_.find(events[i].data.fd);
        if (it == entries_.end()) continue;  // unwatched by an earlier handler of this round
        // a copy: the handler may unwatch its own socket or watch new ones
        const Handler handler = it->second.handler;
        handler(PollFlags(events[i].events));
    }
    return true;
}

}  // namespace pontra::sim
