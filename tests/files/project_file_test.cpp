// SPDX-License-Identifier: GPL-3.0-or-later
// Whole project files: the version-5 layout byte for byte, and round trips through the
// writer and the reader.
#include <gtest/gtest.h>

#include "FileBytes.h"
#include "ProjectCompare.h"
#include "SampleProject.h"
#include "files/ProjectReader.h"
#include "files/ProjectWriter.h"

namespace pontra {
namespace {

using test::FileBytes;

std::vector<uint8_t> Write(CProject& project) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(WriteProject(project, bytes, error)) << error;
    return bytes;
}

// A small project without controller tags, so that every byte is spelled out below.
std::unique_ptr<CProject> SmallProject() {
    auto p = NewProject("Vessa");
    CVessaDoc& doc = p->doc;
    doc.controllerTags.clear();
    doc.timeStamp = 0x01020304;
    doc.SetModuleAddress(0x7F000001);
    doc.version = {2, 3, 9};
    doc.rungs[0]->Append(test::MakeElement(2, {"A"}));
    doc.tags.push_back(std::make_unique<CTag>("A", "BOOL"));

    auto fb = std::make_unique<CUnit>("F", kUnitFunctionBlock);
    fb->rungs.push_back(NewRung());
    auto in = std::make_unique<CTag>("In", "BOOL");
    in->usage = kUsageInput;
    fb->tags.push_back(std::move(in));
    p->units.push_back(std::move(fb));
    auto st = std::make_unique<CUnit>("S", kUnitFunctionBlock, kLanguageST);
    st->text = {"x := 1;"};
    p->units.push_back(std::move(st));
    // The type's members are taken from the type list, not from the unit.
    p->units.push_back(std::make_unique<CUnit>("Configuration", kUnitType));
    auto type = std::make_unique<CType>("Configuration");
    auto member = std::make_unique<CTag>("M", "SINT");
    member->configMode = kConfigValue;
    member->configText = "Speed";
    member->choiceTexts = {"Min"};
    member->choiceValues = {1};
    type->members.push_back(std::move(member));
    p->types.push_back(std::move(type));
    return p;
}

FileBytes SmallProjectBytesUpToConfiguration(uint32_t versionWord = 0x00020003, uint32_t revision = 9) {
    FileBytes f;
    f.U32(5).U32(0x01020304).U32(0x7F000001).Text("Vessa");
    FileBytes mainElements;
    mainElements.Element(1, {""}).Element(2, {"A"});
    f.U32(1).Rung(0, "", 2, mainElements);
    f.U32(1).TagRecord({.name = "A", .type = "BOOL"});
    f.U32(0);                                       // controller tags
    f.U32(versionWord).U32(revision).U32(revision).U32(revision);  // version, revision, reserved twice
    f.U32(3);                                       // units
    f.U32(1).Text("F").U8(1).U8(0).U32(1).Rung(0, "", 1, FileBytes().Element(1, {""}));
    f.U32(1).TagRecord({.name = "In", .type = "BOOL", .usage = 1});
    f.U32(1).Text("S").U8(1).U8(1).U32(1).U32(7).Chars("x := 1;").U32(0);
    f.U32(1).Text("Configuration").U8(3).U8(0).U32(0);
    f.U32(1).TagRecord({.name = "M", .type = "SINT"});
    return f;
}

TEST(ProjectFile, Version5LayoutByteForByte) {
    auto project = SmallProject();
    FileBytes expected = SmallProjectBytesUpToConfiguration();
    expected.U8(1).U32(1).Text("M").Text("Speed").U8(1).U32(1).Text("Min").U32(1);
    EXPECT_EQ(Write(*project), expected.bytes);
}

TEST(ProjectFile, ConfigurationBlockOnlyWhenEnabledAndTheTypeExists) {
    const auto withoutBlock = SmallProjectBytesUpToConfiguration().bytes;
    auto disabled = SmallProject();
    disabled->configEnabled = 0;
    EXPECT_EQ(Write(*disabled), withoutBlock);

    auto renamed = SmallProject();
    renamed->configTypeName = "Settings";  // no unit or type of that name
    EXPECT_EQ(Write(*renamed), withoutBlock);

    // No type-list entry: the unit is written with no members, and there is no block.
    auto noType = SmallProject();
    noType->types.pop_back();
    auto bytes = Write(*noType);
    FileBytes expected = SmallProjectBytesUpToConfiguration();
    const size_t memberRecord = FileBytes().TagRecord({.name = "M", .type = "SINT"}).bytes.size() + 4;
    expected.bytes.resize(expected.bytes.size() - memberRecord);
    expected.U32(0);
    EXPECT_EQ(bytes, expected.bytes);
}

TEST(ProjectFile, StructuredTextLineBeyondTheLimitIsNotWritten) {
    auto project = SmallProject();
    project->units[1]->text.push_back(std::string(513, 'y'));
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(WriteProject(*project, bytes, error));
    EXPECT_EQ(error, "line 2 of 'S' is longer than 512 characters");
    EXPECT_TRUE(bytes.empty());
}

// The editor takes major and minor up to 65535: both halves of the version word keep all
// their bits.
TEST(ProjectFile, ProgramVersionKeepsBothSixteenBitHalves) {
    const struct {
        ProgramVersion version;
        uint32_t word;
    } cases[] = {
        {{1, 255, 0}, 0x000100FF},
        {{1, 256, 3}, 0x00010100},
        {{2, 0x1234, 7}, 0x00021234},
        {{0x0101, 65535, 0xFFFFFFFF}, 0x0101FFFF},
        {{65535, 65535, 1}, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        auto project = SmallProject();
        project->doc.version = c.version;
        const auto bytes = Write(*project);
        FileBytes expected = SmallProjectBytesUpToConfiguration(c.word, c.version.revision);
        expected.U8(1).U32(1).Text("M").Text("Speed").U8(1).U32(1).Text("Min").U32(1);
        EXPECT_EQ(bytes, expected.bytes) << std::hex << c.word;
        auto result = ReadProject(bytes);
        ASSERT_TRUE(result.project) << result.error;
        EXPECT_EQ(result.project->doc.version, c.version) << std::hex << c.word;
        EXPECT_EQ(result.project->doc.loadedVersion, c.version) << std::hex << c.word;
    }
}

TEST(ProjectFile, ReadOfWriteGivesTheSameProject) {
    auto sample = test::SampleProject();
    const auto bytes = Write(*sample);
    auto result = ReadProject(bytes);
    ASSERT_TRUE(result.project) << result.error;
    test::ExpectSameProject(*sample, *result.project);
    const CProject& read = *result.project;
    EXPECT_EQ(read.doc.formatVersion, 5u);
    EXPECT_EQ(read.doc.loadedVersion, (ProgramVersion{1, 2, 7}));
    EXPECT_EQ(read.FindControllerTag("Inputs")->members[3]->description, "Jam sensor");
    EXPECT_EQ(read.FindControllerTag("Inputs")->members[16]->description, "Left Sensor Detect");
    EXPECT_EQ(read.units[2]->tags[0]->choiceTexts, (std::vector<std::string>{"Off", "Auto"}));
    EXPECT_FALSE(result.oldServoNames);
    EXPECT_FALSE(read.projectUpdated);
}

TEST(ProjectFile, WriteOfReadIsByteIdentical) {
    auto sample = test::SampleProject();
    const auto first = Write(*sample);
    auto result = ReadProject(first);
    ASSERT_TRUE(result.project) << result.error;
    EXPECT_EQ(Write(*result.project), first);
}

}  // namespace
}  // namespace pontra
