// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/ScenarioTag.h"

#include "model/ValueStyle.h"

namespace pontra::scenario {

int ScenarioTag::FirstByte() const { return bits == 1 ? address - address % 4 : address; }

int ScenarioTag::ByteSize() const { return bits == 1 ? 4 : bits / 8; }

std::optional<int32_t> ReadTagValue(const std::vector<uint8_t>& memory, const ScenarioTag& tag) {
    const int64_t first = tag.FirstByte();
    const int64_t size = tag.ByteSize();
    if (tag.address < 0 || first + size > static_cast<int64_t>(memory.size())) return std::nullopt;
    uint32_t raw = 0;
    for (int64_t i = 0; i < size; ++i) raw |= static_cast<uint32_t>(memory[static_cast<size_t>(first + i)]) << (8 * i);
    if (tag.bits == 1) return static_cast<int32_t>(raw >> ((tag.bit + 8 * (tag.address % 4)) & 31) & 1u);
    return NormalizeTagValue(tag, static_cast<int32_t>(raw));
}

bool WriteTagValue(std::vector<uint8_t>& memory, const ScenarioTag& tag, int32_t value) {
    const int64_t first = tag.FirstByte();
    const int64_t size = tag.ByteSize();
    if (tag.address < 0 || first + size > static_cast<int64_t>(memory.size())) return false;
    if (tag.bits == 1) {
        const int position = (tag.bit + 8 * (tag.address % 4)) & 31;
        uint8_t& byte = memory[static_cast<size_t>(first + position / 8)];
        const auto mask = static_cast<uint8_t>(1u << (position % 8));
        byte = value != 0 ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
        return true;
    }
    for (int64_t i = 0; i < size; ++i)
        memory[static_cast<size_t>(first + i)] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    return true;
}

int32_t NormalizeTagValue(const ScenarioTag& tag, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    if (tag.bits == 1) return value != 0 ? 1 : 0;
    if (tag.type == "SINT") return static_cast<int8_t>(u);
    if (tag.type == "BYTE") return static_cast<int32_t>(u & 0xFFu);
    if (tag.type == "INT") return static_cast<int16_t>(u);
    if (tag.type == "WORD") return static_cast<int32_t>(u & 0xFFFFu);
    return value;
}

std::string FormatTagValue(const ScenarioTag& tag, int32_t value) {
    return FormatValue(tag.type, tag.style, std::to_string(value));
}

}  // namespace pontra::scenario
