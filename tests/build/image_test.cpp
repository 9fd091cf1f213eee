// The program image byte by byte: markers, encodings, jumps, header, trailer and the
// configuration block, and the build's failure paths.
#include <gtest/gtest.h>

#include "BuildFixtures.h"
#include "ImageChecker.h"
#include "build/BuildCommands.h"
#include "build/ProgramImage.h"
#include "model/Types.h"

namespace pontra {
namespace {

using namespace test;

// Builds the bench's project into a file and returns the file's bytes (empty on failure).
std::vector<uint8_t> BuildImage(Bench& bench, const std::string& fileName = "Line.clp") {
    bench.SetPath(fileName);
    std::string path;
    if (!BuildProgramImage(bench.frame, path, false)) return {};
    return ReadFile(path);
}

// Code words of an image, from the code area.
std::vector<uint32_t> CodeWords(const std::vector<uint8_t>& image) {
    std::vector<uint32_t> words;
    const uint32_t size = Word(image, 0x30);
    for (uint32_t i = 0; i < size; i += 4) words.push_back(Word(image, 180 + i));
    return words;
}

constexpr uint32_t W(uint8_t code, uint8_t b1 = 0, uint8_t b2 = 0, uint8_t b3 = 0xA0) {
    return uint32_t{code} | uint32_t{b1} << 8 | uint32_t{b2} << 16 | uint32_t{b3} << 24;
}

TEST(ProgramImage, EndMarkersWithoutFunctionBlocks) {
    Bench bench;
    AddRung(bench.doc().rungs);
    auto image = BuildImage(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    EXPECT_EQ(CodeWords(image), (std::vector<uint32_t>{W(1), W(6), W(0), 0, 0xACACACACu}));
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
    auto image = BuildImage(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    const std::vector<uint32_t> expected = {
        W(1), W(6), W(0), 0xFFFFFFFFu, 0xABABABABu,                                   // main
        W(79), 4, W(1), W(80), W(6), W(0), 0xFFFFFFFFu, 0xABABABABu,                  // A
        W(79), 8, W(1), W(80), W(6), W(0), 0, 0xACACACACu,                            // B
    };
    EXPECT_EQ(CodeWords(image), expected);
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
    auto image = BuildImage(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    // Pad at 384, B0..B5 at 388 bits 0..5, S1..S3 at 392, 393, 394.
    auto words = CodeWords(image);
    EXPECT_EQ(words[1], W(11, 5));
    EXPECT_EQ(words[2], 388u);
    EXPECT_EQ(words[3], W(11, 2 * 8 + 3));
    EXPECT_EQ(words[4], 392u);
    EXPECT_EQ(words[5], W(13, 0));
    EXPECT_EQ(words[6], 384u);
}

TEST(ProgramImage, AddWithAConstantEncodesTypeCodesAndTheImmediate) {
    Bench bench;
    CProject& p = bench.project();
    AddTag(p, bench.doc().tags, "A", "DINT");
    AddTag(p, bench.doc().tags, "D", "INT");
    AddRung(bench.doc().rungs, Els(El("ADD", {"A", "5", "D"})));
    auto image = BuildImage(bench);
    ASSERT_FALSE(image.empty()) << ::testing::PrintToString(bench.Lines());
    auto words = CodeWords(image);
    EXPECT_EQ(words[1], W(41, 4, 0, 0xA2));
    EXPECT_EQ(words[2], 384u);
    EXPECT_EQ(words[3], 5u);
    EXPECT_EQ(words[4], 388u);
}

}  // namespace
}  // namespace pontra
