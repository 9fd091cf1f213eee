// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ControllerTypes.h"

#include "build/TagLayout.h"
#include "model/BitDescriptions.h"
#include "model/Project.h"
#include "model/Types.h"
#include "model/ValueStyle.h"

namespace pontra {

namespace {

constexpr const char* kDialogTypes[] = {"Brindle", "Vessa",   "VessaK1",        "Kormo",  "VessaK2",
                                        "Vessa-IX", "Vessa-Lite", "Oskel", "VessaK2/K3-48V", "VessaK3"};

#define SLOTS {"Tag1", "SINT", 256, 0}, {"Tag2", "SINT", 288, 0}, {"Tag3", "SINT", 320, 0}, {"Tag4", "SINT", 352, 0}
#define INPUT_SIDE                                                                                             \
    {"Inputs", "DINT", 0, 0}, {"FromUpstreamState", "INT", 4, 0}, {"FromUpstreamTracking", "DINT", 8, 0},     \
        {"FromDownstreamState", "INT", 12, 0}, {"FromPLC", "DINT", 16, 0}, {"FromPLCArray", "INT[16]", 52, 0}, \
        {"MyIPAddress", "DINT", 20, 0}
#define OUTPUT_SIDE                                                                                            \
    {"Outputs", "DINT", 128, 0}, {"ToUpstreamState", "INT", 132, 0}, {"ToDownstreamState", "INT", 136, 0},    \
        {"ToDownstreamTracking", "DINT", 140, 0}, {"ToPLC", "DINT", 144, 0}, {"ToPLCArray", "INT[16]", 212, 0}

constexpr ControllerTagSpec kGroupA[] = {
    INPUT_SIDE,
    {"ServoReadyLeft", "BOOL", 44, 0},
    {"ServoReadyRight", "BOOL", 48, 0},
    {"FirstLadderExec", "BOOL", 248, 0},
    OUTPUT_SIDE,
    {"SensorPolarity", "INT", 184, 0},
    {"SpeedLeftMTR", "INT", 188, 0},
    {"SpeedRightMTR", "INT", 192, 0},
    {"ServoSetPointLeft", "INT", 196, 0},
    {"ServoSetPointRight", "INT", 200, 0},
    {"ServoResetLeft", "BOOL", 204, 0},
    {"ServoResetRight", "BOOL", 208, 0},
    {"ServoCommandLeft", "BOOL", 204, 1},
    {"ServoCommandRight", "BOOL", 208, 1},
    SLOTS,
};

// Kormo: group A's positions and addresses with every left/right pair listed right first.
constexpr ControllerTagSpec kGroupB[] = {
    INPUT_SIDE,
    {"ServoReadyRight", "BOOL", 44, 0},
    {"ServoReadyLeft", "BOOL", 48, 0},
    {"FirstLadderExec", "BOOL", 248, 0},
    OUTPUT_SIDE,
    {"SensorPolarity", "INT", 184, 0},
    {"SpeedRightMTR", "INT", 188, 0},
    {"SpeedLeftMTR", "INT", 192, 0},
    {"ServoSetPointRight", "INT", 196, 0},
    {"ServoSetPointLeft", "INT", 200, 0},
    {"ServoResetRight", "BOOL", 204, 0},
    {"ServoResetLeft", "BOOL", 208, 0},
    {"ServoCommandRight", "BOOL", 204, 1},
    {"ServoCommandLeft", "BOOL", 208, 1},
    SLOTS,
};

constexpr ControllerTagSpec kGroupC[] = {
    INPUT_SIDE,
    {"ServoPositionLeft", "INT", 36, 0},
    {"ServoPositionRight", "INT", 40, 0},
    {"ServoReadyLeft", "BOOL", 44, 0},
    {"ServoReadyRight", "BOOL", 48, 0},
    {"FirstLadderExec", "BOOL", 248, 0},
    OUTPUT_SIDE,
    {"SensorPolarity", "INT", 184, 0},
    {"SpeedLeftMTR", "INT", 188, 0},
    {"SpeedRightMTR", "INT", 192, 0},
    {"ServoSetPointLeft", "INT", 196, 0},
    {"ServoSetPointRight", "INT", 200, 0},
    {"ServoResetLeft", "BOOL", 204, 0},
    {"ServoResetRight", "BOOL", 208, 0},
    {"ServoCommandLeft", "BOOL", 204, 1},
    {"ServoCommandRight", "BOOL", 208, 1},
    SLOTS,
};

constexpr ControllerTagSpec kGroupD[] = {
    INPUT_SIDE,
    {"FirstLadderExec", "BOOL", 248, 0},
    OUTPUT_SIDE,
    {"InputPolarity", "INT", 184, 0},
    {"OutputPolarity", "INT", 188, 0},
    {"InputOutputConfiguration", "INT", 192, 0},
    {"PushPullConfiguration", "INT", 196, 0},
    {"StateOnDisconnect", "INT", 200, 0},
    SLOTS,
};

constexpr ControllerTagSpec kGroupE[] = {
    {"Inputs", "DINT", 0, 0},
    {"FromUpstreamState", "INT", 4, 0},
    {"FromUpstreamTracking", "DINT", 8, 0},
    {"FromDownstreamState", "INT", 12, 0},
    {"FromPLCArray", "INT[16]", 96, 0},
    {"MyIPAddress", "DINT", 16, 0},
    {"ServoPosition", "DINT", 20, 0},
    {"MotorDiagnostic", "DINT", 28, 0},
    {"FirstLadderExec", "BOOL", 248, 0},
    {"Outputs", "DINT", 128, 0},
    {"ToUpstreamState", "INT", 132, 0},
    {"ToDownstreamState", "INT", 136, 0},
    {"ToDownstreamTracking", "DINT", 140, 0},
    {"ToPLCArray", "INT[16]", 216, 0},
    {"SensorConfiguration", "DINT", 144, 0},
    {"MotorProfileZero", "INT[8]", 148, 0},
    SLOTS,
};

constexpr ControllerTagSpec kGroupF[] = {
    INPUT_SIDE,
    {"RS485 InData", "INT[4]", 24, 0},
    {"RS485 Errors", "INT", 32, 0},
    {"FirstLadderExec", "BOOL", 248, 0},
    OUTPUT_SIDE,
    {"RS485 OutData", "INT[4]", 148, 0},
    {"RS485 Default", "INT[4]", 156, 0},
    {"SlaveID", "INT", 164, 0},
    {"StartRead", "INT", 166, 0},
    {"NumToRead", "INT", 168, 0},
    {"StartWrite", "INT", 170, 0},
    {"NumToWrite", "INT", 172, 0},
    {"Baudrate", "INT", 174, 0},
    {"RS485 Settings", "INT", 176, 0},
    {"Scanrate", "INT", 178, 0},
    {"RS485 Timeout", "INT", 180, 0},
    SLOTS,
};

constexpr ControllerTagSpec kGroupG[] = {
    {"MainInputsA", "DINT", 0, 0},
    {"ExtdInputsB", "DINT", 4, 0},
    {"ExtdInputsC", "DINT", 8, 0},
    {"Buttons", "DINT", 12, 0},
    {"ExtdBoardStatus", "DINT", 16, 0},
    {"CodeReadArrivalPlate", "DINT", 20, 0},
    {"CodeReadLastPlate", "DINT", 24, 0},
    {"CodeReadPlateID", "DINT", 28, 0},
    {"CodeReadIdxPosition", "DINT", 32, 0},
    {"CodeReadSpeed", "DINT", 36, 0},
    {"CodeReadWarning", "DINT", 40, 0},
    {"MainOutABPLC", "DINT", 44, 0},
    {"ExtdOutABPLC", "DINT", 48, 0},
    {"VirtOutABPLC", "DINT[4]", 52, 0},
    {"FirstLadderExec", "BOOL", 248, 0},
    {"MainOutputsA", "DINT", 128, 0},
    {"ExtdOutputsB", "DINT", 132, 0},
    {"PolarityMainInpA", "DINT", 136, 0},
    {"PolarityExtdInpB", "DINT", 140, 0},
    {"PolarityExtdInpC", "DINT", 144, 0},
    {"DebounceMainInpA", "DINT", 148, 0},
    {"DebounceExtdInpB", "DINT", 152, 0},
    {"DebounceExtdInpC", "DINT", 156, 0},
    {"VirtInpABPLC", "DINT[4]", 160, 0},
};

#undef SLOTS
#undef INPUT_SIDE
#undef OUTPUT_SIDE

static_assert(std::size(kGroupA) == 29 && std::size(kGroupB) == 29 && std::size(kGroupC) == 31 &&
              std::size(kGroupD) == 23 && std::size(kGroupE) == 20 && std::size(kGroupF) == 31 &&
              std::size(kGroupG) == 24);

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    for (auto n : names)
        if (n == name) return true;
    return false;
}

// Array elements of the controller area lie 2 bytes apart, for DINT arrays too.
constexpr int kControllerArrayStride = 2;

// Assigns the fixed addresses to a predefined tag's members: bits of integers at the
// tag's address, array elements 2 bytes apart with their own bits.
void AssignFixedAddresses(CTag& tag, int address, int bit) {
    tag.address = address;
    tag.bit = bit;
    if (auto array = ParseArrayType(tag.dataType)) {
        for (size_t i = 0; i < tag.members.size(); ++i)
            AssignFixedAddresses(*tag.members[i], address + kControllerArrayStride * static_cast<int>(i), 0);
        return;
    }
    for (size_t i = 0; i < tag.members.size(); ++i) {
        tag.members[i]->address = address;
        tag.members[i]->bit = static_cast<int>(i);
    }
}

void FillTableDescriptions(const std::string& controllerType, CTag& tag, bool onlyEmpty) {
    const int table = DescriptionTableFor(controllerType, tag.name);
    if (table < 0) return;
    for (size_t i = 0; i < tag.members.size(); ++i) {
        std::string_view text = DescriptionTableEntry(table, static_cast<int>(i));
        if (text.empty() || (onlyEmpty && !tag.members[i]->description.empty())) continue;
        tag.members[i]->description = std::string(text);
    }
}

// Writes a tag's (and its members') initial values at their fixed addresses.
void WriteInitialValues(const CTag& tag, std::vector<uint8_t>& image) {
    const int32_t value = DecimalToInt(tag.initialValue);
    if (tag.address >= 0 && tag.address < kTagMemorySize) {
        if (tag.dataType == "BOOL") {
            const size_t byte = static_cast<size_t>(tag.address + tag.bit / 8);
            if (byte < image.size()) {
                const uint8_t mask = static_cast<uint8_t>(1u << (tag.bit % 8));
                image[byte] = value ? (image[byte] | mask) : (image[byte] & static_cast<uint8_t>(~mask));
            }
        } else {
            for (int i = 0; i < 4; ++i) {
                const size_t byte = static_cast<size_t>(tag.address + i);
                if (byte < image.size()) image[byte] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
            }
        }
    }
    for (const auto& m : tag.members) WriteInitialValues(*m, image);
}

// Lays a connection slot out with the general rules from its fixed address and records its size.
void LayOutSlot(const CProject& project, CTag& tag, int slotIndex, InitialImage& image) {
    LayoutCursor cursor;
    cursor.offset = kConnectionSlotStart + kConnectionSlotSpacing * slotIndex;
    const int start = cursor.offset;
    PlaceTag(project, tag, cursor, image);
    CloseLayout(cursor);
    tag.byteSize = cursor.offset - start;
}

}  // namespace

std::span<const char* const> ControllerPropertiesTypes() { return kDialogTypes; }

std::span<const ControllerTagSpec> ControllerTagList(std::string_view t) {
    if (IsOneOf(t, {"Vessa", "Vessa-Lite"})) return kGroupA;
    if (t == "Kormo") return kGroupB;
    if (IsOneOf(t, {"VessaK1", "VessaK2", "VessaK2/K3-48V", "VessaK3", "KTX-310-1", "KTX-310-B", "KTX-310-0"}))
        return kGroupC;
    if (IsOneOf(t, {"Vessa-IX", "KTI-8-0"})) return kGroupD;
    if (t == "Oskel") return kGroupE;
    if (t == "Brindle") return kGroupF;
    if (t == "Aldera") return kGroupG;
    return {};
}

int FirstConnectionSlot(std::string_view controllerType) {
    auto list = ControllerTagList(controllerType);
    for (size_t i = 0; i < list.size(); ++i)
        if (std::string_view(list[i].name) == "Tag1") return static_cast<int>(i);
    return static_cast<int>(list.size());
}

bool HasDescriptionTable(std::string_view controllerType, std::string_view tagName) {
    return DescriptionTableFor(controllerType, tagName) >= 0;
}

std::string TableDescription(std::string_view controllerType, std::string_view tagName, int index) {
    return std::string(DescriptionTableEntry(DescriptionTableFor(controllerType, tagName), index));
}

void BuildControllerTags(CProject& project) {
    CVessaDoc& doc = project.doc;
    InitialImage scratch(kControllerImageSize);
    int slot = 0;
    for (const auto& spec : ControllerTagList(doc.controllerType)) {
        auto tag = std::make_unique<CTag>(spec.name, spec.type);
        tag->scope = 1;
        const bool isSlot = std::string_view(spec.name).starts_with("Tag") && std::string_view(spec.type) == "SINT" &&
                            spec.address >= kConnectionSlotStart;
        if (isSlot) tag->connectionKind = kConnNotUsed;
        BuildMembers(project, *tag);
        if (isSlot) {
            LayOutSlot(project, *tag, slot++, scratch);
        } else {
            AssignFixedAddresses(*tag, spec.address, spec.bit);
            FillTableDescriptions(doc.controllerType, *tag, false);
        }
        doc.controllerTags.push_back(std::move(tag));
    }
}

int LayOutControllerArea(CProject& project, std::vector<uint8_t>& image) {
    if (image.size() < kControllerImageSize) image.resize(kControllerImageSize, 0);
    CVessaDoc& doc = project.doc;
    auto specs = ControllerTagList(doc.controllerType);
    InitialImage slotImage(kControllerImageSize);
    slotImage.Bytes() = image;
    std::vector<CTag*> slots;
    for (auto& tag : doc.controllerTags) {
        if (tag->connectionKind != kConnNone) {
            slots.push_back(tag.get());
            continue;
        }
        for (const auto& spec : specs) {
            if (tag->name == spec.name) {
                AssignFixedAddresses(*tag, spec.address, spec.bit);
                break;
            }
        }
        WriteInitialValues(*tag, slotImage.Bytes());
    }
    for (size_t i = 0; i < slots.size(); ++i) LayOutSlot(project, *slots[i], static_cast<int>(i), slotImage);
    image = std::move(slotImage.Bytes());
    return kControllerAreaSize;
}

void ApplyControllerType(CProject& project, const std::string& newType) {
    CVessaDoc& doc = project.doc;
    TagList kept;
    for (auto& tag : doc.controllerTags)
        if (tag->connectionKind != kConnNone) kept.push_back(std::move(tag));
    doc.controllerTags.clear();
    doc.controllerType = newType;
    BuildControllerTags(project);
    size_t next = 0;
    for (auto& tag : doc.controllerTags) {
        if (tag->connectionKind == kConnNone || next >= kept.size()) continue;
        tag = std::move(kept[next++]);
    }
}

}  // namespace pontra
