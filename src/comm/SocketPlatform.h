// SPDX-License-Identifier: GPL-3.0-or-later
// The few socket calls whose form differs between platforms. Everything above this file
// speaks in these terms, so a Windows port replaces only SocketPlatform.cpp.
// Error codes are reported in the Windows Sockets numbering (10054 connection reset,
// 10040 message too long, ...) because the module protocols branch on those values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pontra {

using SocketHandle = intptr_t;
constexpr SocketHandle kNoSocket = -1;

// Windows Sockets error numbers the channels test for.
constexpr int kSockErrMessageTooLong = 10040;
constexpr int kSockErrConnectionReset = 10054;
constexpr int kSockErrAddressNotAvailable = 10049;
constexpr int kSockErrTimedOut = 10060;

// Library start and end (the 1.1 start-up of Windows Sockets; nothing on POSIX).
bool SocketStartup();
void SocketCleanup();

// The calling thread's last socket error in the Windows Sockets numbering; 0 for none.
int LastSocketError();
void ClearSocketError();

// `type` is SOCK_STREAM or SOCK_DGRAM; kNoSocket on failure.
SocketHandle OpenSocket(int type);
// 0 on success, -1 on failure.
int CloseSocket(SocketHandle handle);

// Waits for readability (or writability) at most `milliseconds`: 1 ready, 0 time-out,
// -1 error. Readability also counts a pending error or a peer's close.
int WaitSocket(SocketHandle handle, bool forWriting, int milliseconds);

// Stream transfer; -1 on failure, never raises a signal.
long SendStream(SocketHandle handle, const void* data, size_t length);
long ReceiveStream(SocketHandle handle, void* buffer, size_t size);

// Connects to an IPv4 address (network order) within `milliseconds`; 0 or -1.
int ConnectWithin(SocketHandle handle, uint32_t address, uint16_t port, int milliseconds);

// Datagram transfer with IPv4 addresses in network order and ports in host order.
// ReceiveDatagram returns the datagram's full length even when it was longer than
// `size` (only `size` bytes are stored), so callers can tell a cut datagram.
long SendDatagram(SocketHandle handle, const void* data, size_t length, uint32_t address, uint16_t port);
long ReceiveDatagram(SocketHandle handle, void* buffer, size_t size, uint32_t& address, uint16_t& port);
// 0 or -1.
int BindSocket(SocketHandle handle, uint32_t address, uint16_t port);
// The bound local address and port; 0 or -1.
int LocalEndpoint(SocketHandle handle, uint32_t& address, uint16_t& port);

// inet_addr: dotted text to a network-order address, 0xFFFFFFFF when the text is not one.
uint32_t InetAddr(const std::string& text);
// Network-order address to "%d.%d.%d.%d".
std::string DottedAddress(uint32_t address);
// The first IPv4 address of a name (dotted text or host name); false when none.
bool ResolveHost(const std::string& host, uint32_t& address);

// Milliseconds from a steady clock, wrapping at 2^32 like a tick counter.
uint32_t TickCount();
void SleepMs(int milliseconds);

} // namespace pontra
