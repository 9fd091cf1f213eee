// The little of POSIX sockets the soft module needs: loopback addresses, bound
// non-blocking sockets, an owning descriptor and a poll set rebuilt every turn.
#pragma once

#include <netinet/in.h>
#include <poll.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

class PollSet {
public:
    using Handler = std::function<void(short revents)>;
    void Clear();
    void Add(int fd, short events, Handler handler);
    // Waits at most `timeoutMs` (-1: no limit) and calls the handler of every ready
    // descriptor; false when poll itself failed.
    bool Wait(int timeoutMs);

private:
    std::vector<pollfd> fds_;
    std::vector<Handler> handlers_;
};

}  // namespace pontra::sim
