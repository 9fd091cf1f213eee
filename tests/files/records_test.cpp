// SPDX-License-Identifier: GPL-3.0-or-later
// Rung, element and tag records against the layout tables, and single records in
// memory buffers as the clipboard carries them.
#include <gtest/gtest.h>

#include "FileBytes.h"
#include "ProjectCompare.h"
#include "SampleProject.h"
#include "files/Records.h"

namespace pontra {
namespace {

using test::FileBytes;

std::vector<uint8_t> TagBytes(const CTag& tag, std::string_view controllerType = {}) {
    ArchiveWriter out;
    WriteTag(out, tag, controllerType);
    return out.Take();
}

TEST(Records, TagRecordFollowsTheLayout) {
    auto project = NewProject();
    CTag tag("Total", "SINT");
    tag.initialValue = "3";
    tag.description = std::string(300, 'd');
    tag.alias = "A";
    tag.baseTag = "B";
    tag.style = "Hex";
    tag.connectionWord = 0x7F000001;
    tag.connectionKind = kConnConsumed;
    tag.nonVolatile = 1;
    tag.connectionParam = 0x0102;
    tag.usage = kUsageOutput;
    tag.members.push_back(std::make_unique<CTag>("Total.0", "BOOL"));

    FileBytes expected;
    expected.Text("Total").Text("SINT").Text("3");
    expected.U8(0xFF).U16(300).Chars(std::string(300, 'd'));  // description: FF 2C 01
    expected.Text("A").Text("B").Text("Hex");
    expected.U32(0x7F000001).U8(0x83).U16(0x0102).U32(2);  // consumed + non-volatile = 0x83
    expected.U32(1).TagRecord({.name = "Total.0", .type = "BOOL"});
    const auto bytes = TagBytes(tag);
    EXPECT_EQ(bytes, expected.bytes);
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 13, bytes.begin() + 16), (std::vector<uint8_t>{0xFF, 0x2C, 0x01}));

    ArchiveReader in(bytes);
    auto back = ReadTag(in, 5, *project);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->SameAs(tag));
}

TEST(Records, ControllerBitDescriptionsEqualToTheTableAreStoredEmpty) {
    auto project = NewProject("Vessa");
    CTag& inputs = *project->FindControllerTag("Inputs");
    inputs.members[1]->description = "Own text";
    const auto bytes = TagBytes(inputs, "Vessa");
    ArchiveReader in(bytes);
    auto back = ReadTag(in, 5, *project);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->members[0]->description, "");  // "Left Sensor Port, PIN3" in the table
    EXPECT_EQ(back->members[1]->description, "Own text");
    EXPECT_EQ(back->members[16]->description, "");
    EXPECT_EQ(inputs.members[0]->description, "Left Sensor Port, PIN3");  // memory unchanged
    // Without the controller type nothing is left out.
    const auto fullBytes = TagBytes(inputs);
    ArchiveReader full(fullBytes);
    EXPECT_EQ(ReadTag(full, 5, *project)->members[0]->description, "Left Sensor Port, PIN3");
}

TEST(Records, RungWithNestedBranchFollowsTheLayout) {
    auto rung = NewRung();
    rung->comment = "c";
    CElement& outer = test::AddBranch(*rung, {"A", "B"});
    test::AddBranch(*outer.legs[1], {"C"});
    rung->Append(test::MakeElement(4, {"Q"}));

    auto leg = [](const std::string& op, const FileBytes& extra = {}, uint32_t extraCount = 0) {
        FileBytes elements;
        elements.Element(7, {""}).Element(2, {op}).Append(extra);
        return FileBytes().Rung(1, "", 2 + extraCount, elements);
    };
    FileBytes inner;
    inner.Element(5, {}, {leg("C")}).Element(6, {""});
    FileBytes elements;
    elements.Element(1, {""}).Element(5, {}, {leg("A"), leg("B", inner, 2)}).Element(6, {""}).Element(4, {"Q"});
    FileBytes expected;
    expected.Rung(0, "c", 4, elements);
    EXPECT_EQ(RungToBytes(*rung), expected.bytes);

    std::string error;
    auto back = RungFromBytes(expected.bytes, error);
    ASSERT_TRUE(back) << error;
    RungList a, b;
    a.push_back(std::move(rung));
    b.push_back(std::move(back));
    test::ExpectSameRungs(a, b);
    const CElement& innerBranch = *b[0]->elements[1]->legs[1]->elements[2];
    EXPECT_EQ(innerBranch.legs[0]->parent, b[0]->elements[1]->legs[1].get());
    EXPECT_EQ(b[0]->width, 20);
    EXPECT_EQ(b[0]->height, 50);
}

TEST(Records, ElementRecordsAsClipboardPayloads) {
    auto element = test::MakeElement(19, {"A", "2", "Dest"});
    const auto bytes = ElementToBytes(*element);
    FileBytes expected;
    expected.Element(19, {"A", "2", "Dest"});
    EXPECT_EQ(bytes, expected.bytes);

    // A clipboard block may be longer than its record.
    auto padded = bytes;
    padded.resize(4096, 0);
    std::string error;
    auto back = ElementFromBytes(padded, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->mnemonic, "ADD");
    EXPECT_EQ(back->labels[2], "Dest");  // the rest comes from the catalogue
    EXPECT_EQ(back->operands[2], "Dest");

    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        std::string message;
        EXPECT_FALSE(ElementFromBytes(std::span(bytes.data(), cut), message));
        EXPECT_FALSE(message.empty());
    }
}

TEST(Records, ElementRepairsAndLimits) {
    struct Case {
        const char* name;
        FileBytes bytes;
        int count;                   // -1: read error
        std::vector<std::string> operands;
    };
    FileBytes deep;
    const int depth = kMaxBranchDepth + 1;
    for (int i = 0; i < depth; ++i) deep.U32(5).U32(0).U32(1).U32(1).Text("").U32(1);
    deep.Element(2, {"X"});
    for (int i = 0; i < depth; ++i) deep.U32(0);  // never reached
    Case cases[] = {
        {"JFB with two operands keeps the second", FileBytes().Element(62, {"A", "B"}), 1, {"B"}},
        {"JFB with one operand", FileBytes().Element(62, {"A"}), 1, {"A"}},
        {"two operands of another kind stay", FileBytes().Element(23, {"A", "B"}), 2, {"A", "B"}},
        {"unknown kind keeps its operands", FileBytes().Element(999, {"Z"}), 1, {"Z"}},
        {"more than five operands", FileBytes().Element(19, {"1", "2", "3", "4", "5", "6"}), -1, {}},
        {"branches nested too deep", deep, -1, {}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        auto element = ElementFromBytes(c.bytes.bytes, error);
        if (c.count < 0) {
            EXPECT_FALSE(element);
            EXPECT_FALSE(error.empty());
            continue;
        }
        ASSERT_TRUE(element) << error;
        EXPECT_EQ(element->operandCount, c.count);
        for (size_t i = 0; i < c.operands.size(); ++i) EXPECT_EQ(element->operands[i], c.operands[i]);
    }
}

}  // namespace
}  // namespace pontra
