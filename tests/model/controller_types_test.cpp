// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <map>

#include "model/ControllerTypes.h"
#include "model/Project.h"
#include "model/Types.h"

namespace pontra {
namespace {

const char* const kAllTypes[] = {"Brindle", "Vessa",    "VessaK1",   "Kormo",     "VessaK2",  "Vessa-IX",
                                 "Vessa-Lite", "Oskel", "VessaK2/K3-48V", "VessaK3", "Aldera", "KTX-310-1",
                                 "KTX-310-B", "KTX-310-0", "KTI-8-0"};

int ByteWidth(const std::string& type) { return ElementaryBits(type) / 8; }

// Every predefined tag lies inside the controller area, and no two tags share a byte
// except BOOLs that share a word with different bits.
TEST(ControllerTypes, TagsStayInsideTheAreaWithoutOverlap) {
    for (const char* type : kAllTypes) {
        auto project = NewProject(type);
        std::map<int, std::string> owner;  // byte -> tag (non-BOOL bytes)
        std::map<std::pair<int, int>, std::string> bits;
        for (const auto& tag : project->doc.controllerTags) {
            ASSERT_GE(tag->address, 0) << type << " " << tag->name;
            if (tag->dataType == "BOOL") {
                EXPECT_LT(tag->address, kControllerAreaSize);
                EXPECT_TRUE(bits.emplace(std::make_pair(tag->address, tag->bit), tag->name).second)
                    << type << ": " << tag->name << " shares a bit with " << bits[{tag->address, tag->bit}];
                continue;
            }
            int first = tag->address, last = tag->address + std::max(tag->byteSize, 1) - 1;
            if (auto array = ParseArrayType(tag->dataType)) {
                last = tag->address + 2 * (array->Count() - 1) + ByteWidth(array->element) - 1;
            } else if (int width = ByteWidth(tag->dataType)) {
                last = tag->address + width - 1;
            }
            EXPECT_LT(last, kControllerAreaSize) << type << " " << tag->name;
            for (int b = first; b <= last; ++b) {
                auto [it, fresh] = owner.emplace(b, tag->name);
                EXPECT_TRUE(fresh) << type << ": " << tag->name << " overlaps " << it->second << " at " << b;
            }
        }
        for (const auto& [word, name] : bits) EXPECT_FALSE(owner.count(word.first)) << type << " " << name;
    }
}

TEST(ControllerTypes, GroupsHaveTheirSizesAndSlots) {
    const std::map<std::string, std::pair<size_t, int>> expected = {
        {"Vessa", {29, 25}},  {"Vessa-Lite", {29, 25}}, {"Kormo", {29, 25}},    {"VessaK1", {31, 27}},
        {"KTX-310-B", {31, 27}}, {"Vessa-IX", {23, 19}}, {"KTI-8-0", {23, 19}}, {"Oskel", {20, 16}},
        {"Brindle", {31, 27}}, {"Aldera", {24, 24}}};
    for (const auto& [type, sizes] : expected) {
        auto project = NewProject(type);
        EXPECT_EQ(project->doc.controllerTags.size(), sizes.first) << type;
        EXPECT_EQ(FirstConnectionSlot(type), sizes.second) << type;
        if (type != "Aldera") {
            const CTag& tag1 = *project->doc.controllerTags[static_cast<size_t>(sizes.second)];
            EXPECT_EQ(tag1.name, "Tag1");
            EXPECT_EQ(tag1.connectionKind, kConnNotUsed);
            EXPECT_EQ(tag1.address, 256);
        }
    }
    EXPECT_EQ(NewProject("Aldera")->FindControllerTag("Tag1"), nullptr);
    EXPECT_TRUE(NewProject("NoSuchType")->doc.controllerTags.empty());
}

TEST(ControllerTypes, SharedServoWordsAndArrayElements) {
    auto project = NewProject("Vessa");
    const CTag* command = project->FindControllerTag("ServoCommandLeft");
    const CTag* reset = project->FindControllerTag("ServoResetLeft");
    EXPECT_EQ(command->address, 204);
    EXPECT_EQ(command->bit, 1);
    EXPECT_EQ(reset->address, 204);
    EXPECT_EQ(reset->bit, 0);

    const CTag* array = project->FindControllerTag("FromPLCArray");
    ASSERT_EQ(array->members.size(), 16u);
    const CTag& element = *array->members[3];
    EXPECT_EQ(element.name, "FromPLCArray[3]");
    EXPECT_EQ(element.address, 58);
    ASSERT_EQ(element.members.size(), 16u);
    EXPECT_EQ(element.members[5]->name, "FromPLCArray[3].5");
    EXPECT_EQ(element.members[5]->address, 58);
    EXPECT_EQ(element.members[5]->bit, 5);
    EXPECT_EQ(element.members[5]->scope, 1);
}

TEST(ControllerTypes, BitDescriptionsComeFromTheTypesTables) {
    auto describe = [](const char* type, const char* tag, int bit) {
        return NewProject(type)->FindControllerTag(tag)->members[static_cast<size_t>(bit)]->description;
    };
    EXPECT_EQ(describe("Kormo", "Inputs", 16), "Left Sensor Detect");
    EXPECT_EQ(describe("Vessa", "Inputs", 16), "Right Sensor Detect");
    EXPECT_EQ(describe("Vessa", "Outputs", 0), "Left MDR  RUN");
    EXPECT_EQ(describe("VessaK3", "Outputs", 4), "Left Drive Pin2");
    EXPECT_EQ(describe("VessaK3", "Outputs", 14), "");
    EXPECT_EQ(describe("Vessa-Lite", "Outputs", 4), "");
    EXPECT_EQ(describe("Vessa-Lite", "Outputs", 13), "Right MDR Low MOSFET 3");
    EXPECT_EQ(describe("KTX-310-B", "Outputs", 13), "Right MDR Low MOSFET 3");
    EXPECT_EQ(describe("KTX-310-B", "Outputs", 14), "");
    EXPECT_EQ(describe("Oskel", "Inputs", 17), "Short Cicuit Main");
    EXPECT_EQ(describe("Oskel", "SensorConfiguration", 25), "Digital Inputs Polarity");
    EXPECT_EQ(describe("Oskel", "MotorProfileZero", 6), "Servo Position Sub Div in 1/2^15 pulse or mm");
    EXPECT_EQ(describe("Vessa-IX", "Inputs", 15),
              "Over Current or Short Circuit Error for Down Right pin4 (if pins function is Output)");
    EXPECT_EQ(describe("Brindle", "Inputs", 0), "");
}

TEST(ControllerTypes, LayoutReturns384AndWritesInitialValues) {
    auto project = NewProject("Vessa");
    CTag* outputs = project->FindControllerTag("Outputs");
    outputs->initialValue = "258";  // bytes 02 01; the bit members carry the same value
    BuildMembers(*project, *outputs);
    CTag* bit = project->FindControllerTag("ServoCommandRight");   // 208, bit 1
    bit->initialValue = "1";
    std::vector<uint8_t> image(kControllerImageSize, 0);
    EXPECT_EQ(LayOutControllerArea(*project, image), 384);
    EXPECT_EQ(image[128], 2);
    EXPECT_EQ(image[129], 1);
    EXPECT_EQ(image[208], 0x02);

    auto unknown = NewProject("Vessa");
    unknown->doc.controllerType = "NoSuchType";
    std::vector<uint8_t> other(kControllerImageSize, 0);
    EXPECT_EQ(LayOutControllerArea(*unknown, other), 384);
}

TEST(ControllerTypes, ChangingTypeKeepsConnectionSlotsInOrder) {
    auto project = NewProject("Vessa");
    CTag* tag1 = project->FindControllerTag("Tag1");
    tag1->connectionKind = kConnProduced;
    tag1->connectionWord = 0x7F00000A;
    tag1->description = "to zone 2";
    project->FindControllerTag("Inputs")->description = "user text";

    ApplyControllerType(*project, "Brindle");
    ASSERT_EQ(project->doc.controllerTags.size(), 31u);
    const CTag& slot = *project->doc.controllerTags[27];
    EXPECT_EQ(slot.name, "Tag1");
    EXPECT_EQ(slot.connectionKind, kConnProduced);
    EXPECT_EQ(slot.connectionWord, 0x7F00000Au);
    EXPECT_EQ(slot.description, "to zone 2");
    EXPECT_EQ(project->FindControllerTag("Inputs")->description, "");  // predefined tags start afresh
    EXPECT_NE(project->FindControllerTag("RS485 InData"), nullptr);

    ApplyControllerType(*project, "Aldera");
    EXPECT_EQ(project->doc.controllerTags.size(), 24u);
    EXPECT_EQ(project->FindControllerTag("Tag1"), nullptr);
}

}  // namespace
}  // namespace pontra
