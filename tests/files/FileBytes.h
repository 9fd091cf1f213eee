// SPDX-License-Identifier: GPL-3.0-or-later
// Builds project-file bytes field by field from the format's layout tables, without the
// production writer, so that tests check the writer against the layout and feed the
// reader files that another tool could have written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pontra::test {

class FileBytes {
public:
    FileBytes& U8(uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    FileBytes& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    FileBytes& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    // The shortest length form.
    FileBytes& Text(const std::string& s) {
        if (s.size() < 255) U8(static_cast<uint8_t>(s.size()));
        else if (s.size() < 0xFFFE) U8(0xFF).U16(static_cast<uint16_t>(s.size()));
        else U8(0xFF).U16(0xFFFF).U32(static_cast<uint32_t>(s.size()));
        return Chars(s);
    }
    FileBytes& Chars(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    FileBytes& Append(const FileBytes& other) {
        bytes.insert(bytes.end(), other.bytes.begin(), other.bytes.end());
        return *this;
    }

    // An element record: kind, operands, no legs unless given.
    FileBytes& Element(uint32_t kind, const std::vector<std::string>& operands, const std::vector<FileBytes>& legs = {}) {
        U32(kind).U32(static_cast<uint32_t>(operands.size()));
        for (const auto& o : operands) Text(o);
        U32(static_cast<uint32_t>(legs.size()));
        for (const auto& leg : legs) Append(leg);
        return *this;
    }
    // A rung record with the given element records already built.
    FileBytes& Rung(uint32_t flag, const std::string& comment, uint32_t elementCount, const FileBytes& elements) {
        return U32(flag).Text(comment).U32(elementCount).Append(elements);
    }

    struct Tag {
        std::string name{};
        std::string type = "DINT";
        std::string init = "0";
        std::string description{};
        std::string alias{};
        std::string baseTag{};
        std::string style = "Decimal";
        uint32_t connectionWord = 0;
        uint8_t connectionByte = 5;
        uint16_t connectionParam = 0;
        uint32_t usage = 0;
        std::vector<Tag> members{};
    };
    // A tag record as version `v` writes it.
    FileBytes& TagRecord(const Tag& t, uint32_t v = 5) {
        Text(t.name).Text(t.type).Text(t.init);
        if (v >= 3) Text(t.description).Text(t.alias).Text(t.baseTag).Text(t.style);
        if (v >= 4) U32(t.connectionWord).U8(t.connectionByte).U16(t.connectionParam);
        if (v >= 5) U32(t.usage);
        U32(static_cast<uint32_t>(t.members.size()));
        for (const auto& m : t.members) TagRecord(m, v);
        return *this;
    }

    std::vector<uint8_t> bytes;
};

// A BOOL bit-member list "NAME.0" ... as an integer tag's members.
inline std::vector<FileBytes::Tag> BitMembers(const std::string& name, int bits) {
    std::vector<FileBytes::Tag> members;
    for (int i = 0; i < bits; ++i) members.push_back({.name = name + "." + std::to_string(i), .type = "BOOL"});
    return members;
}

}  // namespace pontra::test
