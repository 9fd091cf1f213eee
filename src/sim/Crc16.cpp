// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Crc16.h"

#include <array>

namespace pontra::sim {

namespace {

// The CRC of every byte value: one step per byte instead of eight.
constexpr std::array<uint16_t, 256> kTable = [] {
    std::array<uint16_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        auto crc = static_cast<uint16_t>(value);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
        table[value] = crc;
    }
    return table;
}();

}  // namespace

uint16_t Crc16Modbus(std::span<const uint8_t> data) {
    uint16_t crc = 0xFFFF;
    for (uint8_t byte : data) crc = static_cast<uint16_t>((crc >> 8) ^ kTable[(crc ^ byte) & 0xFF]);
    return crc;
}

}  // namespace pontra::sim
