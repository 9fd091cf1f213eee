// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged images: the module refuses them or runs them, and never reads or writes outside
// its code and tag memory (the sanitizer build shows it).
#include <gtest/gtest.h>

#include <random>

#include "sim/ImageAssembler.h"
#include "sim/LadderMachine.h"

namespace pontra::sim::test {
namespace {

// A program that uses every family: branches, timers, arithmetic, arrays, calls, jumps.
Image RichProgram() {
    Image img;
    Code& c = img.code;
    c.Rung().Bst().Bit(kXic, 384, 0).Nxb().Bit(kXio, 384, 1).Bnd().Timer(kTon, 400).Rnd();
    c.Rung().Op(kIndexed, kTypeInt, kTypeDint).Word(432).Word(444).Word(5).Word(448)
        .Gen(kDiv, {Int(448), Imm(3), Dint(388)}).Rnd();
    c.Rung().Gen(kLes, {Dint(392), Imm(5)});
    const uint32_t jump = c.Here();
    c.Jmp(0).Rnd();
    c.w[jump + 1] = c.Here();
    c.Rung();
    const uint32_t call = c.Here();
    c.Jfb(0, 456).Rnd().End(false);
    c.w[call + 1] = c.Here();
    c.FbHeader(16).Rung().Gen(kAdd, {Dint(0), Imm(1), Dint(0)}).Timer(kCtu, 4).Rnd().EndFb(true);
    return img;
}

TEST(Robustness, DamagedImagesAreRefusedOrRunWithinTheirMemory) {
    const Image rich = RichProgram();
    const std::vector<uint8_t> good = rich.Bytes();
    const size_t codeBytes = rich.code.w.size() * 4;
    std::mt19937 random(12345);
    int runnable = 0;
    for (int round = 0; round < 5000; ++round) {
        std::vector<uint8_t> image = good;
        for (int i = 1 + static_cast<int>(random() % 4); i > 0; --i) {
            // mostly the code, where the decoding lives; small values hit type codes and bit positions
            const size_t at = random() % 8 ? kHeaderSize + random() % codeBytes : random() % image.size();
            image[at] = static_cast<uint8_t>(random() % 2 ? random() % 40 : random());
        }
        if (round % 10 == 0) image.resize(random() % image.size());
        LadderMachine m("Vessa");
        m.Load(image);
        runnable += m.Runnable();
        for (int scan = 0; scan < 3 && m.Scan(1000 + 10 * scan); ++scan) {
        }
    }
    EXPECT_GT(runnable, 500) << "enough damaged images pass the checks to exercise the machine";
}

}  // namespace
}  // namespace pontra::sim::test
