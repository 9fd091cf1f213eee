// pontra-sim as a real process on a random loopback address and random high ports, and
// the small clients the tests talk to it with.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pontra::sim::test {

class SimProcess {
public:
    SimProcess() = default;
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess();

    // Starts pontra-sim with `args` and waits for `count` readiness lines; another address
    // and other ports are tried when binding fails.
    bool Start(const std::vector<std::string>& args = {}, int count = 1);
    // Sends the signal and returns the exit status (-1 when it did not exit in time).
    int Stop(int signal = 15);

    std::string Address(int i = 0) const;
    std::string address;
    uint16_t modbusPort = 0, tftpPort = 0, udpPort = 0;
    std::vector<std::string> readyLines;

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// Writes `bytes` to a new temporary file and returns its path.
std::string TempFile(const std::vector<uint8_t>& bytes, const std::string& name = "image.bin");
std::vector<uint8_t> ReadFile(const std::string& path);

// Retries `check` until it holds or `seconds` have passed; no fixed sleeps in the tests.
bool Eventually(const std::function<bool()>& check, int seconds = 5);

class UdpClient {
public:
    UdpClient();
    ~UdpClient();
    UdpClient(const UdpClient&) = delete;
    UdpClient& operator=(const UdpClient&) = delete;

    void Send(const std::string& address, uint16_t port, const std::vector<uint8_t>& data);
    // The next datagram within `timeoutMs`, and the port it came from.
    std::optional<std::vector<uint8_t>> Receive(int timeoutMs = 2000, uint16_t* fromPort = nullptr);
    void SendTo(uint16_t port, const std::vector<uint8_t>& data) { Send(address_, port, data); }
    void Target(const std::string& address) { address_ = address; }

private:
    int fd_ = -1;
    std::string address_;
};

// A datagram channel request: identifier, command, length, 0, then address, count, data.
std::vector<uint8_t> Request(uint16_t id, uint16_t command, uint16_t address = 0, uint16_t count = 0,
                             const std::vector<uint8_t>& data = {}, bool withAddress = true);

class TcpClient {
public:
    TcpClient(const std::string& address, uint16_t port);
    ~TcpClient();
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    void Send(const std::vector<uint8_t>& data);
    // Exactly `n` bytes within the time-out, or what came before the peer closed.
    std::vector<uint8_t> Receive(size_t n, int timeoutMs = 2000);
    // True when the peer closed the connection within the time-out.
    bool Closed(int timeoutMs = 2000);

private:
    int fd_ = -1;
};

}  // namespace pontra::sim::test
