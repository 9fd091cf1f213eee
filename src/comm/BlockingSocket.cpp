// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/BlockingSocket.h"

#include <sys/socket.h>

#include <cstdio>
#include <cstring>

namespace pontra {

namespace {

// The readiness waits count whole seconds of the caller's time-out.
int WholeSeconds(int timeoutMs) {
    return timeoutMs < 0 ? 0 : timeoutMs / 1000 * 1000;
}

} // namespace

CBlockingSocketException::CBlockingSocketException(std::string operation, int code)
    : operation_(std::move(operation)), code_(code != 0 ? code : LastSocketError()) {}

bool CBlockingSocketException::GetErrorMessage(char* buffer, size_t size, unsigned*) const {
    if (!buffer || size == 0) return true;
    const std::string message = ErrorMessage();
    const size_t n = std::min(message.size(), size - 1);
    std::memcpy(buffer, message.data(), n);
    buffer[n] = '\0';
    return true;
}

std::string CBlockingSocketException::ErrorMessage() const {
    return code_ != 0 ? operation_ + " error #" + std::to_string(code_) : operation_ + " error";
}

CBlockingSocket::~CBlockingSocket() {
    Close();
}

void CBlockingSocket::Create(int type) {
    if (!SocketStartup()) throw CBlockingSocketException("Create");
    const SocketHandle handle = OpenSocket(type);
    if (handle == kNoSocket) throw CBlockingSocketException("Create");
    handle_ = handle;
}

bool CBlockingSocket::Connect(const std::string& ip, uint16_t port) {
    Close();
    std::lock_guard lock(section_);
    try {
        Create(SOCK_STREAM);
        const uint32_t address = InetAddr(ip);
        // Not an address: fail as the platform does for the broadcast address it stands
        // for, without putting anything on the wire.
        if (address == 0xFFFFFFFF) throw CBlockingSocketException("Connect", kSockErrAddressNotAvailable);
        if (ConnectWithin(handle_, address, port, static_cast<int>(timeout)) != 0)
            throw CBlockingSocketException("Connect");
        Touch();
        nodeAddress_ = ip;
        return true;
    } catch (const CBlockingSocketException&) {
        Close();
        throw;
    }
}

int CBlockingSocket::Send(const void* data, size_t length, int timeoutMs) {
    ClearSocketError();
    if (WaitSocket(handle_, true, WholeSeconds(timeoutMs)) <= 0)
        throw CBlockingSocketException("Send timeout");
    const long sent = SendStream(handle_, data, length);
    if (sent < 0) throw CBlockingSocketException("Send");
    return static_cast<int>(sent);
}

int CBlockingSocket::Write(const void* data, size_t length, int timeoutMs) {
    size_t done = 0;
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (done < length) done += static_cast<size_t>(Send(bytes + done, length - done, timeoutMs));
    return static_cast<int>(done);
}

int CBlockingSocket::Receive(void* buffer, size_t size, int timeoutMs) {
    ClearSocketError();
    if (WaitSocket(handle_, false, WholeSeconds(timeoutMs)) <= 0)
        throw CBlockingSocketException("Receive timeout");
    const long received = ReceiveStream(handle_, buffer, size);
    if (received < 0) throw CBlockingSocketException("Receive");
    return static_cast<int>(received);
}

void CBlockingSocket::Close() {
    if (handle_ == kNoSocket) return;
    std::lock_guard lock(section_);
    const SocketHandle handle = handle_.exchange(kNoSocket);
    if (handle != kNoSocket) CloseSocket(handle);
}

void CBlockingSocket::SetNodeAddress(const std::string& address) {
    std::lock_guard lock(section_);
    nodeAddress_ = address;
}

std::string CBlockingSocket::NodeAddress() const {
    std::lock_guard lock(section_);
    return nodeAddress_;
}

std::string CBlockingSocket::LastError() const {
    std::lock_guard lock(section_);
    return lastError_;
}

void CBlockingSocket::SetLastError(const std::string& text) {
    std::lock_guard lock(section_);
    lastError_ = text;
}

} // namespace pontra
