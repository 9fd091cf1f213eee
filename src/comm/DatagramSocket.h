// SPDX-License-Identifier: GPL-3.0-or-later
// A bare IPv4 datagram socket whose operations return status codes instead of
// throwing; the datagram request channel's worker owns one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "comm/SocketPlatform.h"

namespace pontra {

// Status codes of CDatagramSocket.
constexpr uint32_t kDgramOk = 0;
constexpr uint32_t kDgramCreateFailed = 0xC0040001;
constexpr uint32_t kDgramBindFailed = 0xC0040004;
constexpr uint32_t kDgramCloseFailed = 0xC0040006;
constexpr uint32_t kDgramWaitTimedOut = 0xC0040007;
constexpr uint32_t kDgramTransferFailed = 0xC0040008;

// An IPv4 endpoint: address in network order, port in host order.
struct DatagramAddress {
    uint32_t address = 0;
    uint16_t port = 0;
};

class CDatagramSocket {
public:
    CDatagramSocket() = default;
    ~CDatagramSocket();
    CDatagramSocket(const CDatagramSocket&) = delete;
    CDatagramSocket& operator=(const CDatagramSocket&) = delete;

    uint32_t Create(int type);
    uint32_t Bind(const DatagramAddress& local);
    uint32_t Close();
    // Waits at most `timeoutSeconds` whole seconds (0 polls). Returns the byte count, or
    // 0 with the status set. A datagram longer than `size` is cut to `size`; `fullLength`,
    // when given, receives its real length.
    int ReceiveFrom(void* buffer, size_t size, DatagramAddress& source, int timeoutSeconds, uint32_t& status,
                    size_t* fullLength = nullptr);
    int SendTo(const void* data, size_t length, const DatagramAddress& destination, int timeoutSeconds,
               uint32_t& status);

    bool IsOpen() const { return handle_ != kNoSocket; }
    // The local endpoint after Bind (the port the system chose for port 0).
    DatagramAddress LocalAddress() const;

private:
    SocketHandle handle_ = kNoSocket;
};

} // namespace pontra
