// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/ConfigurationBlock.h"

#include <algorithm>
#include <optional>
#include <string>

#include "build/TagLayout.h"
#include "model/Project.h"

namespace pontra {

namespace {

constexpr size_t kMaxCounted = 255;  // what one length byte can count

class Writer {
public:
    void U8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) {
        U8(v & 0xFF);
        U8((v >> 8) & 0xFF);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    // Length byte and characters; a longer text is cut so that its length stays true.
    void Text(const std::string& text) {
        const size_t n = std::min(text.size(), kMaxCounted);
        U8(static_cast<uint32_t>(n));
        bytes.insert(bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    }
    void PatchU32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }
    void PatchU16(size_t at, uint32_t v) {
        bytes[at] = static_cast<uint8_t>(v);
        bytes[at + 1] = static_cast<uint8_t>(v >> 8);
    }
    std::vector<uint8_t> bytes;
};

uint8_t EntryType(const std::string& type) {
    if (type == "BOOL") return 1;
    if (type == "SINT") return 2;
    if (type == "INT") return 3;
    return 4;
}

const CTag* InstanceMember(const CTag& configTag, const CTag& declaration, size_t index) {
    const std::string name = configTag.name + "." + declaration.name;
    if (index < configTag.members.size() && configTag.members[index]->name == name) return configTag.members[index].get();
    for (const auto& member : configTag.members)
        if (member->name == name) return member.get();
    return nullptr;
}

std::optional<uint32_t> ChoiceValue(const CTag& declaration, const char* text) {
    for (size_t i = 0; i < declaration.choiceTexts.size(); ++i)
        if (declaration.choiceTexts[i] == text)
            return i < declaration.choiceValues.size() ? declaration.choiceValues[i] : 0u;
    return std::nullopt;
}

void WriteEntry(Writer& w, const CTag& declaration, const CTag& member) {
    w.Text(declaration.name);
    w.Text(declaration.configText);
    w.Text(member.description);
    w.U8(EntryType(declaration.dataType));
    w.U32(static_cast<uint32_t>(member.address));
    w.U8(static_cast<uint32_t>(member.bit));
    w.U8(declaration.configMode | (member.nonVolatile ? 0x80u : 0u));
    if (declaration.configMode == kConfigChoice) {
        const size_t count = std::min(declaration.choiceTexts.size(), kMaxCounted);
        w.U8(static_cast<uint32_t>(count));
        for (size_t i = 0; i < count; ++i) {
            w.Text(declaration.choiceTexts[i]);
            w.U32(i < declaration.choiceValues.size() ? declaration.choiceValues[i] : 0u);
        }
    } else if (declaration.configMode == kConfigRange) {
        const auto min = ChoiceValue(declaration, "Min");
        const auto max = ChoiceValue(declaration, "Max");
        w.U8((min ? 1u : 0u) | (max ? 2u : 0u));
        if (min) w.U32(*min);
        if (max) w.U32(*max);
    }
}

}  // namespace

ConfigurationBlock BuildConfigurationBlock(const CProject& project, const CTag* configTag) {
    ConfigurationBlock block;
    if (!configTag || configTag->members.empty()) return block;
    const CType* type = project.FindType(configTag->dataType);
    if (!type) return block;

    Writer w;
    w.U32(0);  // length, patched below
    w.U32(static_cast<uint32_t>(configTag->address));
    w.U32(static_cast<uint32_t>(TypeByteSize(project, type->name)));
    w.U8(1);
    w.U8(0);
    w.U16(0);  // entries, patched below
    w.Text(configTag->name);
    for (size_t i = 0; i < type->members.size() && block.entries < 0xFFFF; ++i) {
        const CTag& declaration = *type->members[i];
        if (declaration.configMode == kConfigNone) continue;
        const CTag* member = InstanceMember(*configTag, declaration, i);
        if (!member) continue;
        WriteEntry(w, declaration, *member);
        ++block.entries;
    }
    w.PatchU32(0, static_cast<uint32_t>(w.bytes.size()));
    w.PatchU16(14, static_cast<uint32_t>(block.entries));
    block.bytes = std::move(w.bytes);
    return block;
}

}  // namespace pontra
