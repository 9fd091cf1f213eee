// SPDX-License-Identifier: GPL-3.0-or-later
// Who a soft module says it is: the identification registers the IDE reads before a
// download or going online.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pontra::sim {

struct Identity {
    std::string type;         // controller type name
    uint8_t typeCode = 0;     // high byte of register 17
    uint16_t mode = 2;        // register 18: 2 = PLC mode
    uint16_t variant = 0;     // register 6
    uint16_t firmware = 0x680C;  // register 25: high byte 100 + major, low byte minor (4.12)
    uint8_t memoryCode = 3;   // register 511 bits 9-10
};

// Values that pass the download checks for this controller type; none for an unknown name.
std::optional<Identity> IdentityFor(std::string_view controllerType);

// "4.12" -> 0x680C; none when the text is not major.minor with major <= 155 and minor <= 255.
std::optional<uint16_t> ParseFirmware(std::string_view text);

// Program memory size in bytes for a memory code 0..3.
uint32_t ProgramMemoryBytes(uint8_t memoryCode);

}  // namespace pontra::sim
