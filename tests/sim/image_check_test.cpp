// SPDX-License-Identifier: GPL-3.0-or-later
// The module's header check and prescan: every rule with its code and place, and images
// at the edges of a rule that pass.
#include <gtest/gtest.h>

#include <functional>

#include "sim/ImageAssembler.h"
#include "sim/LadderMachine.h"

namespace pontra::sim::test {
namespace {

void Put32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Add32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    Put32(f, at, (f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<uint32_t>(f[at + 3]) << 24) + v);
}

Image Minimal() {
    Image img;
    img.code.Rung().Rnd().End(true);
    return img;
}

TEST(HeaderCheck, EachRuleReportsItsCode) {
    const struct {
        const char* what;
        std::string module;  // controller type of the module
        std::function<void(Image&)> image;
        std::function<void(std::vector<uint8_t>&)> file;
        uint16_t code;
    } cases[] = {
        {"a good image", "Vessa", nullptr, nullptr, 0},
        {"Kormo images carry the Vessa family", "Kormo", nullptr, nullptr, 0},
        {"VessaK3 images carry the VessaK2 family", "VessaK3", [](Image& i) { i.family = "VessaK2"; }, nullptr, 0},
        {"family of another module", "Vessa", [](Image& i) { i.family = "Vessa-IX"; }, nullptr, 1},
        {"shorter than a header", "Vessa", nullptr, [](auto& f) { f.resize(100); }, 2},
        {"tags beyond the file", "Vessa", nullptr, [](auto& f) { f.resize(f.size() - 200); }, 2},
        {"no code", "Vessa", nullptr, [](auto& f) { Put32(f, kHeaderCodeSize, 0), Put32(f, kHeaderTagsOffset, 180); },
         3},
        {"tags not after the code", "Vessa", nullptr, [](auto& f) { Add32(f, kHeaderTagsOffset, 4); }, 3},
        {"tags smaller than the controller area", "Vessa", nullptr,
         [](auto& f) { Put32(f, kHeaderTagsSize, 380); Put32(f, kHeaderNonVolatileStart, 380); }, 5},
        {"code end not on a word", "Vessa", nullptr,
         [](auto& f) { Add32(f, kHeaderCodeSize, 2), Add32(f, kHeaderTagsOffset, 2); }, 7},
        {"tag memory above 10000 bytes", "Vessa", [](Image& i) { i.tags.resize(10004); }, nullptr, 8},
        {"non-volatile start wrong", "Vessa", nullptr, [](auto& f) { Put32(f, kHeaderNonVolatileStart, 400); }, 9},
        {"non-volatile area above 96 bytes", "Vessa", [](Image& i) { i.nonVolatileSize = 100; }, nullptr, 10},
        {"connection kinds 1 and 3", "Vessa", [](Image& i) { i.connectionKinds = {1, 3, 0, 0}; }, nullptr, 0},
        {"connection kind 2", "Vessa", [](Image& i) { i.connectionKinds = {0, 0, 2, 0}; }, nullptr, 100},
    };
    for (const auto& c : cases) {
        Image img = Minimal();
        if (c.image) c.image(img);
        std::vector<uint8_t> file = img.Bytes();
        if (c.file) c.file(file);
        LadderMachine m(FamilyName(c.module));
        m.Load(file);
        EXPECT_EQ(m.HeaderError(), c.code) << c.what;
        EXPECT_EQ(m.Runnable(), c.code == 0) << c.what;
    }
}

// A rung that reads element 0 of a BOOL array of `count` at `base` (DINT index at 400,
// scratch tag at 404) into the BOOL at 408.
void BoolArray(Code& c, uint32_t base, uint32_t count) {
    c.Rung().Op(kIndexed, kTypeBoolOrImmediate, kTypeDint).Word(base).Word(400).Word(count).Word(404);
    c.Bit(kXic, 404, 0).Bit(kOte, 408, 0).Rnd().End(true);
}

TEST(Prescan, EachRuleReportsCodeProgramCounterInstructionAndRung) {
    const struct {
        const char* what;
        std::function<void(Code&)> code;
        uint16_t error, pc, instruction, rung;
    } cases[] = {
        {"instruction before RUNG", [](Code& c) { c.Bit(kXic, 384, 0).Rnd().End(true); }, 1, 0, kXic, 1},
        {"unknown code", [](Code& c) { c.Rung().Op(99).Rnd().End(true); }, 2, 1, 99, 1},
        {"word without the 0xA tag", [](Code& c) { c.Rung().Word(kRnd).End(true); }, 2, 1, kRnd, 1},
        {"branch left open", [](Code& c) { c.Rung().Rnd().Rung().Bst().Bit(kXic, 384, 0).Nxb().Rnd().End(true); },
         3, 7, kRnd, 2},
        {"branch without a second level", [](Code& c) { c.Rung().Bst().Bit(kXic, 384, 0).Bnd().Rnd().End(true); },
         4, 4, kBnd, 1},
        {"branches nested too deep",
         [](Code& c) {
             c.Rung();
             for (int i = 0; i < 33; ++i) c.Bst();
             c.Rnd().End(true);
         },
         5, 33, kBst, 1},
        {"bit position 32", [](Code& c) { c.Rung().Op(kXic, 32).Word(384).Rnd().End(true); }, 6, 1, kXic, 1},
        {"bit beyond the tags", [](Code& c) { c.Rung().Bit(kOte, 512, 0).Rnd().End(true); }, 7, 1, kOte, 1},
        {"timer running past the tags", [](Code& c) { c.Rung().Timer(kTon, 504).Rnd().End(true); }, 8, 1, kTon, 1},
        {"operand beyond the tags", [](Code& c) { c.Rung().Gen(kMov, {Imm(1), Dint(512)}).Rnd().End(true); },
         9, 1, kMov, 1},
        {"constant as destination", [](Code& c) { c.Rung().Gen(kAdd, {Imm(1), Imm(2), Imm(3)}).Rnd().End(true); },
         10, 1, kAdd, 1},
        {"backward jump outside Structured Text", [](Code& c) { c.Rung().Rnd().Rung().Jmp(0).Rnd().End(true); },
         11, 3, kJmp, 2},
        {"jump into a rung", [](Code& c) { c.Rung().Jmp(5).Rnd().Rung().Bit(kXic, 384, 0).Rnd().End(true); },
         11, 1, kJmp, 1},
        {"END without markers", [](Code& c) { c.Rung().Rnd().Op(kEnd); }, 13, 2, kEnd, 1},
        {"wrong marker", [](Code& c) { c.Rung().Rnd().Op(kEnd).Word(0).Word(0x12345678); }, 13, 3, 0, 1},
        {"code after the last unit", [](Code& c) { c.Rung().Rnd().End(true).Rung(); }, 13, 5, kRung, 1},
        {"no END", [](Code& c) { c.Rung().Rnd(); }, 14, 2, 0, 1},
        {"RUNG inside a rung", [](Code& c) { c.Rung().Rung().Rnd().End(true); }, 15, 1, kRung, 1},
        {"END inside a rung", [](Code& c) { c.Rung().End(true); }, 15, 1, kEnd, 1},
        {"DINT on an odd address", [](Code& c) { c.Rung().Gen(kMov, {Imm(1), Dint(386)}).Rnd().End(true); },
         17, 1, kMov, 1},
        {"operand type 3", [](Code& c) { c.Rung().Op(kMov, 0, 3).Word(1).Word(384).Rnd().End(true); },
         18, 1, kMov, 1},
        {"call of something else than a function block",
         [](Code& c) { c.Rung().Jfb(0, 400).Rnd().End(true); }, 21, 1, kJfb, 1},
        {"instance running past the tags",
         [](Code& c) { c.Rung().Jfb(8, 400).Rnd().End(false).FbHeader(200).EndFb(true); }, 9, 1, kJfb, 1},
        {"function block without header", [](Code& c) { c.Rung().Rnd().End(false).Rung().Rnd().End(true); },
         1, 5, kRung, 1},
        {"function-block operand beyond its instance",
         [](Code& c) { c.Rung().Rnd().End(false).FbHeader(8).Rung().Gen(kClr, {Dint(8)}).Rnd().EndFb(true); },
         9, 8, kClr, 1},
        {"array of no elements",
         [](Code& c) {
             c.Rung().Op(kIndexed, kTypeInt, kTypeDint).Word(400).Word(420).Word(0).Word(424).Rnd().End(true);
         },
         35, 1, kIndexed, 1},
        // BOOL elements pack 32 to a word and the array takes whole words: 40 take two.
        {"BOOL array of 40 ending the tags", [](Code& c) { BoolArray(c, 504, 40); }, 0, 0, 0, 0},
        {"BOOL array of 40 one word short of room", [](Code& c) { BoolArray(c, 508, 40); }, 9, 1, kIndexed, 1},
        {"BOOL array of 32 in the last word", [](Code& c) { BoolArray(c, 508, 32); }, 0, 0, 0, 0},
        {"BOOL array of 33 past the last word", [](Code& c) { BoolArray(c, 508, 33); }, 9, 1, kIndexed, 1},
    };
    for (const auto& c : cases) {
        Image img;
        c.code(img.code);
        LadderMachine m("Vessa");
        m.Load(img.Bytes());
        ASSERT_EQ(m.HeaderError(), 0) << c.what;
        EXPECT_EQ(m.Error().code, c.error) << c.what;
        EXPECT_EQ(m.Error().pc, c.pc) << c.what;
        EXPECT_EQ(m.Error().instruction, c.instruction) << c.what;
        EXPECT_EQ(m.Error().rung, c.rung) << c.what;
        EXPECT_EQ(m.Runnable(), c.error == 0) << c.what;
        EXPECT_EQ(m.Tags().size(), img.tags.size()) << c.what << ": tag memory stays readable";
    }
}

}  // namespace
}  // namespace pontra::sim::test
