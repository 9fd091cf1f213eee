// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/Crc16.h"

#include <array>

namespace pontra {

namespace {

// The CRC of every byte value, so that each byte takes one step instead of eight (a list
// download computes it for every module).
constexpr std::array<uint16_t, 256> kTable = [] {
    std::array<uint16_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        auto crc = static_cast<uint16_t>(value);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
        table[value] = crc;
    }
    return table;
}();

} // namespace

uint16_t Crc16Modbus(const uint8_t* data, size_t length, uint16_t crc) {
    for (size_t i = 0; i < length; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ kTable[(crc ^ data[i]) & 0xFF]);
    return crc;
}

} // namespace pontra
