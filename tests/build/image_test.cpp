// SPDX-License-Identifier: GPL-3.0-or-later
// The program image byte by byte: markers, encodings, jumps, header, trailer and the
// configuration block, and the build's failure paths.
#include <gtest/gtest.h>

#include "BuildFixtures.h"
#include "ImageChecker.h"
#include "build/BuildCommands.h"
#include "build/ProgramCode.h"
#include "build/ProgramImage.h"
#include "build/ProjectLayout.h"
#include "model/Types.h"

namespace pontra {
namespace {

using namespace test;

// Saves and reloads the project, then builds it into a file: the file's bytes, or none.
std::vector<uint8_t> Build(Bench& bench, const std::string& fileName = "Line.clp") {
    bench.SetPath(fileName);
    SaveAndReload(bench);
    std::string path;
    if (!BuildProgramImage(bench.frame, path, false)) return {};
    return ReadFile(path);
}

std::vector<uint32_t> Code(const std::vector<uint8_t>& image) {
    std::vector<uint32_t> words;
    for (uint32_t i = 0; i < Word(image, 0x30); i += 4) words.push_back(Word(image, 180 + i));
    return words;
}

// The first n words of the code, or all of them when there are fewer (the comparison then
// shows what is missing).
std::vector<uint32_t> Head(const std::vector<uint32_t>& words, size_t n) {
    return {words.begin(), words.begin() + static_cast<std::ptrdiff_t>(std::min(n, words.size()))};
}

// An instruction word: code, bytes 1 and 2, byte 3.
constexpr uint32_t I(uint8_t code, uint8_t b1 = 0, uint8_t b2 = 0, uint8_t b3 = 0xA0) {
    return uint32_t{code} | uint32_t{b1} << 8 | uint32_t{b2} << 16 | uint32_t{b3} << 24;
}

uint32_t Addr(CProject& p, const std::string& name) {
    for (const auto& t : p.doc.tags)
        if (t->name == name) return static_cast<uint32_t>(t->address);
    for (const auto& t : p.doc.workTags)
        if (t->name == name) return static_cast<uint32_t>(t->address);
    ADD_FAILURE() << name;
    return 0;
}

TEST(ProgramImage, EndMarkersWithoutFunctionBlocks) {
    Bench bench;
    AddRung(bench.doc().rungs);
    auto image = Build(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    EXPECT_EQ(Code(image), (std::vector<uint32_t>{I(1), I(6), I(0), 0, 0xACACACACu}));
    EXPECT_TRUE(CheckImage(image).problems.empty());
}

TEST(ProgramImage, EndMarkersAndHeadersOfTwoFunctionBlocks) {
    Bench bench;
    AddRung(bench.doc().rungs);
    CUnit& a = AddFunctionBlock(bench.project(), "A");
    AddTag(bench.project(), a.tags, "X", "DINT", kUsageInput);
    AddUserType(bench.project(), "Rec", {{"V", "DINT"}});  // a type between the blocks changes nothing
    CUnit& b = AddFunctionBlock(bench.project(), "B");
    AddTag(bench.project(), b.tags, "Y", "BOOL", kUsageInput);
    AddTag(bench.project(), b.tags, "Z", "INT", kUsageOutput);
    auto image = Build(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    const std::vector<uint32_t> expected = {
        I(1), I(6), I(0), 0xFFFFFFFFu, 0xABABABABu,                                   // main
        I(79), 4, I(1), I(80), I(6), I(0), 0xFFFFFFFFu, 0xABABABABu,                  // A
        I(79), 8, I(1), I(80), I(6), I(0), 0, 0xACACACACu,                            // B
    };
    EXPECT_EQ(Code(image), expected);
    EXPECT_EQ(bench.project().units[0]->codeAddress, 20);
    EXPECT_EQ(bench.project().units[2]->codeAddress, 52);
    EXPECT_TRUE(CheckImage(image).problems.empty());
}

TEST(ProgramImage, BitInstructionsCarryTheBitPositionWithinTheAlignedWord) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, bench.doc().tags, "Pad", "DINT");
    for (int i = 0; i < 6; ++i) AddTag(p, bench.doc().tags, "B" + std::to_string(i), "BOOL");
    AddTag(p, bench.doc().tags, "S1", "SINT");
    AddTag(p, bench.doc().tags, "S2", "SINT");
    AddTag(p, bench.doc().tags, "S3", "SINT");
    AddRung(bench.doc().rungs, Els(El("XIC", {"B5"}), El("XIC", {"S3.3"}), El("OTE", {"Pad.0"})));
    auto image = Build(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    // Pad at 384, B0..B5 at 388 bits 0..5, S1..S3 at 392, 393, 394.
    auto words = Code(image);
    EXPECT_EQ(words[1], I(11, 5));
    EXPECT_EQ(words[2], 388u);
    EXPECT_EQ(words[3], I(11, 2 * 8 + 3));
    EXPECT_EQ(words[4], 392u);
    EXPECT_EQ(words[5], I(13, 0));
    EXPECT_EQ(words[6], 384u);
}

TEST(ProgramImage, AddWithAConstantEncodesTypeCodesAndTheImmediate) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, bench.doc().tags, "A", "DINT");
    AddTag(p, bench.doc().tags, "D", "INT");
    AddRung(bench.doc().rungs, Els(El("ADD", {"A", "5", "D"})));
    auto image = Build(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    auto words = Code(image);
    EXPECT_EQ(words[1], I(41, 4, 0, 0xA2));
    EXPECT_EQ(words[2], 384u);
    EXPECT_EQ(words[3], 5u);
    EXPECT_EQ(words[4], 388u);
}

TEST(ProgramImage, ForwardJumpTargetsTheLabelledRung) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, p.doc.tags, "A", "BOOL");
    AddRung(p.doc.rungs, Els(El("XIC", {"A"}), El("JMP", {"Skip"})));
    AddRung(p.doc.rungs, Els(El("LBL", {"Skip"}), El("OTE", {"A"})));
    auto words = Code(Build(bench));
    ASSERT_GE(words.size(), 6u) << ::testing::PrintToString(bench.Lines());
    EXPECT_EQ(words[3], I(61));
    EXPECT_EQ(words[4], 6u);  // rung 1 starts at word 6: LBL itself produces no code
    EXPECT_EQ(words[6], I(1));
    EXPECT_EQ(words[7], I(13, 0));
}

TEST(ProgramImage, BackwardAndDanglingJumpsAreRejectedInLadderUnits) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, p.doc.tags, "A", "BOOL");
    AddRung(p.doc.rungs, Els(El("LBL", {"Top"}), El("XIC", {"A"}), El("JMP", {"Top"})));
    AddRung(p.doc.rungs, Els(El("XIC", {"A"}), El("JMP", {"Top"})));
    AddRung(p.doc.rungs, Els(El("JMP", {"top"})));  // labels compare case-sensitively
    bench.SetPath("Line.clp");
    SaveAndReload(bench);
    std::string path;
    EXPECT_FALSE(BuildProgramImage(bench.frame, path, false));
    const std::vector<std::string> expected = {
        "Error at Rung: 0, Element: JMP, Operand: 0 -> JMP instruction is situated after LBL instruction",
        "Error at Rung: 1, Element: JMP, Operand: 0 -> JMP instruction is situated after LBL instruction",
        "Error at Rung: 2, Element: JMP, Operand: 0 -> JMP instruction is referenced to invalid label"};
    EXPECT_EQ(bench.ErrorLines(), expected);
    EXPECT_EQ(bench.host.Messages(), std::vector<std::string>{expected.back()});
    EXPECT_TRUE(path.empty());
    EXPECT_FALSE(std::filesystem::exists(bench.folder / "PLCDATA_Line.bin"));
    // The jump line leads to its element.
    const auto jump = bench.frame.output.JumpToOutputLine(bench.project(), bench.frame.output.Lines().size() - 1);
    EXPECT_EQ(jump.element, bench.doc().rungs[2]->elements[1].get());
}

// Structured Text units reach code generation as the compiler's rungs: these tests make
// them by hand and generate the code of the laid-out project without the compile step.
std::vector<uint32_t> GenerateCode(Bench& bench, bool& ok) {
    ProjectLayout layout;
    LayOutProject(bench.project(), layout);
    CodeBuffer code;
    std::vector<CJFB> calls;
    ok = GenerateProgramCode(bench.frame, code, calls) && ResolveCalls(bench.project(), calls, code);
    std::vector<uint32_t> words;
    const auto bytes = code.Code();
    for (size_t i = 0; i < bytes.size(); i += 4) words.push_back(Word(bytes, i));
    return words;
}

TEST(ProgramImage, BackwardJumpInAStructuredTextUnitCarriesTheBackwardFlag) {
    Bench bench;
    CProject& p = bench.project();
    AddRung(p.doc.rungs);
    CUnit& st = AddFunctionBlock(p, "Loop", true);
    AddTag(p, st.tags, "A", "BOOL", kUsageInput);
    AddRung(st.rungs, Els(El("LBL", {"again"}), El("XIC", {"A"})));
    AddRung(st.rungs, Els(El("XIC", {"A"}), El("JMP", {"again"})));
    bool ok = false;
    auto words = GenerateCode(bench, ok);
    ASSERT_TRUE(ok) << ::testing::PrintToString(bench.Lines());
    // main: 5 words; Loop: header 2, rung 0 (RUNG XIC RND) 4, rung 1 RUNG XIC JMP RND.
    const size_t jmp = 5 + 2 + 4 + 3;
    ASSERT_GT(words.size(), jmp + 1);
    EXPECT_EQ(words[jmp], I(61, 1));
    EXPECT_EQ(words[jmp + 1], 7u);
}

TEST(ProgramImage, CallOfNoFunctionBlockEndsTheBuild) {
    Bench bench;
    CProject& p = bench.project();
    CUnit& st = AddFunctionBlock(p, "Calc", true);
    AddTag(p, st.tags, "X", "DINT", kUsageStatic);
    AddRung(st.rungs, Els(El("JFB", {"X"})));
    AddRung(p.doc.rungs);
    bool ok = true;
    GenerateCode(bench, ok);
    EXPECT_FALSE(ok);
}

TEST(ProgramImage, LongTitleIsCutInTheHeaderButWholeInTheTrailer) {
    Bench bench;
    AddRung(bench.doc().rungs);
    bench.doc().timeStamp = 0x5F5E1000;
    auto image = Build(bench, "ConveyorLine.clp");
    ASSERT_FALSE(image.empty());
    const std::string name = "PLCDATA_ConveyorLine.bin";
    EXPECT_EQ(std::string(image.begin() + 4, image.begin() + 24), name.substr(0, 20));
    EXPECT_EQ(std::string(image.end() - static_cast<std::ptrdiff_t>(name.size()), image.end()), name);
    const size_t trailer = image.size() - name.size() - 3;
    EXPECT_EQ(image[trailer], 0x01);
    EXPECT_EQ(image[trailer + 1], name.size());
    EXPECT_EQ(image[trailer + 2], 0);
    EXPECT_EQ(Word(image, 0), 0x5F5E1000u);
    EXPECT_EQ(CheckImage(image).name, name);
}

TEST(ProgramImage, HeaderSizesVersionAndFamily) {
    Bench bench("VessaK3");
    CProject& p = bench.project();
    AddTag(p, p.doc.tags, "A", "DINT");
    AddTag(p, p.doc.tags, "K", "DINT").nonVolatile = 1;
    AddRung(p.doc.rungs, Els(El("MOV", {"A", "K"})));
    auto image = Build(bench);
    ASSERT_FALSE(image.empty());
    const uint32_t code = Word(image, 0x30);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[0x18])), "VessaK2");
    EXPECT_EQ(ControllerFamilyName("Kormo"), "Vessa");
    EXPECT_EQ(ControllerFamilyName("KTI-8-0"), "Vessa-IX");
    EXPECT_EQ(ControllerFamilyName("Brindle"), "Brindle");
    EXPECT_EQ(Word(image, 0x2C), 180u);
    EXPECT_EQ(Word(image, 0x34), code + 180);
    EXPECT_EQ(Word(image, 0x38), 392u);
    EXPECT_EQ(Word(image, 0x3C), 388u);
    EXPECT_EQ(Word(image, 0x40), 4u);
    EXPECT_EQ(image[0x44], 0);
    EXPECT_EQ(image[0x45], 3);
    EXPECT_EQ(Word(image, 0x90), 0xFFFFFFFFu);
    EXPECT_EQ(image.size(), 180 + code + 392 + 3 + std::string("PLCDATA_Line.bin").size());
    EXPECT_EQ(bench.Lines().back(), "Program memory = " + std::to_string(code + 392 + 16 + 184) + " bytes, Tags = 392 bytes");
}

TEST(ProgramImage, ConnectionRecordsSwapHalvesAndSizeTheData) {
    Bench bench;
    CProject& p = bench.project();
    AddUserType(p, "Pair", {{"A", "DINT"}, {"B", "SINT"}});
    AddRung(p.doc.rungs);
    auto slot = [&](int n) -> CTag& { return *p.doc.controllerTags[static_cast<size_t>(25 + n)]; };
    slot(0).connectionKind = 1;
    slot(0).connectionWord = 0x7F000005;
    slot(0).connectionParam = 196;
    slot(1).connectionKind = 3;
    slot(1).dataType = "Pair";
    BuildMembers(p, slot(1));
    slot(2).connectionKind = 1;
    slot(2).connectionParam = 0xA1C3;  // both bytes of the parameter count
    slot(2).dataType = "DINT[20]";  // not a type of the list: its laid-out size, at most 32
    BuildMembers(p, slot(2));
    slot(3).dataType = "TIMER";  // kind 0: no data
    BuildMembers(p, slot(3));
    auto image = Build(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    const std::vector<uint8_t> records(image.begin() + 0x94, image.begin() + 0x94 + 32);
    const std::vector<uint8_t> expected = {0x00, 0x7F, 0x05, 0x00, 1,  1, 196, 0,  //
                                           0,    0,    0,    0,    8,  3, 0,   0,  //
                                           0,    0,    0,    0,    32, 1, 0xC3, 0xA1,  //
                                           0,    0,    0,    0,    0,  0, 0,   0};
    EXPECT_EQ(records, expected);
}

TEST(ProgramImage, JfbCopiesBoundParametersAroundTheCall) {
    Bench bench;
    CProject& p = bench.project();
    CUnit& fb = AddFunctionBlock(p, "F");
    AddTag(p, fb.tags, "In", "BOOL", kUsageInput);
    AddTag(p, fb.tags, "Val", "DINT", kUsageInput);
    AddTag(p, fb.tags, "Out", "BOOL", kUsageOutput);
    AddTag(p, p.doc.tags, "M", "F");
    AddTag(p, p.doc.tags, "B", "BOOL");
    AddTag(p, p.doc.tags, "D", "DINT");
    AddTag(p, p.doc.tags, "Q", "BOOL");
    auto call = El("JFB", {"M"});
    call->callParams = {{"In", "BOOL", 1, "B", ""}, {"Val", "DINT", 1, "5", ""}, {"Out", "BOOL", 2, "", "Q"}};
    AddRung(p.doc.rungs, Els(std::move(call)));
    auto image = Build(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    // M at 384 (In 384.0, Val 388, Out 392.0); B continues the bit count at 396.1.
    const std::vector<uint32_t> main = {
        I(1),
        I(2), I(11, 1), 396, I(13, 0), 384, I(4), I(51, 0, 4), 5, 388, I(3),
        I(78), 25, 384,
        I(2), I(11, 0), 392, I(13, 0), 404, I(4), I(3),  // one copy: an empty second level
        I(6), I(0), 0xFFFFFFFFu, 0xABABABABu};
    auto words = Code(image);
    ASSERT_GE(words.size(), 27u);
    EXPECT_EQ(Head(words, main.size()), main);
    EXPECT_EQ(words[25], I(79));
    EXPECT_EQ(words[26], 12u);  // the instance size: what M takes
    EXPECT_TRUE(CheckImage(image).problems.empty());
}

TEST(ProgramImage, IndexedArrayAccessReadsBeforeAndWritesAfter) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, p.doc.tags, "A", "INT[4]");
    AddTag(p, p.doc.tags, "G", "SINT[2,3]");
    AddTag(p, p.doc.tags, "i", "DINT");
    AddTag(p, p.doc.tags, "D", "DINT");
    AddRung(p.doc.rungs, Els(El("MOV", {"A[i]", "D"}), El("MOV", {"D", "A[i]"}), El("ADD", {"G[i,1]", "A[2]", "G[1,i]"})));
    auto image = Build(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    const uint32_t a = Addr(bench.project(), "A"), g = Addr(bench.project(), "G"), i = Addr(bench.project(), "i"), d = Addr(bench.project(), "D");
    const uint32_t s0 = Addr(bench.project(), "TagIArray0"), s1 = Addr(bench.project(), "TagIArray1"), s2 = Addr(bench.project(), "TagIArray2");
    const std::vector<uint32_t> expected = {
        I(1),
        I(75, 2, 4), a, i, 4, s0, I(51, 2, 4), s0, d,
        I(51, 4, 2), d, s1, I(75, 2, 4, 0xA1), a, i, 4, s1,
        I(76, 1, 4, 0xA0), g, i, 1, 2, 3, s0, I(41, 1, 2, 0xA1), s0, a + 4, s2,
        I(77, 1, 0, 0xA4), g, 1, i, 2, 3, s2,
        I(6)};
    EXPECT_EQ(Head(Code(image), expected.size()), expected);
    EXPECT_TRUE(CheckImage(image).problems.empty());
}

TEST(ProgramImage, TimerRegisterAndOneShotFamilies) {
    for (const char* type : {"Vessa", "Kormo"}) {
        Bench bench(type);
        CProject& p = bench.project();
        AddTag(p, p.doc.tags, "T", "TIMER");
        AddTag(p, p.doc.tags, "C", "COUNTER");
        AddTag(p, p.doc.tags, "V", "INT");
        AddTag(p, p.doc.tags, "S", "BOOL");
        AddTag(p, p.doc.tags, "O", "BOOL");
        AddRung(p.doc.rungs, Els(El("DOL", {"T"}), El("DOR", {"T"}), El("RES", {"C"}), El("RDR", {"100", "V"}),
                                 El("WRR", {"V", "5"}), El("WRC", {"V", "6"}), El("OSR", {"S", "O"})));
        auto image = Build(bench);
        ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
        const bool kormo = std::string(type) == "Kormo";
        const uint32_t t = Addr(bench.project(), "T"), c = Addr(bench.project(), "C"), v = Addr(bench.project(), "V"), s = Addr(bench.project(), "S");
        const std::vector<uint32_t> expected = {
            I(1),
            I(73, kormo ? 1 : 0), t, I(73, kormo ? 0 : 1), t, I(26), c,
            I(71, 2, 2), 100, v, I(72, 2, 2), v, 5, I(72, 2, 2, 0xA1), v, 6,
            I(17, 0, 1), s, s,
            I(6)};
        EXPECT_EQ(Head(Code(image), expected.size()), expected)
            << type;
    }
}

TEST(ProgramImage, NestedBranchesUseBothBranchLevelCodes) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, p.doc.tags, "A", "BOOL");
    CRung& rung = AddRung(p.doc.rungs);
    CElement& outer = AddBranch(rung, Els(El("XIC", {"A"})), Els(), Els(El("XIO", {"A"})));
    AddBranch(*outer.legs[1], Els(El("XIC", {"A"})), Els(El("XIC", {"A"})));
    rung.Append(El("OTE", {"A"}));
    const std::vector<uint32_t> expected = {I(1),  I(2), I(11), 384, I(4), I(2), I(11), 384, I(4), I(11), 384,
                                            I(3),  I(5), I(12), 384, I(3), I(13), 384, I(6)};
    EXPECT_EQ(Head(Code(Build(bench)), expected.size()), expected);
}

struct ConfigWriter {
    std::vector<uint8_t> b;
    void U8(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) U8(v >> (8 * i));
    }
    void Text(const std::string& t) {
        U8(static_cast<uint32_t>(t.size()));
        b.insert(b.end(), t.begin(), t.end());
    }
};

TEST(ProgramImage, ConfigurationBlockDescribesConfigurableMembers) {
    Bench bench;
    CProject& p = bench.project();
    AddUserType(p, "Configuration", {{"Run", "BOOL"}, {"Speed", "INT"}, {"Mode", "SINT"}, {"Note", "DINT"}});
    CType& type = *p.FindType("Configuration");
    type.members[0]->configMode = kConfigValue;
    type.members[0]->configText = "Go";
    type.members[1]->configMode = kConfigRange;
    type.members[1]->configText = "Spd";
    type.members[1]->choiceTexts = {"Min", "Max"};
    type.members[1]->choiceValues = {10, 90};
    type.members[1]->nonVolatile = 1;
    type.members[2]->configMode = kConfigChoice;
    type.members[2]->configText = "Kind";
    type.members[2]->choiceTexts = {"Off", "On"};
    type.members[2]->choiceValues = {0, 1};
    CTag& cfg = AddTag(p, p.doc.tags, "Cfg", "Configuration");
    cfg.members[0]->description = "Start";
    AddRung(p.doc.rungs);
    auto image = Build(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());

    ConfigWriter w;
    w.U32(0);
    w.U32(384);
    w.U32(16);
    w.U8(1);
    w.U8(0);
    w.U8(3);
    w.U8(0);
    w.Text("Cfg");
    w.Text("Run"), w.Text("Go"), w.Text("Start"), w.U8(1), w.U32(384), w.U8(0), w.U8(1);
    w.Text("Speed"), w.Text("Spd"), w.Text(""), w.U8(3), w.U32(400), w.U8(0), w.U8(0x82), w.U8(3), w.U32(10), w.U32(90);
    w.Text("Mode"), w.Text("Kind"), w.Text(""), w.U8(2), w.U32(392), w.U8(0), w.U8(3), w.U8(2);
    w.Text("Off"), w.U32(0), w.Text("On"), w.U32(1);
    const uint32_t length = static_cast<uint32_t>(w.b.size());
    for (int i = 0; i < 4; ++i) w.b[static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));

    const size_t at = 180 + Word(image, 0x30) + Word(image, 0x38);
    ASSERT_EQ(image[at], 0x02);
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + static_cast<std::ptrdiff_t>(at + 1),
                                   image.begin() + static_cast<std::ptrdiff_t>(at + 1 + length)),
              w.b);
    EXPECT_EQ(image[at + 1 + length], 0x01);
    EXPECT_EQ(CheckImage(image).configLength, static_cast<int>(length));
    const uint32_t programMemory = length + Word(image, 0x30) + Word(image, 0x38) + 16 + 184;
    EXPECT_EQ(bench.Lines().back(), "Program memory = " + std::to_string(programMemory) + " bytes, Tags = " +
                                        std::to_string(Word(image, 0x38)) + " bytes");
}

TEST(ProgramImage, ConfigurationTypeWithoutConfigurableMembersWritesNoSection) {
    Bench bench;
    CProject& p = bench.project();
    AddUserType(p, "Configuration", {{"Speed", "DINT"}});
    AddTag(p, p.doc.tags, "Cfg", "Configuration");
    AddRung(p.doc.rungs);
    auto image = Build(bench);
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(image[180 + Word(image, 0x30) + Word(image, 0x38)], 0x01);
    EXPECT_EQ(CheckImage(image).configLength, 0);
}

TEST(ProgramImage, ConfigurationBlockAboveOneThousandBytesFails) {
    Bench bench;
    CProject& p = bench.project();
    AddUserType(p, "Configuration", {{"Mode", "DINT"}});
    CTag& mode = *p.FindType("Configuration")->members[0];
    mode.configMode = kConfigChoice;
    for (int i = 0; i < 100; ++i) {
        mode.choiceTexts.push_back("Choice" + std::to_string(i));
        mode.choiceValues.push_back(static_cast<uint32_t>(i));
    }
    AddTag(p, p.doc.tags, "Cfg", "Configuration");
    EXPECT_TRUE(Build(bench).empty());
    EXPECT_EQ(bench.ErrorLines(), std::vector<std::string>{"Error: Configuration Structure exceeds 1000 bytes"});
}

TEST(ProgramImage, LimitFailuresShowAMessageAndWriteNothing) {
    Bench bench;
    AddTag(bench.project(), bench.doc().tags, "Big", "DINT[2500]");
    EXPECT_TRUE(Build(bench).empty());
    EXPECT_EQ(bench.host.Messages(), std::vector<std::string>{"Error - Tags size exceeds 10000 bytes!"});
}

TEST(ProgramImage, CodeThatWouldPassTheBufferEndsTheBuildWithAnErrorLine) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, p.doc.tags, "A", "BOOL");
    for (int r = 0; r < 1700; ++r) AddRung(p.doc.rungs, Els(El("XIC", {"A"}), El("OTE", {"A"})));  // 24 bytes each
    std::string path;
    bench.SetPath("Big.clp");
    EXPECT_FALSE(BuildProgramImage(bench.frame, path, false));
    EXPECT_EQ(bench.ErrorLines(), std::vector<std::string>{"Error: Program code exceeds 40000 bytes"});
    p.doc.rungs.resize(1600);  // 38,400 bytes and the end words fit
    EXPECT_TRUE(BuildProgramImage(bench.frame, path, false)) << ::testing::PrintToString(bench.ErrorLines());
}

// The command flows around the build.
struct CommandCase {
    const char* name;
    bool debug, untitled, modified, answer, saves;
    std::vector<std::string> log;  // questions and messages, in order
    bool built;
};

TEST(BuildCommands, MakeBinFileQuestionsAndMessages) {
    const std::string created = "File %s is created successfully.";
    const std::vector<CommandCase> cases = {
        {"debug", true, false, false, false, false, {"message: This operation can't be use in Debug mode!"}, false},
        {"untitled", false, true, false, false, false,
         {"message: The project is Untitled. Please first save the project and than use Make .bin File."}, false},
        {"cancel", false, false, true, false, true,
         {"okcancel: The project is modified. Do you want to save it before Make .bin File?"}, false},
        {"save fails", false, false, true, true, false,
         {"okcancel: The project is modified. Do you want to save it before Make .bin File?"}, false},
        {"saved", false, false, true, true, true,
         {"okcancel: The project is modified. Do you want to save it before Make .bin File?", created}, true},
        {"clean", false, false, false, false, false, {created}, true},
    };
    for (const auto& c : cases) {
        Bench bench;
        AddRung(bench.doc().rungs);
        if (!c.untitled) bench.SetPath("Line.clp");
        bench.frame.debugMode = c.debug;
        bench.doc().modified = c.modified;
        bench.host.answers = {c.answer};
        int saves = 0;
        const bool done = MakeBinFileCommand(bench.frame, [&] { return ++saves, c.saves; });
        EXPECT_EQ(done, c.built) << c.name;
        const std::string path = (bench.folder / "PLCDATA_Line.bin").string();
        std::vector<std::string> log = c.log;
        for (auto& entry : log)
            if (entry == created) entry = "message: File " + path + " is created successfully.";
        EXPECT_EQ(bench.host.log, log) << c.name;
        EXPECT_EQ(saves, c.modified && c.answer ? 1 : 0) << c.name;
        if (c.built) {
            EXPECT_EQ(bench.Lines().back(), "File " + path + " is created successfully.") << c.name;
        }
    }
}

TEST(BuildCommands, MakeBinFileReportsBuildFailures) {
    Bench bench;
    AddRung(bench.doc().rungs, Els(El("XIC")));
    bench.SetPath("Line.clp");
    EXPECT_FALSE(MakeBinFileCommand(bench.frame, [] { return true; }));
    EXPECT_EQ(bench.Lines().back(), "Make .bin File Error!");
    EXPECT_EQ(bench.host.Messages(), std::vector<std::string>{"Make .bin File Error! See Output window for description."});

    // A folder that cannot take the file fails the same way; the output window, which
    // the message points to, names the file and the reason.
    Bench unwritable;
    AddRung(unwritable.doc().rungs);
    unwritable.SetPath("Line.clp");
    const auto missing = unwritable.folder / "missing";
    unwritable.doc().pathName = (missing / "Line.clp").string();
    EXPECT_FALSE(MakeBinFileCommand(unwritable.frame, [] { return true; }));
    EXPECT_EQ(unwritable.ErrorLines(),
              std::vector<std::string>{"Error - Can't write file " + (missing / "PLCDATA_Line.bin").string() +
                                       ": cannot create a file in the folder '" + missing.string() +
                                       "': No such file or directory"});
    EXPECT_EQ(unwritable.Lines().back(), "Make .bin File Error!");
    EXPECT_EQ(unwritable.host.Messages(),
              std::vector<std::string>{"Make .bin File Error! See Output window for description."});
}

TEST(BuildCommands, BusyGuardIgnoresBothCommands) {
    Bench bench;
    AddRung(bench.doc().rungs);
    bench.SetPath("Line.clp");
    bench.frame.downloadInProgress = true;
    EXPECT_FALSE(MakeBinFileCommand(bench.frame, [] { return true; }));
    EXPECT_FALSE(VerifyProgramCommand(bench.frame));
    EXPECT_TRUE(bench.host.log.empty());
    EXPECT_TRUE(bench.Lines().empty());
    bench.frame.downloadInProgress = false;
    EXPECT_TRUE(VerifyProgramCommand(bench.frame));  // the build with header only: no file
    EXPECT_TRUE(bench.Lines().back().starts_with("Program memory = "));
    EXPECT_FALSE(std::filesystem::exists(bench.folder / "PLCDATA_Line.bin"));
}

}  // namespace
}  // namespace pontra
