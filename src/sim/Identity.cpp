// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Identity.h"

#include <array>
#include <charconv>

namespace pontra::sim {

namespace {

struct Row {
    const char* type;
    uint8_t typeCode;
    uint16_t mode;
    uint16_t variant;  // the first variant the download check accepts for the type
};

// One row per controller type the IDE knows; mode 2 unless the type's check wants another.
constexpr std::array kRows = {
    Row{"Brindle", 2, 2, 0},          Row{"Vessa", 0, 2, 0},          Row{"Vessa-Lite", 13, 2, 0},
    Row{"Aldera", 7, 0, 0},           Row{"VessaK1", 9, 2, 0x91},     Row{"VessaK2", 9, 2, 0x95},
    Row{"KTX-310-0", 9, 2, 0x97},     Row{"KTX-310-B", 3, 2, 0x37},   Row{"Kormo", 0, 2, 0x04},
    Row{"Vessa-IX", 12, 2, 0xC1},     Row{"KTI-8-0", 12, 2, 0xC7},    Row{"Oskel", 4, 2, 0},
    Row{"VessaK2/K3-48V", 10, 2, 0xA0}, Row{"VessaK3", 9, 2, 0x98},   Row{"KTX-310-1", 9, 2, 0x9A},
};

}  // namespace

std::optional<Identity> IdentityFor(std::string_view controllerType) {
    for (const Row& row : kRows) {
        if (controllerType != row.type) continue;
        Identity id;
        id.type = row.type;
        id.typeCode = row.typeCode;
        id.mode = row.mode;
        id.variant = row.variant;
        return id;
    }
    return std::nullopt;
}

std::optional<uint16_t> ParseFirmware(std::string_view text) {
    const size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == text.size()) return std::nullopt;
    unsigned major = 0, minor = 0;
    const char* end = text.data() + text.size();
    auto a = std::from_chars(text.data(), text.data() + dot, major);
    auto b = std::from_chars(text.data() + dot + 1, end, minor);
    if (a.ec != std::errc() || a.ptr != text.data() + dot || b.ec != std::errc() || b.ptr != end) return std::nullopt;
    if (major > 155 || minor > 255) return std::nullopt;
    return static_cast<uint16_t>((100 + major) << 8 | minor);
}

uint32_t ProgramMemoryBytes(uint8_t memoryCode) { return 16384 + 8192 * (memoryCode & 3u); }

}  // namespace pontra::sim
