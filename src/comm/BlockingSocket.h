// SPDX-License-Identifier: GPL-3.0-or-later
// A blocking IPv4 stream socket that reports every failure by throwing
// CBlockingSocketException. Each transfer first waits for readiness in whole seconds of
// the caller's time-out (under 1000 ms it only polls), so no call blocks longer than that.
// The register protocol client builds on it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>

#include "comm/SocketPlatform.h"

namespace pontra {

class CBlockingSocketException : public std::exception {
public:
    // `code` 0 stands for "the last socket error at this moment" and is replaced by it.
    explicit CBlockingSocketException(std::string operation, int code = 0);

    const std::string& Operation() const { return operation_; }
    int ErrorCode() const { return code_; }

    // "%s error #%d" (operation, code), or "%s error" when the code is 0, cut to
    // `size` - 1 characters and terminated. Returns true.
    virtual bool GetErrorMessage(char* buffer, size_t size, unsigned* helpContext = nullptr) const;
    // The same message whole.
    std::string ErrorMessage() const;
    const char* what() const noexcept override { return operation_.c_str(); }

private:
    std::string operation_;
    int code_;
};

class CBlockingSocket {
public:
    static constexpr uint32_t kDefaultTimeoutMs = 3000;

    CBlockingSocket() = default;
    virtual ~CBlockingSocket();
    CBlockingSocket(const CBlockingSocket&) = delete;
    CBlockingSocket& operator=(const CBlockingSocket&) = delete;

    // Throws "Create" when the socket cannot be made.
    void Create(int type);
    // Closes an open socket, then connects within the time-out; throws "Connect".
    // `ip` is dotted text only (no name look-up).
    bool Connect(const std::string& ip, uint16_t port);
    // One send after a writability wait; throws "Send timeout" or "Send".
    int Send(const void* data, size_t length, int timeoutMs);
    // Sends until all bytes are gone.
    int Write(const void* data, size_t length, int timeoutMs);
    // One receive after a readability wait; throws "Receive timeout" or "Receive".
    // Returns 0 when the peer has closed the connection.
    int Receive(void* buffer, size_t size, int timeoutMs);
    void Close();

    bool IsOpen() const { return handle_ != kNoSocket; }
    void SetNodeAddress(const std::string& address);
    std::string NodeAddress() const;
    std::string LastError() const;
    uint32_t LastActivity() const { return lastActivity_; }
    uint32_t timeout = kDefaultTimeoutMs;

protected:
    void SetLastError(const std::string& text);
    void Touch() { lastActivity_ = TickCount(); }

    // Serialises connect, close and each request/reply exchange, so the user interface
    // and a worker may share one socket. Recursive: an exchange may close the socket.
    mutable std::recursive_mutex section_;

private:
    std::atomic<SocketHandle> handle_{kNoSocket};
    std::atomic<uint32_t> lastActivity_{0};
    std::string lastError_;
    std::string nodeAddress_;
};

} // namespace pontra
