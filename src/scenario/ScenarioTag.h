// SPDX-License-Identifier: GPL-3.0-or-later
// A tag a scenario names, resolved to where its value lives in the module's tag memory,
// and how such a value is read from and written into a copy of that memory: the same
// rules the online monitor reads live values by.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pontra::scenario {

struct ScenarioTag {
    std::string name;   // as written in the scenario
    std::string type;   // BOOL, SINT, BYTE, INT, WORD, DINT or DWORD
    std::string style;  // the tag's display style
    int address = 0;
    int bit = 0;
    int bits = 0;  // 1, 8, 16 or 32

    // The bytes the value occupies in tag memory: [first, first + size).
    int FirstByte() const;
    int ByteSize() const;
};

// The value as the online monitor shows it (SINT, INT, DINT and DWORD signed, BYTE and
// WORD unsigned, BOOL 0 or 1); none when it lies outside `memory`.
std::optional<int32_t> ReadTagValue(const std::vector<uint8_t>& memory, const ScenarioTag& tag);

// Stores `value` truncated to the tag's width (a BOOL: its bit, 0 or not); false when
// the tag lies outside `memory`.
bool WriteTagValue(std::vector<uint8_t>& memory, const ScenarioTag& tag, int32_t value);

// A parsed value brought into the form ReadTagValue gives for this tag, so that the two
// compare (16#FF written for a BYTE reads back as 255).
int32_t NormalizeTagValue(const ScenarioTag& tag, int32_t value);

// The value as text in the tag's display style.
std::string FormatTagValue(const ScenarioTag& tag, int32_t value);

}  // namespace pontra::scenario
