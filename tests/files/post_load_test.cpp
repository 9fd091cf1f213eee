// SPDX-License-Identifier: GPL-3.0-or-later
// The checks after opening: the forbidden-symbol repair and the update to the current
// version, with their questions, renames and backup copy.
#include <gtest/gtest.h>

#include "FileBytes.h"
#include "SampleProject.h"
#include "files/PostLoadChecks.h"
#include "files/ProjectReader.h"
#include "host/ScriptedHost.h"
#include "support/TempDir.h"

namespace pontra {
namespace {

constexpr const char* kForbiddenQuestion =
    "okcancel: Project contains forbidden symbol in tag, description or rung comment names!\r\n"
    "Do you want to correct them automatically?";

std::unique_ptr<CTag> Tag(std::string name, std::string alias = {}, std::string baseTag = {}) {
    auto tag = std::make_unique<CTag>(std::move(name), "DINT");
    tag->alias = std::move(alias);
    tag->baseTag = std::move(baseTag);
    return tag;
}

CUnit& AddUnit(CProject& p, const std::string& name, uint8_t kind, uint8_t language = kLanguageLadder) {
    p.units.push_back(std::make_unique<CUnit>(name, kind, language));
    p.types.push_back(std::make_unique<CType>(name));
    return *p.units.back();
}

// Main program and a function block that both use a badly named tag of their own.
std::unique_ptr<CProject> ProjectWithForbiddenSymbols() {
    auto p = NewProject("Brindle");  // predefined names with blanks are no fault
    p->doc.tags.push_back(Tag("Bad-Name"));
    p->doc.tags.push_back(Tag("Bad_Name"));
    p->doc.tags.push_back(Tag("Al", "Bad-Name.3", "Bad-Name"));
    p->doc.tags.back()->description = "see {here}";
    p->doc.rungs[0]->comment = "start {";
    p->doc.rungs[0]->Append(test::MakeElement(19, {"Bad-Name", "Bad-Named", "Bad-Name[2]"}));
    CUnit& fb = AddUnit(*p, "Fb", kUnitFunctionBlock);
    fb.tags.push_back(Tag("9lives"));
    fb.rungs.push_back(NewRung());
    fb.rungs[0]->Append(test::MakeElement(2, {"9lives.1"}));
    CUnit& st = AddUnit(*p, "St", kUnitFunctionBlock, kLanguageST);
    st.tags.push_back(Tag("a b"));
    CUnit& type = AddUnit(*p, "Pair", kUnitType);
    type.tags.push_back(Tag("x.y"));
    p->types.back()->members.push_back(Tag("x.y"));
    return p;
}

TEST(PostLoad, ForbiddenSymbolsAreRepairedWithTheirReferences) {
    auto p = ProjectWithForbiddenSymbols();
    ScriptedHost host;
    host.answers = {true};
    RunPostLoadChecks(host, *p, {});
    EXPECT_EQ(host.log, (std::vector<std::string>{kForbiddenQuestion}));
    EXPECT_EQ(p->doc.tags[0]->name, "Bad_Name_");  // "Bad_Name" is taken
    EXPECT_EQ(p->doc.tags[2]->alias, "Bad_Name_.3");
    EXPECT_EQ(p->doc.tags[2]->baseTag, "Bad_Name_");
    EXPECT_EQ(p->doc.tags[2]->description, "see _here_");
    EXPECT_EQ(p->doc.rungs[0]->comment, "start _");
    const CElement& add = *p->doc.rungs[0]->elements[1];
    EXPECT_EQ(add.operands[0], "Bad_Name_");
    EXPECT_EQ(add.operands[1], "Bad-Named");  // another name that only starts alike
    EXPECT_EQ(add.operands[2], "Bad_Name_[2]");
    EXPECT_EQ(p->units[0]->tags[0]->name, "_lives");
    EXPECT_EQ(p->units[0]->rungs[0]->elements[1]->operands[0], "_lives.1");
    EXPECT_EQ(p->units[1]->tags[0]->name, "a_b");
    EXPECT_EQ(p->units[2]->tags[0]->name, "x_y");
    EXPECT_EQ(p->FindType("Pair")->members[0]->name, "x_y");
    EXPECT_EQ(p->FindControllerTag("RS485 InData")->name, "RS485 InData");
    EXPECT_TRUE(p->doc.modified);
    EXPECT_FALSE(HasForbiddenSymbols(*p));
}

TEST(PostLoad, CancelLeavesForbiddenSymbolsAlone) {
    auto p = ProjectWithForbiddenSymbols();
    ScriptedHost host;
    RunPostLoadChecks(host, *p, {});
    EXPECT_EQ(host.log.size(), 1u);
    EXPECT_EQ(p->doc.tags[0]->name, "Bad-Name");
    EXPECT_EQ(p->doc.rungs[0]->comment, "start {");
    EXPECT_FALSE(p->doc.modified);
}

TEST(PostLoad, CleanProjectsAskNothing) {
    for (const char* type : {"Vessa", "Brindle", "Aldera"}) {
        auto p = test::SampleProject();
        ApplyControllerType(*p, type);
        ScriptedHost host;
        RunPostLoadChecks(host, *p, {});
        EXPECT_TRUE(host.log.empty()) << type;
    }
}

// A version-4 file of an older project: the left servo stored under its old name, a
// program tag and a function-block tag that carry the new names.
std::vector<uint8_t> OldServoFile() {
    using test::FileBytes;
    FileBytes f;
    f.U32(4).U32(1).U32(0x7F000001).Text("Vessa");
    FileBytes elements;
    elements.Element(1, {""}).Element(23, {"ServoControlLeft", "ServoSetPointLeft"});
    f.U32(1).Rung(0, "", 2, elements);
    f.U32(3);
    f.TagRecord({.name = "ServoSetPointLeft", .type = "INT"}, 4);
    f.TagRecord({.name = "ServoSetPointLeft_", .type = "INT"}, 4);
    f.TagRecord({.name = "Alias", .type = "INT", .alias = "ServoControlLeft", .baseTag = "ServoControlLeft.2"}, 4);
    f.U32(1).TagRecord({.name = "ServoControlLeft", .type = "INT", .init = "12", .description = "servo"}, 4);
    f.U32(0x00010000).U32(6).U32(6).U32(6);
    return f.bytes;
}

TEST(PostLoad, UpdateQuestionIsComposedFromItsPieces) {
    TempDir dir;
    const auto bytes = OldServoFile();
    auto result = ReadProject(bytes);
    ASSERT_TRUE(result.project) << result.error;
    CProject& p = *result.project;
    p.doc.pathName = dir.File("Line3.clp");
    CUnit& st = AddUnit(p, "Ramp", kUnitFunctionBlock, kLanguageST);
    st.tags.push_back(Tag("ServoSetPointRight"));
    st.text = {"ServoSetPointRight := ServoControlLeft; // ServoControlLeft", "(* ServoControlLeft",
               "*) x.ServoControlLeft := 16#ServoControlLeft;"};

    const std::string expected =
        "Project will be updated to current Pontra version!\r\n"
        "\r\n\tController tag 'ServoControlLeft' will be renamed to 'ServoSetPointLeft'"
        "\r\n\tController tag 'ServoControlRight' will be renamed to 'ServoSetPointRight'"
        "\r\n\tTag 'ServoSetPointLeft' will be renamed to 'ServoSetPointLeft__'"
        "\r\n\tTag 'ServoControlRight' will be renamed to 'ServoSetPointRight_'"
        "\r\n\r\nBackup will be stored to '" + dir.File("Line3") + "_OldVersion.clp'"
        "\r\n\r\nDo you want to update the project?";
    EXPECT_EQ(UpdateQuestion(p, true), expected);

    ScriptedHost host;
    host.answers = {true};
    RunPostLoadChecks(host, p, {bytes, result.oldServoNames});
    EXPECT_EQ(host.log, (std::vector<std::string>{"okcancel: " + expected}));

    EXPECT_EQ(p.doc.tags[0]->name, "ServoSetPointLeft__");
    EXPECT_EQ(p.doc.tags[1]->name, "ServoSetPointLeft_");
    EXPECT_EQ(p.doc.tags[2]->alias, "ServoSetPointLeft");
    EXPECT_EQ(p.doc.tags[2]->baseTag, "ServoSetPointLeft.2");
    const CElement& move = *p.doc.rungs[0]->elements[1];
    EXPECT_EQ(move.operands[0], "ServoSetPointLeft");    // the controller tag, renamed
    EXPECT_EQ(move.operands[1], "ServoSetPointLeft__");  // the program tag that made way
    EXPECT_EQ(p.FindControllerTag("ServoSetPointLeft")->initialValue, "12");
    EXPECT_EQ(st.tags[0]->name, "ServoSetPointRight_");
    EXPECT_EQ(st.text, (std::vector<std::string>{
                           "ServoSetPointRight_ := ServoSetPointLeft; // ServoControlLeft", "(* ServoControlLeft",
                           "*) x.ServoControlLeft := 16#ServoControlLeft;"}));
    EXPECT_EQ(ReadBytes(dir.File("Line3_OldVersion.clp")), bytes);
    EXPECT_EQ(p.doc.version.revision, 7u);
    EXPECT_TRUE(p.doc.modified);
}

TEST(PostLoad, DecliningTheUpdateChangesNothing) {
    TempDir dir;
    const auto bytes = OldServoFile();
    auto result = ReadProject(bytes);
    ASSERT_TRUE(result.project);
    result.project->doc.pathName = dir.File("Line3.clp");
    ScriptedHost host;
    RunPostLoadChecks(host, *result.project, {bytes, true});
    EXPECT_EQ(host.log.size(), 1u);
    EXPECT_EQ(result.project->doc.tags[0]->name, "ServoSetPointLeft");
    EXPECT_EQ(result.project->doc.version.revision, 6u);
    EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace pontra
