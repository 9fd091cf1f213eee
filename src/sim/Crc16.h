// SPDX-License-Identifier: GPL-3.0-or-later
// CRC-16/MODBUS (initial 0xFFFF, reflected polynomial 0xA001, no final XOR): the check
// that closes every uploaded program image, low byte first.
#pragma once

#include <cstdint>
#include <span>

namespace pontra::sim {

uint16_t Crc16Modbus(std::span<const uint8_t> data);

}  // namespace pontra::sim
