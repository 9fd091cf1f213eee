// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/UdpRequest.h"

#include <atomic>
#include <cstring>

#include "comm/SocketPlatform.h"

namespace pontra {

namespace {

constexpr size_t kUdpRequestHeaderSize = 12;

void PutWord(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

} // namespace

uint16_t NextUdpRequestId() {
    static std::atomic<uint16_t> counter{0};
    return static_cast<uint16_t>(counter.fetch_add(1) + 1);
}

std::unique_ptr<UdpRequest> CreateUdpRequest(const std::string& destination, uint16_t command,
                                             uint16_t address, uint16_t count, const uint8_t* data,
                                             size_t dataLength) {
    if (command < kUdpReadMemory || command > kUdpSetMode) return nullptr;
    if (command == kUdpReadMemory && count > kUdpMaxRead) return nullptr;
    if (dataLength > kUdpDatagramSize - kUdpRequestHeaderSize || (dataLength && !data)) return nullptr;

    auto r = std::make_unique<UdpRequest>();
    r->destination = destination.empty() ? kUdpBroadcast : destination.substr(0, kUdpMaxDestination);
    r->state = kUdpQueued;
    r->identifier = NextUdpRequestId();
    r->command = command;
    // The status request is the bare header; every other command has address and count.
    const bool bare = command == kUdpReadStatus;
    r->requestLength = static_cast<uint32_t>(bare ? kUdpHeaderSize : kUdpRequestHeaderSize + dataLength);
    r->length = static_cast<uint16_t>(r->requestLength - kUdpHeaderSize);
    r->address = bare ? 0 : address;
    r->count = bare ? 0 : count;
    PutWord(&r->request[0], r->identifier);
    PutWord(&r->request[2], r->command);
    PutWord(&r->request[4], r->length);
    PutWord(&r->request[6], 0);
    if (!bare) {
        PutWord(&r->request[8], r->address);
        PutWord(&r->request[10], r->count);
        if (dataLength) std::memcpy(&r->request[kUdpRequestHeaderSize], data, dataLength);
    }
    return r;
}

std::unique_ptr<UdpRequest> ReadMemoryRequest(const std::string& destination, uint16_t address,
                                              uint16_t count) {
    return CreateUdpRequest(destination, kUdpReadMemory, address, count);
}

std::unique_ptr<UdpRequest> WriteMemoryRequest(const std::string& destination, uint16_t address,
                                               const uint8_t* data, size_t length) {
    return CreateUdpRequest(destination, kUdpWriteMemory, address, static_cast<uint16_t>(length), data,
                            length);
}

std::unique_ptr<UdpRequest> BitRequest(const std::string& destination, uint16_t address, uint16_t bit,
                                       bool set) {
    return CreateUdpRequest(destination, set ? kUdpSetBit : kUdpClearBit, address, bit);
}

std::unique_ptr<UdpRequest> StatusRequest(const std::string& destination) {
    return CreateUdpRequest(destination, kUdpReadStatus, 0, 0);
}

std::unique_ptr<UdpRequest> ModeRequest(const std::string& destination, bool run) {
    const uint8_t value[2] = {static_cast<uint8_t>(run ? 1 : 0), 0};
    return CreateUdpRequest(destination, kUdpSetMode, 0, 2, value, sizeof value);
}

uint32_t UdpDestinationAddress(const std::string& destination) {
    if (destination != kUdpBroadcast && destination.size() > 6) return InetAddr(destination);
    return 0xFFFFFFFF;
}

} // namespace pontra
