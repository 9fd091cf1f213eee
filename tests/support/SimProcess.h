// SPDX-License-Identifier: GPL-3.0-or-later
// pontra-sim as a real process on a random loopback address and random high ports, and
// the minimal clients the tests talk to it with. Shared by the soft module's own tests
// and by the tests that run the channels and the online operations against it.
#pragma once

#include <sys/types.h>

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

    // Starts pontra-sim with `args` and waits for `count` readiness lines; a bind failure
    // makes it try another address and other ports.
    bool Start(const std::vector<std::string>& args = {}, int count = 1);
    // Sends the signal; the exit status, or -1 when it did not exit in time.
    int Stop(int signal = 15);
    // Sends a signal and leaves the process be (SIGSTOP and SIGCONT make a module go
    // silent and come back; SIGSTOP returns once the process has stopped).
    void Signal(int signal);
    std::string Address(int i = 0) const;
    pid_t Pid() const { return pid_; }

    std::string address;
    uint16_t modbusPort = 0, tftpPort = 0, udpPort = 0;
    // Start with the ports above instead of random ones (modules of two processes that
    // one client reaches with the same ports).
    bool keepPorts = false;
    std::vector<std::string> readyLines;

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// Retries `check` until it holds or `seconds` have passed.
bool Eventually(const std::function<bool()>& check, int seconds = 5);

// A UDP socket, or a TCP connection when given an address and port.
class Client {
public:
    Client();
    Client(const std::string& address, uint16_t port);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool Connected() const { return fd_ >= 0; }
    void Send(const std::vector<uint8_t>& data);
    void SendTo(const std::string& address, uint16_t port, const std::vector<uint8_t>& data);
    // UDP: the next datagram; TCP: `n` bytes, or fewer when the peer closed or time ran out.
    std::optional<std::vector<uint8_t>> Receive(int timeoutMs = 2000, uint16_t* fromPort = nullptr, size_t n = 0);

private:
    int fd_ = -1;
};

// A datagram channel request: identifier, command, length, 0, then address, count, data.
std::vector<uint8_t> Request(uint16_t id, uint16_t command, uint16_t address = 0, uint16_t count = 0,
                             const std::vector<uint8_t>& data = {}, bool withAddress = true);

}  // namespace pontra::sim::test
