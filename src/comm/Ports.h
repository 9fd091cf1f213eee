// SPDX-License-Identifier: GPL-3.0-or-later
// The module's port numbers. A real module listens on 502 (register protocol, TCP),
// 69 (TFTP) and 55559 (datagram requests); PONTRA_MODBUS_PORT, PONTRA_TFTP_PORT and
// PONTRA_UDP_PORT replace them so that an unprivileged user can reach a soft module on
// high ports. The clients take the port as a parameter; these give its default.
#pragma once

#include <cstdint>

namespace pontra {

constexpr uint16_t kDefaultModbusPort = 502;
constexpr uint16_t kDefaultTftpPort = 69;
constexpr uint16_t kDefaultUdpPort = 55559;

uint16_t ModbusPort();
uint16_t TftpPort();
uint16_t UdpPort();

// The value of `variable` when it is a port number 1-65535, else `fallback`.
uint16_t PortFromEnvironment(const char* variable, uint16_t fallback);

} // namespace pontra
