// SPDX-License-Identifier: GPL-3.0-or-later
// Peers for the channel tests, all on loopback: scripted TCP and UDP peers that misbehave
// on purpose, a libmodbus register server, and tftpd-hpa run as a process. Every peer
// binds a port the system chooses or a random 127.a.b.c address, so parallel test runs
// do not collide.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pontra::test {

using Bytes = std::vector<uint8_t>;

// A random address in 127.0.0.0/8 other than 127.0.0.0 and 127.255.255.255.
std::string RandomLoopback();
Bytes Pattern(size_t n);
Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);

// TCP on a connected socket: exactly `n` bytes within 5 s (empty when the client closed
// or went silent), and all of `bytes`.
Bytes ReadExactly(int fd, size_t n);
void SendAll(int fd, const Bytes& bytes);
// The close that ends the connection will reset it.
void ResetOnClose(int fd);

// Listens on 127.0.0.1 and runs `script` for each connection in turn (numbered from 0),
// closing the connection when it returns.
class TcpPeer {
public:
    explicit TcpPeer(std::function<void(int fd, int number)> script);
    ~TcpPeer();
    uint16_t port() const { return port_; }
    int connections() const { return connections_; }

private:
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<int> connections_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A UDP socket on `address` (port 0: the system chooses).
class UdpPeer {
public:
    explicit UdpPeer(const std::string& address = "127.0.0.1", uint16_t port = 0);
    ~UdpPeer();
    bool ok() const { return fd_ >= 0; }
    uint16_t port() const { return port_; }
    // The next datagram within `milliseconds` and where it came from.
    bool Receive(Bytes& bytes, uint32_t& address, uint16_t& port, int milliseconds);
    void SendTo(const Bytes& bytes, uint32_t address, uint16_t port);

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

// A UDP peer on 127.0.0.1 that records each datagram and answers it with what `answer`
// returns, each answer sent from its own socket or from `via`.
struct Answer {
    Bytes bytes;
    UdpPeer* via = nullptr;
};
class ScriptedUdpPeer {
public:
    explicit ScriptedUdpPeer(std::function<std::vector<Answer>(const Bytes&)> answer = {});
    ~ScriptedUdpPeer();
    uint16_t port() const { return peer_.port(); }
    std::vector<Bytes> Arrivals();

private:
    UdpPeer peer_;
    std::mutex mutex_;
    std::vector<Bytes> arrivals_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// libmodbus serving holding registers 1..`count` with register n = `value(n)`, one
// client at a time.
class ModbusServer {
public:
    ModbusServer(int count, const std::function<uint16_t(int)>& value);
    ~ModbusServer();
    uint16_t port() const { return port_; }

private:
    void* context_ = nullptr;
    void* mapping_ = nullptr;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// tftpd-hpa on a random loopback address and high port, serving and accepting files in
// a temporary folder; it acknowledges no options (our client recognises none). It needs
// root (it always changes user); elsewhere ok() is false and its tests skip.
class TftpServer {
public:
    TftpServer();
    ~TftpServer();
    bool ok() const { return pid_ > 0; }
    const std::string& address() const { return address_; }
    uint16_t port() const { return port_; }
    const std::string& folder() const { return folder_; }

private:
    bool Start();
    int pid_ = -1;
    std::string address_;
    uint16_t port_ = 0;
    std::string folder_;
};

} // namespace pontra::test
