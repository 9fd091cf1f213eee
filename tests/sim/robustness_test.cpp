// Damaged images and random requests: the module refuses or answers, and never reads or
// writes outside its memory (run under the sanitizers to see it).
#include <gtest/gtest.h>

#include <random>

#include "sim/ImageAssembler.h"
#include "sim/RegisterServer.h"
#include "sim/SoftModule.h"

namespace pontra::sim::test {
namespace {

// A program that uses every family: branches, timers, arithmetic, arrays, calls, jumps.
Image RichProgram() {
    Image img;
    Code& c = img.code;
    c.Rung().Bst().Bit(kOpXic, 384, 0).Nxb().Bit(kOpXio, 384, 1).Bnd().Timer(kOpTon, 400).Rnd();
    c.Rung().Op(kOpIndex1, kTypeInt, kTypeDint).Word(432).Word(444).Word(5).Word(448)
        .Gen(kOpDiv, {Int(448), Imm(3), Dint(388)}).Rnd();
    c.Rung().Gen(kOpLes, {Dint(392), Imm(5)});
    const uint32_t jump = c.Here();
    c.Jmp(0).Rnd();
    c.w[jump + 1] = c.Here();
    c.Rung();
    const uint32_t call = c.Here();
    c.Jfb(0, 456).Rnd().End(false);
    c.w[call + 1] = c.Here();
    c.FbHeader(16).Rung().Gen(kOpAdd, {Dint(0), Imm(1), Dint(0)}).Timer(kOpCtu, 4).Rnd().EndFb(true);
    return img;
}

TEST(Robustness, DamagedImagesAreRefusedOrRunWithinTheirMemory) {
    const std::vector<uint8_t> good = RichProgram().Bytes();
    {
        LadderMachine m("Vessa");
        m.Load(good);
        ASSERT_TRUE(m.Runnable()) << m.Error().code << " at " << m.Error().pc;
    }
    std::mt19937 random(12345);
    int runnable = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> image = good;
        const int damage = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < damage; ++i) {
            // mostly the code area, where the decoding lives; sometimes the header
            const size_t at = random() % 4 == 0 ? random() % kHeaderSize : kHeaderSize + random() % (image.size() - kHeaderSize);
            image[at] = static_cast<uint8_t>(random());
        }
        if (random() % 10 == 0) image.resize(random() % image.size());
        LadderMachine m("Vessa");
        m.Load(image);
        if (!m.Runnable()) continue;
        ++runnable;
        for (int scan = 0; scan < 3; ++scan) m.Scan(1000 + 10 * scan);
    }
    EXPECT_GT(runnable, 300) << "enough damaged images pass the checks to exercise the machine";
}

TEST(Robustness, RandomDatagramsAndRegisterStreamsGetAnswersOrNothing) {
    ModuleOptions options;
    options.identity = *IdentityFor("Vessa");
    SoftModule module(options);
    module.StoreProgram(RichProgram().Bytes(), 0);
    std::mt19937 random(777);
    std::vector<uint8_t> reply;
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> request(random() % 40);
        for (auto& b : request) b = static_cast<uint8_t>(random());
        if (request.size() >= 4) request[2] = static_cast<uint8_t>(random() % 8), request[3] = 0;
        if (module.HandleDatagram(request, reply, round)) {
            ASSERT_GE(reply.size(), 8u);
            EXPECT_TRUE(reply[2] == 0x40 || reply[2] == 0x80);
        }
        module.Tick(round);
    }
    std::vector<uint8_t> stream, out;
    for (int round = 0; round < 20000; ++round) {
        for (int i = random() % 16; i > 0; --i) stream.push_back(static_cast<uint8_t>(random() % 4 ? 0 : random()));
        for (size_t used = 1; used > 0 && !stream.empty();) {
            bool drop = false;
            used = ProcessRegisterRequest(stream, module, out, drop);
            ASSERT_LE(used, stream.size());
            stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(drop ? stream.size() : used));
        }
        EXPECT_LT(stream.size(), 12u) << "an unanswered request never waits for more than one frame";
        out.clear();
    }
}

}  // namespace
}  // namespace pontra::sim::test
