// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Records.h"

#include <algorithm>

#include "model/ControllerTypes.h"
#include "model/Types.h"

namespace pontra {

namespace {

// A loaded rung gets this drawing size until the view lays it out.
constexpr int kLoadedRungWidth = 20;
constexpr int kLoadedRungHeight = 50;

constexpr uint8_t kNonVolatileBit = 0x80;
constexpr uint8_t kConnectionKindMask = 0x7F;

void WriteTagRecord(ArchiveWriter& out, const CTag& tag, std::string_view controllerType) {
    out.Text(tag.name);
    out.Text(tag.dataType);
    out.Text(tag.initialValue);
    out.Text(tag.description);
    out.Text(tag.alias);
    out.Text(tag.baseTag);
    out.Text(tag.style);
    out.U32(tag.connectionWord);
    out.U8(static_cast<uint8_t>((tag.connectionKind & kConnectionKindMask) | (tag.nonVolatile ? kNonVolatileBit : 0)));
    out.U16(tag.connectionParam);
    out.I32(tag.usage);
    out.U32(static_cast<uint32_t>(tag.members.size()));
    const bool compact = !controllerType.empty() && HasDescriptionTable(controllerType, tag.name);
    for (size_t i = 0; i < tag.members.size(); ++i) {
        const CTag& member = *tag.members[i];
        if (compact && !member.description.empty() &&
            member.description == TableDescription(controllerType, tag.name, static_cast<int>(i))) {
            // Write a copy without the table text; the tag in memory keeps it.
            auto copy = member.Clone();
            copy->description.clear();
            WriteTagRecord(out, *copy, {});
        } else {
            WriteTagRecord(out, member, {});
        }
    }
}

// The bit members an integer tag of a version-1 or -2 file was stored without.
void DeriveBitMembers(ArchiveReader& in, CTag& tag, const CProject& project) {
    if (!tag.members.empty() || !IsElementary(tag.dataType) || tag.dataType == "BOOL") return;
    in.tally.derivedIntegerBytes += static_cast<uint32_t>(ElementaryBits(tag.dataType) / 8);
    if (in.tally.derivedIntegerBytes > kMaxDerivedIntegerBytes) {
        in.Fail("integer tags of more than " + std::to_string(kMaxDerivedIntegerBytes) + " bytes");
        return;
    }
    BuildMembers(project, tag);
}

// Counts one more record against its limit over the whole buffer.
bool Tally(ArchiveReader& in, uint32_t& counter, uint32_t limit, const char* what) {
    if (++counter <= limit) return true;
    in.Fail("more than " + std::to_string(limit) + " " + what);
    return false;
}

}  // namespace

uint32_t MinTagRecord(uint32_t version) {
    if (version <= 2) return 3 + 4;          // three texts, member count
    if (version == 3) return 7 + 4;          // seven texts, member count
    if (version == 4) return 7 + 4 + 1 + 2 + 4;  // + connection word, byte, parameter
    return 7 + 4 + 1 + 2 + 4 + 4;            // + usage
}

void WriteRung(ArchiveWriter& out, const CRung& rung) {
    out.I32(rung.flag);
    out.Text(rung.comment);
    out.U32(static_cast<uint32_t>(rung.elements.size()));
    for (const auto& e : rung.elements) WriteElement(out, *e);
}

void WriteElement(ArchiveWriter& out, const CElement& element) {
    out.I32(element.kind);
    const int count = std::clamp(element.operandCount, 0, kMaxOperands);
    out.U32(static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) out.Text(element.operands[static_cast<size_t>(i)]);
    out.U32(static_cast<uint32_t>(element.legs.size()));
    for (const auto& leg : element.legs) WriteRung(out, *leg);
}

void WriteTag(ArchiveWriter& out, const CTag& tag, std::string_view controllerType) {
    WriteTagRecord(out, tag, controllerType);
}

std::unique_ptr<CRung> ReadRung(ArchiveReader& in, CRung* parent, int depth) {
    auto rung = std::make_unique<CRung>();
    rung->parent = parent;
    rung->width = kLoadedRungWidth;
    rung->height = kLoadedRungHeight;
    rung->flag = in.I32();
    rung->comment = in.Text();
    const uint32_t count = in.Count(kMinElementRecord, "elements");
    rung->elements.reserve(count);
    for (uint32_t i = 0; i < count && in.Ok(); ++i) {
        auto element = ReadElement(in, rung.get(), depth);
        if (element) rung->elements.push_back(std::move(element));
    }
    if (!in.Ok()) return nullptr;
    return rung;
}

std::unique_ptr<CElement> ReadElement(ArchiveReader& in, CRung* parent, int depth) {
    const int32_t kind = in.I32();
    const uint32_t operandCount = in.U32();
    if (!in.Ok() || !Tally(in, in.tally.elements, kMaxElementRecords, "elements")) return nullptr;
    if (operandCount > kMaxOperands) {
        in.Fail("an element of kind " + std::to_string(kind) + " with " + std::to_string(operandCount) +
                " operands (at most " + std::to_string(kMaxOperands) + ")");
        return nullptr;
    }
    auto element = std::make_unique<CElement>(kind);
    element->parent = parent;
    element->operandCount = static_cast<int>(operandCount);
    for (uint32_t i = 0; i < operandCount; ++i) element->operands[i] = in.Text();
    // Older editors stored a function-block call with two operands; the instance is the second.
    if (kind == kKindJFB && operandCount == 2) {
        element->operands[0] = std::move(element->operands[1]);
        element->operands[1].clear();
        element->operandCount = 1;
    }
    const uint32_t legCount = in.Count(kMinRungRecord, "branch legs");
    if (legCount > 0 && depth >= kMaxBranchDepth) {
        in.Fail("branches nested deeper than " + std::to_string(kMaxBranchDepth) + " levels");
        return nullptr;
    }
    element->legs.reserve(legCount);
    for (uint32_t i = 0; i < legCount && in.Ok(); ++i) {
        // A leg hangs off the rung or leg that holds its branch element.
        auto leg = ReadRung(in, parent, depth + 1);
        if (leg) element->legs.push_back(std::move(leg));
    }
    if (!in.Ok()) return nullptr;
    return element;
}

std::unique_ptr<CTag> ReadTag(ArchiveReader& in, uint32_t version, const CProject& project, int depth) {
    auto tag = std::make_unique<CTag>();
    tag->name = in.Text();
    tag->dataType = in.Text();
    tag->initialValue = in.Text();
    if (version >= 3) {
        tag->description = in.Text();
        tag->alias = in.Text();
        tag->baseTag = in.Text();
        tag->style = in.Text();
    }
    if (version >= 4) {
        tag->connectionWord = in.U32();
        const uint8_t connection = in.U8();
        tag->connectionKind = connection & kConnectionKindMask;
        tag->nonVolatile = (connection & kNonVolatileBit) ? 1 : 0;
        tag->connectionParam = in.U16();
    }
    if (version >= 5) tag->usage = in.I32();
    const uint32_t count = in.Count(MinTagRecord(version), "tag members");
    if (count > 0 && depth >= kMaxTagDepth) {
        in.Fail("tag members nested deeper than " + std::to_string(kMaxTagDepth) + " levels");
        return nullptr;
    }
    tag->members.reserve(count);
    for (uint32_t i = 0; i < count && in.Ok(); ++i) {
        auto member = ReadTag(in, version, project, depth + 1);
        if (member) tag->members.push_back(std::move(member));
    }
    if (!in.Ok()) return nullptr;
    if (version <= 2) {
        if (tag->dataType.empty() && tag->alias.empty()) tag->dataType = "SINT";
        DeriveBitMembers(in, *tag, project);
        if (!in.Ok()) return nullptr;
    }
    return tag;
}

std::vector<uint8_t> RungToBytes(const CRung& rung) {
    ArchiveWriter out;
    WriteRung(out, rung);
    return out.Take();
}

std::vector<uint8_t> ElementToBytes(const CElement& element) {
    ArchiveWriter out;
    WriteElement(out, element);
    return out.Take();
}

std::unique_ptr<CRung> RungFromBytes(std::span<const uint8_t> bytes, std::string& error) {
    ArchiveReader in(bytes);
    auto rung = ReadRung(in, nullptr);
    if (!in.Ok()) error = in.Error();
    return rung;
}

std::unique_ptr<CElement> ElementFromBytes(std::span<const uint8_t> bytes, std::string& error) {
    ArchiveReader in(bytes);
    auto element = ReadElement(in, nullptr);
    if (!in.Ok()) error = in.Error();
    return element;
}

}  // namespace pontra
