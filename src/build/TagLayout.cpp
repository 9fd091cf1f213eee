// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/TagLayout.h"

#include "model/Project.h"
#include "model/Types.h"
#include "model/ValueStyle.h"

namespace pontra {

namespace {

bool IsTypeInList(const CProject& project, const std::string& type) { return project.FindType(type) != nullptr; }

// Tags of these types move the cursor alike with or without their members (bits,
// timer and counter fields): PlaceTag only writes the members' addresses.
bool PlacedWithoutMembers(const CProject& project, const std::string& type) {
    return (IsElementary(type) && IsTypeInList(project, type)) || type == "TIMER" || type == "COUNTER";
}

// The member of a timer or counter with this short name (T.PRE -> PRE).
CTag* FindMemberBySuffix(CTag& tag, std::string_view suffix) {
    for (auto& m : tag.members) {
        std::string_view name = m->name;
        size_t dot = name.rfind('.');
        if ((dot == std::string_view::npos ? name : name.substr(dot + 1)) == suffix) return m.get();
    }
    return nullptr;
}

void PlaceElementary(CTag& tag, LayoutCursor& cursor, InitialImage& image) {
    const bool isBool = tag.dataType == "BOOL";
    if (tag.dataType == cursor.previousType) {
        if (isBool) {
            if (++cursor.bitCounter == 32) {
                cursor.bitCounter = 0;
                cursor.offset += 4;
            }
        } else {
            cursor.bitCounter = 0;
        }
    } else {
        OpenNewType(cursor, tag.dataType);
    }
    tag.address = cursor.offset;
    const int32_t value = DecimalToInt(tag.initialValue);
    const int bits = ElementaryBits(tag.dataType);
    if (isBool) {
        image.SetBit(tag.address + cursor.bitCounter / 8, cursor.bitCounter % 8, value != 0);
        tag.bit = cursor.bitCounter;
    } else {
        image.Store(tag.address, value, bits / 8);
        // The bits mostly have their places from the last build: only changes are written.
        for (size_t i = 0; i < tag.members.size(); ++i) {
            CTag& bit = *tag.members[i];
            if (bit.address != tag.address) bit.address = tag.address;
            if (bit.bit != static_cast<int>(i)) bit.bit = static_cast<int>(i);
        }
    }
    cursor.offset += bits / 8;
    tag.byteSize = isBool ? 1 : bits / 8;
}

// TIMER and COUNTER: status bits in the high byte of the first word, PRE at +4, ACC at +8.
void PlaceTimerCounter(CTag& tag, LayoutCursor& cursor, InitialImage& image, bool counter) {
    OpenNewType(cursor, tag.dataType);
    tag.address = cursor.offset;
    static const char* const kTimerBits[] = {"EN", "TT", "DN"};
    static const char* const kCounterBits[] = {"CU", "CD", "DN", "OV", "UN"};
    const char* const* names = counter ? kCounterBits : kTimerBits;
    const int count = counter ? 5 : 3;
    for (int i = 0; i < count; ++i) {
        if (CTag* m = FindMemberBySuffix(tag, names[i])) {
            m->address = tag.address;
            m->bit = 31 - i;
            image.SetBit(tag.address + 3, 7 - i, DecimalToInt(m->initialValue) != 0);
        }
    }
    if (CTag* pre = FindMemberBySuffix(tag, "PRE")) {
        pre->address = tag.address + 4;
        image.Store(pre->address, DecimalToInt(pre->initialValue), 4);
    }
    if (CTag* acc = FindMemberBySuffix(tag, "ACC")) {
        acc->address = tag.address + 8;
        image.Store(acc->address, DecimalToInt(acc->initialValue), 4);
    }
    cursor.offset = tag.address + 12;
    tag.byteSize = 12;
}

void PlaceStructure(const CProject& project, CTag& tag, LayoutCursor& cursor, InitialImage& image) {
    OpenNewType(cursor, tag.dataType);
    tag.bit = 0;
    tag.address = cursor.offset;
    // An alias member has no memory of its own, as in the function block's own layout.
    for (auto& member : tag.members)
        if (member->alias.empty()) PlaceTag(project, *member, cursor, image);
    CloseLayout(cursor);
    // A function block's instance also reserves the block's scratch tags and, for
    // Structured Text, its compiler's variables: the block's code addresses them
    // relative to the instance, right after its own tags. (Reserving the scratch tags
    // of ladder blocks too keeps their indexed array access inside the instance.)
    const CUnit* unit = project.FindUnit(tag.dataType);
    if (unit && unit->IsFunctionBlock()) {
        InitialImage scratchImage(0);
        const TagList none;
        for (const TagList* list : {&unit->tags2, unit->IsStructuredText() ? &unit->stVariables : &none}) {
            for (const auto& source : *list) {
                // Only the room matters here, not the members' places.
                CTag scratch(source->name, source->dataType);
                if (!PlacedWithoutMembers(project, scratch.dataType)) BuildMembers(project, scratch);
                PlaceTag(project, scratch, cursor, scratchImage);
            }
        }
    }
    tag.byteSize = cursor.offset - tag.address;
}

}  // namespace

void InitialImage::SetBit(int address, int bit, bool on) {
    if (address < 0 || static_cast<size_t>(address) >= bytes_.size() || address >= kNonVolatileImageSize) return;
    const uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
    if (on) bytes_[static_cast<size_t>(address)] |= mask;
    else bytes_[static_cast<size_t>(address)] &= static_cast<uint8_t>(~mask);
}

void InitialImage::Store(int address, int32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        const int a = address + i;
        if (a < 0 || static_cast<size_t>(a) >= bytes_.size()) continue;
        bytes_[static_cast<size_t>(a)] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    }
}

void OpenNewType(LayoutCursor& cursor, const std::string& type) {
    if (cursor.offset % 4 == 0) {
        if (cursor.previousType == "BOOL") cursor.offset += 4;
    } else {
        cursor.offset = (cursor.offset + 3) / 4 * 4;
    }
    cursor.bitCounter = 0;
    cursor.previousType = type;
}

void CloseLayout(LayoutCursor& cursor) {
    if (cursor.previousType == "BOOL") cursor.offset += 4;
    else cursor.offset = (cursor.offset + 3) / 4 * 4;
}

void PlaceTag(const CProject& project, CTag& tag, LayoutCursor& cursor, InitialImage& image) {
    if (IsElementary(tag.dataType) && IsTypeInList(project, tag.dataType)) PlaceElementary(tag, cursor, image);
    else if (tag.dataType == "TIMER") PlaceTimerCounter(tag, cursor, image, false);
    else if (tag.dataType == "COUNTER") PlaceTimerCounter(tag, cursor, image, true);
    else PlaceStructure(project, tag, cursor, image);
}

int TypeByteSize(const CProject& project, const std::string& typeName) {
    const TagList* declarations = MemberDeclarations(project, typeName);
    if (!declarations) return 0;
    LayoutCursor cursor;
    InitialImage scratch(0);
    for (const auto& declaration : *declarations) {
        if (!declaration->alias.empty()) continue;
        CTag member(declaration->name, declaration->dataType);
        BuildMembers(project, member);
        PlaceTag(project, member, cursor, scratch);
    }
    CloseLayout(cursor);
    return cursor.offset;
}

}  // namespace pontra
