// SPDX-License-Identifier: GPL-3.0-or-later
// Files of every format version, built byte by byte as another tool following the
// format would write them, read into the right model.
#include <gtest/gtest.h>

#include "FileBytes.h"
#include "files/ProjectReader.h"
#include "model/ControllerTypes.h"
#include "model/Project.h"

namespace pontra {
namespace {

using test::FileBytes;
using Tag = FileBytes::Tag;

// The parts of a file; Bytes() puts in those the version has.
struct File {
    uint32_t version = 5;
    uint32_t stamp = 0x11223344;
    uint32_t address = 0x7F000005;
    std::string type = "Vessa";
    std::vector<FileBytes> rungs{};
    std::vector<Tag> programTags{};
    std::vector<Tag> controllerTags{};   // version 3 on
    std::vector<uint32_t> bareValues{};  // versions 1 and 2
    uint32_t versionWord = 0x00010002;
    uint32_t revision = 4;
    std::vector<FileBytes> units{};
    FileBytes tail{};

    std::vector<uint8_t> Bytes() const {
        FileBytes f;
        f.U32(version);
        if (version > 1) f.U32(stamp).U32(address).Text(type);
        f.U32(static_cast<uint32_t>(rungs.size()));
        for (const auto& r : rungs) f.Append(r);
        f.U32(static_cast<uint32_t>(programTags.size()));
        for (const auto& t : programTags) f.TagRecord(t, version);
        if (version < 3) {
            f.U32(static_cast<uint32_t>(bareValues.size()));
            for (uint32_t v : bareValues) f.U32(v);
        } else {
            f.U32(static_cast<uint32_t>(controllerTags.size()));
            for (const auto& t : controllerTags) f.TagRecord(t, version);
            f.U32(versionWord).U32(revision).U32(revision).U32(revision);
        }
        if (version > 4) {
            f.U32(static_cast<uint32_t>(units.size()));
            for (const auto& u : units) f.Append(u);
        }
        f.Append(tail);
        return f.bytes;
    }
};

ProjectReadResult Read(const File& file) {
    const auto bytes = file.Bytes();
    return ReadProject(bytes);
}

FileBytes LadderUnit(const std::string& name, uint8_t kind, const std::vector<Tag>& tags) {
    FileBytes u;
    u.U32(1).Text(name).U8(kind).U8(0).U32(0).U32(static_cast<uint32_t>(tags.size()));
    for (const auto& t : tags) u.TagRecord(t);
    return u;
}

TEST(ReaderVersions, Version1HasNoHeaderFieldsAndBareValues) {
    File file{.version = 1};
    file.rungs.push_back(FileBytes().Rung(0, "first", 2, FileBytes().Element(1, {""}).Element(2, {"X"})));
    file.programTags.push_back({.name = "X", .type = "", .init = "3"});
    file.bareValues.assign(29, 0);
    file.bareValues[0] = 5;           // Inputs
    file.bareValues[1] = 0xFFFFFFFF;  // FromUpstreamState
    auto result = Read(file);
    ASSERT_TRUE(result.project) << result.error;
    const CProject& p = *result.project;
    EXPECT_EQ(p.doc.formatVersion, 1u);
    EXPECT_EQ(p.doc.controllerType, "Vessa");
    EXPECT_EQ(p.doc.moduleAddressText, "0.0.0.0");
    EXPECT_EQ(p.doc.version, (ProgramVersion{1, 0, 0}));
    ASSERT_EQ(p.doc.rungs.size(), 1u);
    EXPECT_EQ(p.doc.rungs[0]->comment, "first");
    EXPECT_EQ(p.doc.tags[0]->dataType, "SINT");
    ASSERT_EQ(p.doc.tags[0]->members.size(), 8u);
    EXPECT_EQ(p.doc.tags[0]->members[1]->initialValue, "1");
    const CTag& inputs = *p.doc.controllerTags[0];
    EXPECT_EQ(inputs.initialValue, "5");
    EXPECT_EQ(inputs.members[0]->initialValue, "1");
    EXPECT_EQ(inputs.members[1]->initialValue, "0");
    EXPECT_EQ(inputs.members[2]->initialValue, "1");
    EXPECT_EQ(p.doc.controllerTags[1]->initialValue, "-1");
    // Every read project has its configuration type.
    ASSERT_EQ(p.units.size(), 1u);
    EXPECT_EQ(p.units[0]->name, "Configuration");
    EXPECT_TRUE(p.units[0]->IsType());
    EXPECT_TRUE(p.FindType("Configuration"));
}

TEST(ReaderVersions, BareValuesApplyOnlyWhenTheCountFits) {
    for (size_t count : {22u, 23u, 24u}) {
        SCOPED_TRACE(count);
        File file{.version = 2, .type = "Vessa-IX"};  // 23 predefined tags
        file.bareValues.assign(count, 7);
        auto result = Read(file);
        ASSERT_TRUE(result.project) << result.error;
        const std::string expected = count == 23 ? "7" : "0";
        for (const auto& tag : result.project->doc.controllerTags) EXPECT_EQ(tag->initialValue, expected) << tag->name;
    }
}

TEST(ReaderVersions, ControllerTypeIsNormalised) {
    struct Case {
        std::string stored, type;
        size_t tags;
    };
    const Case cases[] = {{"Kormo", "Kormo", 29},      {"Aldera", "Aldera", 24},   {"KTX-310-1", "KTX-310-1", 31},
                          {"KTX-310-B", "Vessa", 29},  {"KTI-8-0", "Vessa", 29},   {"", "Vessa", 29},
                          {"vessa", "Vessa", 29}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        auto result = Read(File{.version = 2, .address = 0x0A000001, .type = c.stored});
        ASSERT_TRUE(result.project) << result.error;
        EXPECT_EQ(result.project->doc.controllerType, c.type);
        EXPECT_EQ(result.project->doc.controllerTags.size(), c.tags);
        EXPECT_EQ(result.project->doc.moduleAddressText, "10.0.0.1");
    }
}

TEST(ReaderVersions, Version3MergesByNameWithTheOldServoNames) {
    File file{.version = 3, .type = "Kormo", .versionWord = 0};
    file.controllerTags = {
        {.name = "ServoControlLeft", .type = "INT", .init = "7", .description = "left", .style = "Hex",
         .members = test::BitMembers("ServoControlLeft", 16)},
        {.name = "SensorPolarity", .type = "DINT", .init = "9", .description = "other type"},
        {.name = "Bogus", .type = "DINT", .init = "1"},
    };
    file.controllerTags[0].members[2].description = "bit two";
    file.controllerTags[0].members[2].init = "1";
    auto result = Read(file);
    ASSERT_TRUE(result.project) << result.error;
    const CProject& p = *result.project;
    EXPECT_TRUE(result.oldServoNames);
    EXPECT_EQ(p.projectUpdated, 1);
    const CTag& left = *p.FindControllerTag("ServoSetPointLeft");
    EXPECT_EQ(left.description, "left");
    EXPECT_EQ(left.initialValue, "7");
    EXPECT_EQ(left.style, "Hex");
    EXPECT_EQ(left.members[2]->description, "bit two");
    EXPECT_EQ(left.members[2]->initialValue, "1");
    EXPECT_EQ(left.address, 200);  // Kormo lists the right servo first
    const CTag& polarity = *p.FindControllerTag("SensorPolarity");
    EXPECT_EQ(polarity.description, "other type");
    EXPECT_EQ(polarity.initialValue, "0");  // types differ: the value is not taken
    EXPECT_FALSE(p.FindControllerTag("Bogus"));
    EXPECT_FALSE(p.FindControllerTag("ServoControlLeft"));
    EXPECT_EQ(p.doc.controllerTags.size(), 29u);
    EXPECT_EQ(p.doc.version, (ProgramVersion{1, 0, 4}));  // a version word of 0 is 1.0
    EXPECT_EQ(p.doc.loadedVersion, p.doc.version);
}

TEST(ReaderVersions, Version4ConnectionTagsFillTheSlotsInOrder) {
    const Tag produced{.name = "ToNext", .type = "SINT", .description = "peer", .connectionWord = 0x7F000009,
                       .connectionByte = 0x01, .connectionParam = 40};
    const Tag consumed{.name = "FromPrev", .type = "DINT", .connectionByte = 0x83};
    struct Case {
        std::string type;
        size_t firstSlot;  // where the first connection tag lands; the list size when none
    };
    for (const auto& c : {Case{"Vessa", 25}, Case{"Brindle", 27}, Case{"Oskel", 16}, Case{"Aldera", 24}}) {
        SCOPED_TRACE(c.type);
        File file{.version = 4, .type = c.type};
        file.controllerTags = {{.name = "Inputs", .type = "DINT", .init = "2", .description = "all inputs"},
                               produced, consumed};
        auto result = Read(file);
        ASSERT_TRUE(result.project) << result.error;
        const TagList& list = result.project->doc.controllerTags;
        EXPECT_EQ(list.size(), ControllerTagList(c.type).size());
        if (c.type == "Aldera") {
            EXPECT_FALSE(FindTag(list, "ToNext"));
            continue;
        }
        EXPECT_EQ(list[0]->description, "all inputs");
        EXPECT_EQ(list[c.firstSlot]->name, "ToNext");
        EXPECT_EQ(list[c.firstSlot]->connectionKind, kConnProduced);
        EXPECT_EQ(list[c.firstSlot]->connectionWord, 0x7F000009u);
        EXPECT_EQ(list[c.firstSlot]->connectionParam, 40);
        EXPECT_EQ(list[c.firstSlot]->scope, 1);
        EXPECT_EQ(list[c.firstSlot]->address, 256);
        EXPECT_EQ(list[c.firstSlot + 1]->name, "FromPrev");
        EXPECT_EQ(list[c.firstSlot + 1]->connectionKind, kConnConsumed);
        EXPECT_EQ(list[c.firstSlot + 1]->nonVolatile, 1);
        EXPECT_EQ(list[c.firstSlot + 1]->address, 288);
        EXPECT_EQ(list[c.firstSlot + 1]->byteSize, 4);
        EXPECT_EQ(list[c.firstSlot + 2]->name, "Tag3");
    }
}

TEST(ReaderVersions, TableDescriptionsAreRefilledAndOwnOnesKept) {
    File file{.version = 4, .type = "Kormo"};
    Tag inputs{.name = "Inputs", .type = "DINT", .members = test::BitMembers("Inputs", 32)};
    inputs.members[3].description = "Jam";
    file.controllerTags = {inputs, {.name = "ServoControlRight", .type = "INT", .init = "4"}};
    auto result = Read(file);
    ASSERT_TRUE(result.project) << result.error;
    const CTag& read = *result.project->FindControllerTag("Inputs");
    EXPECT_EQ(read.members[0]->description, "Right Sensor Port, PIN3");
    EXPECT_EQ(read.members[3]->description, "Jam");
    EXPECT_EQ(read.members[16]->description, "Left Sensor Detect");
    EXPECT_EQ(read.members[20]->description, "");
    const CTag& right = *result.project->FindControllerTag("ServoSetPointRight");
    EXPECT_EQ(right.initialValue, "4");
    EXPECT_EQ(right.members[2]->initialValue, "1");  // stored without bits: they follow the value
    EXPECT_TRUE(result.oldServoNames);
}

TEST(ReaderVersions, Version4EndsAfterTheReservedWords) {
    File file{.version = 4};
    file.tail.U32(0);  // what would be a unit count in version 5 is left over here
    auto result = Read(file);
    ASSERT_TRUE(result.project) << result.error;
    EXPECT_EQ(result.project->units.size(), 1u);  // only the configuration type

    File exact{.version = 4};
    result = Read(exact);
    ASSERT_TRUE(result.project) << result.error;
    EXPECT_EQ(result.project->doc.formatVersion, 4u);
}

TEST(ReaderVersions, Version5UnitsBuildTheTypeList) {
    File file;
    FileBytes st;
    st.U32(1).Text("Ramp").U8(1).U8(1).U32(2).U32(4).Chars("a:=1").U32(0).U32(1).TagRecord({.name = "a", .usage = 2});
    file.units = {LadderUnit("Motor", 3, {{.name = "Speed", .type = "INT"}, {.name = "On", .type = "BOOL"}}),
                  LadderUnit("Conv", 1, {{.name = "Run", .type = "BOOL", .usage = 1}}), st};
    file.programTags = {{.name = "M1", .type = "Motor"}, {.name = "C1", .type = "Conv"}};
    auto result = Read(file);
    ASSERT_TRUE(result.project) << result.error;
    const CProject& p = *result.project;
    ASSERT_EQ(p.units.size(), 4u);
    EXPECT_EQ(p.units[3]->name, "Configuration");
    const CType* motor = p.FindType("Motor");
    ASSERT_TRUE(motor);
    ASSERT_EQ(motor->members.size(), 2u);
    EXPECT_EQ(motor->members[1]->name, "On");
    const CType* conv = p.FindType("Conv");
    ASSERT_TRUE(conv);
    EXPECT_TRUE(conv->members.empty());
    EXPECT_EQ(p.units[2]->text, (std::vector<std::string>{"a:=1", ""}));
    EXPECT_TRUE(p.units[2]->rungs.empty());
    EXPECT_EQ(p.units[2]->tags[0]->usage, 2);
    // Stored members are kept as stored: these tags were written without any.
    EXPECT_TRUE(p.doc.tags[0]->members.empty());
}

TEST(ReaderVersions, ConfigurationBlockOnlyWhenBytesRemain) {
    auto configUnit = LadderUnit("Configuration", 3,
                                 {{.name = "Speed", .type = "INT"}, {.name = "Mode", .type = "SINT"}});
    FileBytes block;
    block.U8(1).U32(3);
    block.Text("Mode").Text("Operating mode").U8(3).U32(2).Text("Off").U32(0).Text("On").U32(5);
    block.Text("Gone").Text("no such member").U8(1).U32(1).Text("x").U32(1);
    block.Text("Speed").Text("Belt speed").U8(2).U32(0);

    File withBlock;
    withBlock.units = {configUnit};
    withBlock.tail = block;
    auto result = Read(withBlock);
    ASSERT_TRUE(result.project) << result.error;
    const CUnit& unit = *result.project->units[0];
    ASSERT_EQ(result.project->units.size(), 1u);
    const CTag& mode = *unit.tags[1];
    EXPECT_EQ(mode.configText, "Operating mode");
    EXPECT_EQ(mode.configMode, 3);
    EXPECT_EQ(mode.choiceTexts, (std::vector<std::string>{"Off", "On"}));
    EXPECT_EQ(mode.choiceValues, (std::vector<uint32_t>{0, 5}));
    EXPECT_EQ(unit.tags[0]->configText, "Belt speed");
    // The type-list entry, which the writer uses, has the settings too.
    EXPECT_EQ(result.project->FindType("Configuration")->members[1]->configText, "Operating mode");

    File without;
    without.units = {configUnit};
    result = Read(without);
    ASSERT_TRUE(result.project) << result.error;
    EXPECT_EQ(result.project->units[0]->tags[1]->configMode, 0);

    File otherMarker;
    otherMarker.units = {configUnit};
    otherMarker.tail.U8(0).U32(0xFFFFFFFF);  // not a block: ignored
    result = Read(otherMarker);
    ASSERT_TRUE(result.project) << result.error;

    File cut;  // a block that ends early is a damaged file
    cut.units = {configUnit};
    cut.tail = block;
    cut.tail.bytes.pop_back();
    EXPECT_FALSE(Read(cut).project);

    File noConfigUnit;  // without a configuration unit the rest is not read
    noConfigUnit.tail = block;
    EXPECT_TRUE(Read(noConfigUnit).project);
}

TEST(ReaderVersions, AnotherWriterMayChooseLongerTextForms) {
    // Header with every text in the u32 length form.
    FileBytes f;
    f.U32(5).U32(1).U32(0x7F000001).U8(0xFF).U16(0xFFFF).U32(5).Chars("Kormo");
    f.U32(1).U32(0).U8(0xFF).U16(3).Chars("abc").U32(1).Element(1, {""});
    f.U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    auto result = ReadProject(f.bytes);
    ASSERT_TRUE(result.project) << result.error;
    EXPECT_EQ(result.project->doc.controllerType, "Kormo");
    EXPECT_EQ(result.project->doc.rungs[0]->comment, "abc");
}

TEST(ReaderVersions, UnreadableFilesGiveAReasonAndNoProject) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string error;
    };
    File badKind;
    badKind.units = {LadderUnit("U", 2, {})};
    File badLanguage;
    badLanguage.units = {FileBytes().U32(1).Text("U").U8(1).U8(7).U32(0).U32(0)};
    File longLine;
    longLine.units = {FileBytes().U32(1).Text("U").U8(1).U8(1).U32(1).U32(513).Chars(std::string(513, 'a')).U32(0)};
    File hugeCount;
    hugeCount.programTags = {{.name = "T"}};
    auto hugeBytes = hugeCount.Bytes();
    hugeBytes[4 + 4 + 4 + 6 + 4] = 0xFF;  // program tag count 0x000000FF... after the header and rung count
    const Case cases[] = {
        {"empty", {}, "the file ends inside a 32-bit field"},
        {"version 0", FileBytes().U32(0).bytes, "unknown project file format version 0"},
        {"version 6", FileBytes().U32(6).bytes, "unknown project file format version 6"},
        {"unit kind", badKind.Bytes(), "unit 'U' of unknown kind 2"},
        {"unit language", badLanguage.Bytes(), "unit 'U' in unknown language 7"},
        {"long Structured Text line", longLine.Bytes(), "a Structured Text line of 513 characters in unit 'U'"},
        {"tag count beyond the file", hugeBytes, "a list of 255 tags does not fit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = ReadProject(c.bytes);
        EXPECT_FALSE(result.project);
        EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
    }
}

}  // namespace
}  // namespace pontra
