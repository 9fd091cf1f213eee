// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/DatagramSocket.h"

#include <algorithm>

namespace pontra {

CDatagramSocket::~CDatagramSocket() {
    if (handle_ != kNoSocket) Close();
}

uint32_t CDatagramSocket::Create(int type) {
    if (!SocketStartup()) return kDgramCreateFailed;
    handle_ = OpenSocket(type);
    return handle_ == kNoSocket ? kDgramCreateFailed : kDgramOk;
}

uint32_t CDatagramSocket::Bind(const DatagramAddress& local) {
    return BindSocket(handle_, local.address, local.port) == 0 ? kDgramOk : kDgramBindFailed;
}

uint32_t CDatagramSocket::Close() {
    if (handle_ == kNoSocket || CloseSocket(handle_) != 0) return kDgramCloseFailed;
    handle_ = kNoSocket;
    return kDgramOk;
}

int CDatagramSocket::ReceiveFrom(void* buffer, size_t size, DatagramAddress& source, int timeoutSeconds,
                                 uint32_t& status, size_t* fullLength) {
    const int ready = WaitSocket(handle_, false, timeoutSeconds * 1000);
    if (ready <= 0) {
        status = ready == 0 ? kDgramWaitTimedOut : kDgramTransferFailed;
        return 0;
    }
    const long n = ReceiveDatagram(handle_, buffer, size, source.address, source.port);
    if (n < 0) {
        status = kDgramTransferFailed;
        return 0;
    }
    if (fullLength) *fullLength = static_cast<size_t>(n);
    return static_cast<int>(std::min(static_cast<size_t>(n), size));
}

int CDatagramSocket::SendTo(const void* data, size_t length, const DatagramAddress& destination,
                            int timeoutSeconds, uint32_t& status) {
    const int ready = WaitSocket(handle_, true, timeoutSeconds * 1000);
    if (ready <= 0) {
        status = ready == 0 ? kDgramWaitTimedOut : kDgramTransferFailed;
        return 0;
    }
    const long n = SendDatagram(handle_, data, length, destination.address, destination.port);
    if (n < 0) {
        status = kDgramTransferFailed;
        return 0;
    }
    return static_cast<int>(n);
}

DatagramAddress CDatagramSocket::LocalAddress() const {
    DatagramAddress local;
    if (handle_ != kNoSocket) LocalEndpoint(handle_, local.address, local.port);
    return local;
}

} // namespace pontra
