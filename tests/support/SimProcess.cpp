// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SimProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "support/Process.h"

namespace pontra::sim::test {

namespace {

int Between(int low, int high) {
    static std::mt19937 engine{std::random_device{}()};
    return std::uniform_int_distribution<int>(low, high)(engine);
}

sockaddr_in Endpoint(const std::string& address, uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
    return sa;
}

bool Readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

}  // namespace

SimProcess::~SimProcess() { Stop(SIGKILL); }

std::string SimProcess::Address(int i) const {
    in_addr a{};
    inet_pton(AF_INET, address.c_str(), &a);
    a.s_addr = htonl(ntohl(a.s_addr) + static_cast<uint32_t>(i));
    char text[INET_ADDRSTRLEN];
    return inet_ntop(AF_INET, &a, text, sizeof text);
}

bool SimProcess::Start(const std::vector<std::string>& args, int count) {
    for (int attempt = 0; attempt < 6; ++attempt) {
        // 127.a.b.c, never 127.0.0.1: other test runs share the machine
        address = "127." + std::to_string(Between(16, 250)) + "." + std::to_string(Between(0, 255)) + "." +
                  std::to_string(Between(10, 200));
        if (!keepPorts) {
            modbusPort = static_cast<uint16_t>(Between(20000, 29999));
            tftpPort = static_cast<uint16_t>(Between(30000, 39999));
            udpPort = static_cast<uint16_t>(Between(40000, 49999));
        }
        std::vector<std::string> argv = {
            BuiltBinary("src/sim/pontra-sim"), "--address", address, "--count", std::to_string(count),
            "--modbus-port", std::to_string(modbusPort), "--tftp-port", std::to_string(tftpPort),
            "--udp-port", std::to_string(udpPort)};
        argv.insert(argv.end(), args.begin(), args.end());
        int out[2];
        if (pipe(out) != 0) return false;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            std::vector<char*> cargs;
            for (auto& a : argv) cargs.push_back(a.data());
            cargs.push_back(nullptr);
            execv(cargs[0], cargs.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
        readyLines.clear();
        std::string pending;
        char buffer[512];
        ssize_t n = 1;
        while (static_cast<int>(readyLines.size()) < count && n > 0 && Readable(out_, 10000)) {
            n = read(out_, buffer, sizeof buffer);  // 0: it exited, most likely on a bind failure
            pending.append(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0)));
            for (size_t nl; (nl = pending.find('\n')) != std::string::npos; pending.erase(0, nl + 1))
                readyLines.push_back(pending.substr(0, nl));
        }
        if (static_cast<int>(readyLines.size()) == count) return true;
        Stop(SIGKILL);
    }
    return false;
}

int SimProcess::Stop(int signal) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 500 && (done = waitpid(pid_, &status, WNOHANG)) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (done == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    close(out_);
    return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void SimProcess::Signal(int signal) {
    if (pid_ <= 0 || kill(pid_, signal) != 0) return;
    // kill() only queues the stop: until every thread of the module has taken it, the
    // module may still answer a request sent right after. Callers rely on silence.
    if (signal == SIGSTOP) {
        int status = 0;
        waitpid(pid_, &status, WUNTRACED);
    }
}

bool Eventually(const std::function<bool()>& check, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!check()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

Client::Client() : fd_(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}

Client::Client(const std::string& address, uint16_t port) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    const sockaddr_in to = Endpoint(address, port);
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

Client::~Client() {
    if (fd_ >= 0) close(fd_);
}

void Client::Send(const std::vector<uint8_t>& data) { ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL); }

void Client::SendTo(const std::string& address, uint16_t port, const std::vector<uint8_t>& data) {
    const sockaddr_in to = Endpoint(address, port);
    sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

std::optional<std::vector<uint8_t>> Client::Receive(int timeoutMs, uint16_t* fromPort, size_t n) {
    std::vector<uint8_t> data;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        using std::chrono::milliseconds;
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !Readable(fd_, static_cast<int>(left.count()))) break;
        uint8_t buffer[2048];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t got = recvfrom(fd_, buffer, n ? std::min(sizeof buffer, n - data.size()) : sizeof buffer, 0,
                                     reinterpret_cast<sockaddr*>(&from), &len);
        if (got < 0 || (got == 0 && n)) break;
        data.insert(data.end(), buffer, buffer + got);
        if (fromPort) *fromPort = ntohs(from.sin_port);
        if (!n) return data;
    } while (data.size() < n);
    if (n && !data.empty()) return data;
    return std::nullopt;
}

std::vector<uint8_t> Request(uint16_t id, uint16_t command, uint16_t address, uint16_t count,
                             const std::vector<uint8_t>& data, bool withAddress) {
    std::vector<uint8_t> r;
    auto put16 = [&r](size_t v) {
        r.push_back(static_cast<uint8_t>(v));
        r.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(id);
    put16(command);
    put16((withAddress ? 4 : 0) + data.size());
    put16(0);
    if (withAddress) {
        put16(address);
        put16(count);
    }
    r.insert(r.end(), data.begin(), data.end());
    return r;
}

}  // namespace pontra::sim::test
