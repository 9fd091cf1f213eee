// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/Ports.h"

#include <cstdlib>

namespace pontra {

uint16_t PortFromEnvironment(const char* variable, uint16_t fallback) {
    const char* text = std::getenv(variable);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > 65535) return fallback;
    return static_cast<uint16_t>(value);
}

uint16_t ModbusPort() {
    return PortFromEnvironment("PONTRA_MODBUS_PORT", kDefaultModbusPort);
}
uint16_t TftpPort() {
    return PortFromEnvironment("PONTRA_TFTP_PORT", kDefaultTftpPort);
}
uint16_t UdpPort() {
    return PortFromEnvironment("PONTRA_UDP_PORT", kDefaultUdpPort);
}

} // namespace pontra
