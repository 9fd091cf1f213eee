// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/SocketPlatform.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace pontra {

namespace {

int Fd(SocketHandle handle) {
    return static_cast<int>(handle);
}

sockaddr_in MakeAddress(uint32_t address, uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = address;
    return sa;
}

// Retries a call that a signal interrupted; the waits above it are bounded anyway.
template <typename Call> auto Restarting(Call call) {
    decltype(call()) result;
    do result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

} // namespace

bool SocketStartup() {
    return true;
}
void SocketCleanup() {}

int LastSocketError() {
    switch (errno) {
    case 0: return 0;
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EAGAIN: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return kSockErrMessageTooLong;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case EOPNOTSUPP: return 10045;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return kSockErrAddressNotAvailable;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET:
    case EPIPE: return kSockErrConnectionReset;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return kSockErrTimedOut;
    case ECONNREFUSED: return 10061;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    default: return errno;
    }
}

void ClearSocketError() {
    errno = 0;
}

SocketHandle OpenSocket(int type) {
    int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    return fd < 0 ? kNoSocket : fd;
}

int CloseSocket(SocketHandle handle) {
    return close(Fd(handle)) == 0 ? 0 : -1;
}

int WaitSocket(SocketHandle handle, bool forWriting, int milliseconds) {
    if (handle == kNoSocket) {
        errno = EBADF;
        return -1;
    }
    pollfd p{Fd(handle), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (true) {
        int left = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                .count());
        int n = poll(&p, 1, left < 0 ? 0 : left);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (p.revents & POLLNVAL)) return -1;
        return n > 0 ? 1 : 0;
    }
}

long SendStream(SocketHandle handle, const void* data, size_t length) {
    return Restarting([&] { return send(Fd(handle), data, length, MSG_NOSIGNAL); });
}

long ReceiveStream(SocketHandle handle, void* buffer, size_t size) {
    return Restarting([&] { return recv(Fd(handle), buffer, size, 0); });
}

int ConnectWithin(SocketHandle handle, uint32_t address, uint16_t port, int milliseconds) {
    const int fd = Fd(handle);
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return -1;
    sockaddr_in sa = MakeAddress(address, port);
    int result = connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    if (result < 0 && errno == EINPROGRESS) {
        int ready = WaitSocket(handle, true, milliseconds);
        if (ready == 0) {
            errno = ETIMEDOUT;
            result = -1;
        } else if (ready > 0) {
            int error = 0;
            socklen_t len = sizeof error;
            if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) < 0) error = errno;
            errno = error;
            result = error == 0 ? 0 : -1;
        }
    }
    const int saved = errno;
    fcntl(fd, F_SETFL, flags);
    errno = saved;
    return result == 0 ? 0 : -1;
}

long SendDatagram(SocketHandle handle, const void* data, size_t length, uint32_t address, uint16_t port) {
    sockaddr_in sa = MakeAddress(address, port);
    return Restarting([&] {
        return sendto(Fd(handle), data, length, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    });
}

long ReceiveDatagram(SocketHandle handle, void* buffer, size_t size, uint32_t& address, uint16_t& port) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    long n = Restarting([&] {
        return recvfrom(Fd(handle), buffer, size, MSG_TRUNC, reinterpret_cast<sockaddr*>(&sa), &len);
    });
    if (n >= 0) {
        address = sa.sin_addr.s_addr;
        port = ntohs(sa.sin_port);
    }
    return n;
}

int BindSocket(SocketHandle handle, uint32_t address, uint16_t port) {
    sockaddr_in sa = MakeAddress(address, port);
    return bind(Fd(handle), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 ? 0 : -1;
}

int LocalEndpoint(SocketHandle handle, uint32_t& address, uint16_t& port) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getsockname(Fd(handle), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return -1;
    address = sa.sin_addr.s_addr;
    port = ntohs(sa.sin_port);
    return 0;
}

uint32_t InetAddr(const std::string& text) {
    return inet_addr(text.c_str());
}

std::string DottedAddress(uint32_t address) {
    const uint32_t a = ntohl(address);
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." +
           std::to_string((a >> 8) & 0xFF) + "." + std::to_string(a & 0xFF);
}

bool ResolveHost(const std::string& host, uint32_t& address) {
    address = InetAddr(host);
    if (address != INADDR_NONE) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
}

uint32_t TickCount() {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

void SleepMs(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace pontra
