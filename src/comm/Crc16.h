// SPDX-License-Identifier: GPL-3.0-or-later
// CRC-16/MODBUS (initial value 0xFFFF, reflected polynomial 0xA001, no final XOR): the
// check a module makes over an uploaded file, which travels after it low byte first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pontra {

uint16_t Crc16Modbus(const uint8_t* data, size_t length, uint16_t crc = 0xFFFF);

} // namespace pontra
