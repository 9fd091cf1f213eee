// SPDX-License-Identifier: GPL-3.0-or-later
#include "Peers.h"

#include <arpa/inet.h>
#include <modbus.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace pontra::test {

namespace {

int Bound(int type, const std::string& ip, uint16_t port, uint16_t& chosen) {
    int fd = socket(AF_INET, type, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = inet_addr(ip.c_str());
    socklen_t len = sizeof sa;
    if (bind(fd, reinterpret_cast<sockaddr*>(&sa), len) != 0) {
        close(fd);
        return -1;
    }
    getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    chosen = ntohs(sa.sin_port);
    return fd;
}

bool Readable(int fd, int milliseconds) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, milliseconds) > 0;
}

std::mt19937& Random() {
    static std::mt19937 random(std::random_device{}());
    return random;
}

} // namespace

std::string RandomLoopback() {
    std::uniform_int_distribution<int> octet(1, 254);
    return "127." + std::to_string(octet(Random())) + "." + std::to_string(octet(Random())) + "." +
           std::to_string(octet(Random()));
}

Bytes Pattern(size_t n) {
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadExactly(int fd, size_t n) {
    Bytes bytes(n);
    for (size_t done = 0; done < n;) {
        ssize_t r = Readable(fd, 5000) ? recv(fd, bytes.data() + done, n - done, 0) : -1;
        if (r <= 0) return {};
        done += static_cast<size_t>(r);
    }
    return bytes;
}

void SendAll(int fd, const Bytes& bytes) {
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void ResetOnClose(int fd) {
    linger l{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
}

TcpPeer::TcpPeer(std::function<void(int, int)> script) {
    listener_ = Bound(SOCK_STREAM, "127.0.0.1", 0, port_);
    listen(listener_, 4);
    thread_ = std::thread([this, script] {
        while (!stop_) {
            if (!Readable(listener_, 20)) continue;
            int fd = accept(listener_, nullptr, nullptr);
            script(fd, connections_++);
            close(fd);
        }
    });
}

TcpPeer::~TcpPeer() {
    stop_ = true;
    thread_.join();
    close(listener_);
}

UdpPeer::UdpPeer(const std::string& address, uint16_t port) {
    fd_ = Bound(SOCK_DGRAM, address, port, port_);
}

UdpPeer::~UdpPeer() {
    if (fd_ >= 0) close(fd_);
}

bool UdpPeer::Receive(Bytes& bytes, uint32_t& address, uint16_t& port, int milliseconds) {
    if (!Readable(fd_, milliseconds)) return false;
    bytes.resize(65536);
    sockaddr_in from{};
    socklen_t len = sizeof from;
    ssize_t n = recvfrom(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
    bytes.resize(n < 0 ? 0 : static_cast<size_t>(n));
    address = from.sin_addr.s_addr;
    port = ntohs(from.sin_port);
    return n >= 0;
}

void UdpPeer::SendTo(const Bytes& bytes, uint32_t address, uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

ScriptedUdpPeer::ScriptedUdpPeer(std::function<std::vector<Answer>(const Bytes&)> answer)
    : thread_([this, answer] {
          Bytes in;
          uint32_t address;
          uint16_t port;
          while (!stop_) {
              if (!peer_.Receive(in, address, port, 20)) continue;
              {
                  std::lock_guard lock(mutex_);
                  arrivals_.push_back(in);
              }
              if (answer)
                  for (const Answer& out : answer(in))
                      (out.via ? *out.via : peer_).SendTo(out.bytes, address, port);
          }
      }) {}

ScriptedUdpPeer::~ScriptedUdpPeer() {
    stop_ = true;
    thread_.join();
}

std::vector<Bytes> ScriptedUdpPeer::Arrivals() {
    std::lock_guard lock(mutex_);
    return arrivals_;
}

ModbusServer::ModbusServer(int count, const std::function<uint16_t(int)>& value) {
    auto* ctx = modbus_new_tcp("127.0.0.1", 0);
    auto* mapping = modbus_mapping_new(0, 0, count, 0);
    for (int i = 0; i < count; ++i) mapping->tab_registers[i] = value(i + 1);
    context_ = ctx;
    mapping_ = mapping;
    listener_ = modbus_tcp_listen(ctx, 1);
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&sa), &len);
    port_ = ntohs(sa.sin_port);
    thread_ = std::thread([this, ctx, mapping] {
        uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
        while (!stop_) {
            if (!Readable(listener_, 20)) continue;
            int client = modbus_tcp_accept(ctx, &listener_);
            while (!stop_ && client >= 0) {
                if (!Readable(client, 20)) continue;
                int n = modbus_receive(ctx, query);
                if (n < 0) break;
                if (n > 0) modbus_reply(ctx, query, n, mapping);
            }
            if (client >= 0) close(client);
        }
    });
}

ModbusServer::~ModbusServer() {
    stop_ = true;
    thread_.join();
    close(listener_);
    modbus_mapping_free(static_cast<modbus_mapping_t*>(mapping_));
    modbus_free(static_cast<modbus_t*>(context_));
}

TftpServer::TftpServer() {
    char pattern[] = "/tmp/pontra-tftpd-XXXXXX";
    if (!mkdtemp(pattern)) return;
    folder_ = pattern;
    chmod(folder_.c_str(), 0777);
    // tftpd always switches to its --user with setgroups, which only root may do.
    for (int tries = 0; geteuid() == 0 && tries < 10 && !Start(); ++tries) {
    }
}

TftpServer::~TftpServer() {
    if (pid_ > 0) {
        // The listener and the transfer processes it forked share its process group.
        kill(-pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
}

bool TftpServer::Start() {
    address_ = RandomLoopback();
    port_ = static_cast<uint16_t>(std::uniform_int_distribution<int>(20000, 60000)(Random()));
    const std::string listen = address_ + ":" + std::to_string(port_);
    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);
        std::freopen("/dev/null", "w", stderr);
        execl("/usr/sbin/in.tftpd", "in.tftpd", "--foreground", "--ipv4", "--address", listen.c_str(),
              "--create", "--permissive", "--refuse", "tsize", "--user", "root", "--secure", folder_.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // Ready once it answers a read request (with "File not found"); an address and port
    // already taken end it at once.
    const Bytes probe = {0, 1, 'p', 0, 'o', 'c', 't', 'e', 't', 0};
    UdpPeer client;
    Bytes reply;
    uint32_t from;
    uint16_t fromPort;
    bool exited = pid_ < 0;
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
         !exited && std::chrono::steady_clock::now() < end;) {
        client.SendTo(probe, inet_addr(address_.c_str()), port_);
        if (client.Receive(reply, from, fromPort, 200)) return true;
        exited = waitpid(pid_, nullptr, WNOHANG) == pid_;
    }
    if (!exited) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
    return false;
}

} // namespace pontra::test
