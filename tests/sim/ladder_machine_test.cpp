// SPDX-License-Identifier: GPL-3.0-or-later
// The ladder machine on hand-assembled programs whose results are known.
#include "sim/MachineFixture.h"

namespace pontra::sim::test {
namespace {

// Tag addresses used below (the volatile area starts at 384).
constexpr uint32_t kBits = 384;                   // BOOLs
constexpr uint32_t kA = 388, kB = 392, kC = 396;  // DINTs
constexpr uint32_t kTimer = 400, kCounter = 412;  // 12 bytes each
constexpr uint32_t kInt = 424, kSint = 428;
constexpr uint32_t kArray = 432;                  // INT[5], or SINT[3,4]
constexpr uint32_t kIndex = 444, kScratch = 448;  // DINTs
constexpr uint32_t kInstance = 456;               // function-block instances
constexpr int kEn = 31, kTt = 30, kDn = 29;       // timer status bits
constexpr int kCu = 31, kCd = 30, kOv = 28;       // counter status bits

TEST_F(MachineTest, SealInCircuitHoldsUntilStop) {
    // (Start OR Motor) AND NOT Stop -> Motor
    img.code.Rung().Bst().Bit(kXic, kBits, 0).Nxb().Bit(kXic, kBits, 2).Bnd().Bit(kXio, kBits, 1)
        .Bit(kOte, kBits, 2).Rnd().End(true);
    Load();
    const struct { bool start, stop, motor; } steps[] = {
        {false, false, false}, {true, false, true}, {false, false, true}, {false, true, false}, {false, false, false},
    };
    for (const auto& s : steps) {
        SetBit(kBits, 0, s.start);
        SetBit(kBits, 1, s.stop);
        ASSERT_TRUE(Scan());
        EXPECT_EQ(Bit(kBits, 2), s.motor) << "start " << s.start << " stop " << s.stop;
    }
}

TEST_F(MachineTest, NestedBranchesCombineEveryLevel) {
    // bit 8 = a OR (b AND (c OR d)) OR e, with a third level (NXB 5) and a nested branch
    img.code.Rung().Bst().Bit(kXic, kBits, 0).Nxb().Bit(kXic, kBits, 1).Bst().Bit(kXic, kBits, 2).Nxb()
        .Bit(kXic, kBits, 3).Bnd().Op(kNxbMore).Bit(kXic, kBits, 4).Bnd().Bit(kOte, kBits, 8).Rnd().End(true);
    Load();
    for (int in = 0; in < 32; ++in) {
        for (int b = 0; b < 5; ++b) SetBit(kBits, b, in >> b & 1);
        ASSERT_TRUE(Scan());
        const bool a = in & 1, b = in & 2, c = in & 4, d = in & 8, e = in & 16;
        EXPECT_EQ(Bit(kBits, 8), a || (b && (c || d)) || e) << "inputs " << in;
    }
}

TEST_F(MachineTest, OneShotsAndLatchesActOnTheirEdgeOrCondition) {
    // ONS -> bit 2; OSR storage 3 output 4; OSF storage 5 output 6; OTL bit 7 on input, OTU it on bit 8
    img.code.Rung().Bit(kXic, kBits, 0).Bit(kOns, kBits, 1).Bit(kOte, kBits, 2).Rnd()
        .Rung().Bit(kXic, kBits, 0).Op(kOsr, 3, 4).Word(kBits).Word(kBits).Rnd()
        .Rung().Bit(kXic, kBits, 0).Op(kOsf, 5, 6).Word(kBits).Word(kBits).Rnd()
        .Rung().Bit(kXic, kBits, 0).Bit(kOtl, kBits, 7).Rnd().Rung().Bit(kXic, kBits, 8).Bit(kOtu, kBits, 7)
        .Rnd().End(true);
    Load();
    const struct { bool in, unlatch, ons, osr, osf, latched; } steps[] = {
        {false, false, false, false, false, false}, {true, false, true, true, false, true},
        {true, false, false, false, false, true},   {false, false, false, false, true, true},
        {false, true, false, false, false, false},  {true, false, true, true, false, true},
    };
    for (const auto& s : steps) {
        SetBit(kBits, 0, s.in);
        SetBit(kBits, 8, s.unlatch);
        ASSERT_TRUE(Scan());
        EXPECT_EQ(Bit(kBits, 2), s.ons);
        EXPECT_EQ(Bit(kBits, 4), s.osr);
        EXPECT_EQ(Bit(kBits, 6), s.osf);
        EXPECT_EQ(Bit(kBits, 7), s.latched);
    }
}

TEST_F(MachineTest, TimersCountRealMillisecondsAndStopAtPreset) {
    // bit 0 drives a TON (PRE 100), bit 1 a TOF (PRE 50), bit 2 an RTO (PRE 100) reset by bit 3
    constexpr uint32_t kOffDelay = kTimer + 12 + 12, kRetentive = kOffDelay + 12;  // past the counter's place
    Code& c = img.code;
    c.Rung().Bit(kXic, kBits, 0).Timer(kTon, kTimer).Rnd();
    c.Rung().Bit(kXic, kBits, 1).Timer(kTof, kOffDelay).Rnd();
    c.Rung().Bit(kXic, kBits, 2).Timer(kRto, kRetentive).Rnd();
    c.Rung().Bit(kXic, kBits, 3).Timer(kRes, kRetentive).Rnd().End(true);
    img.SetDint(kTimer + 4, 100);
    img.SetDint(kOffDelay + 4, 50);
    img.SetDint(kRetentive + 4, 100);
    Load();
    const struct {
        uint64_t after;
        bool ton, tof, rto, reset;
        int tonAcc, tofAcc, rtoAcc;
        bool tonDn, tofDn, rtoDn;
    } steps[] = {
        {10, true, true, true, false, 0, 0, 0, false, true, false},      // all start
        {40, true, false, true, false, 40, 0, 40, false, true, false},   // TOF starts on the falling edge
        {35, true, false, false, false, 75, 35, 40, false, true, false}, // RTO keeps its time when off
        {15, true, false, false, false, 90, 50, 40, false, false, false}, // TOF exactly at its preset
        {10, true, false, false, false, 100, 50, 40, true, false, false}, // TON exactly at its preset
        {1000, true, false, false, false, 100, 50, 40, true, false, false},
        {10, true, false, true, false, 100, 50, 40, true, false, false}, // the pause did not count
        {60, false, false, true, false, 0, 50, 100, false, false, true},  // RTO exactly at its preset
        {10, false, false, false, true, 0, 50, 0, false, false, false},  // RES
    };
    for (const auto& s : steps) {
        SetBit(kBits, 0, s.ton);
        SetBit(kBits, 1, s.tof);
        SetBit(kBits, 2, s.rto);
        SetBit(kBits, 3, s.reset);
        ASSERT_TRUE(Scan(s.after));
        EXPECT_EQ(Get(kTimer + 8), s.tonAcc) << "after " << now;
        EXPECT_EQ(Get(kOffDelay + 8), s.tofAcc) << "after " << now;
        EXPECT_EQ(Get(kRetentive + 8), s.rtoAcc) << "after " << now;
        EXPECT_EQ(Bit(kTimer, kDn), s.tonDn) << "after " << now;
        EXPECT_EQ(Bit(kOffDelay, kDn), s.tofDn) << "after " << now;
        EXPECT_EQ(Bit(kRetentive, kDn), s.rtoDn) << "after " << now;
        EXPECT_EQ(Bit(kTimer, kEn), s.ton);
        EXPECT_EQ(Bit(kTimer, kTt), s.ton && !s.tonDn);
    }
}

TEST_F(MachineTest, CountersCountEdgesAndFlagWrap) {
    img.code.Rung().Bit(kXic, kBits, 0).Timer(kCtu, kCounter).Rnd()
        .Rung().Bit(kXic, kBits, 1).Timer(kCtd, kCounter).Rnd()
        .Rung().Bit(kXic, kBits, 2).Timer(kRes, kCounter).Rnd().End(true);
    img.SetDint(kCounter + 4, 3);
    Load();
    for (bool up : {true, true, false, true, false, true}) {  // held for a second scan: one count
        SetBit(kBits, 0, up);
        ASSERT_TRUE(Scan());
    }
    EXPECT_EQ(Get(kCounter + 8), 3);
    EXPECT_TRUE(Bit(kCounter, kDn));
    SetBit(kBits, 1, true);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kCounter + 8), 2);
    EXPECT_TRUE(Bit(kCounter, kCd) && Bit(kCounter, kCu) && !Bit(kCounter, kDn));
    Set(kCounter + 8, INT32_MAX);
    SetBit(kBits, 0, false);
    ASSERT_TRUE(Scan());
    SetBit(kBits, 0, true);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kCounter + 8), INT32_MIN);
    EXPECT_TRUE(Bit(kCounter, kOv));
    SetBit(kBits, 2, true);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kCounter + 8), 0);
    EXPECT_EQ(static_cast<uint32_t>(Get(kCounter)) >> 27, 0u);
}

TEST_F(MachineTest, ComparesGateTheRung) {
    const struct { uint8_t op; int32_t a, b, c; bool result; } cases[] = {
        {kEqu, 5, 5, 0, true},    {kEqu, 5, -5, 0, false},  {kNeq, 1, 2, 0, true},  {kLes, -3, 2, 0, true},
        {kGrt, -3, 2, 0, false},  {kLeq, 2, 2, 0, true},    {kGeq, 1, 2, 0, false},
        {kLim, 10, 15, 20, true}, {kLim, 10, 25, 20, false},
        {kLim, 20, 25, 10, true}, {kLim, 20, 5, 10, true},  {kLim, 20, 15, 10, false},  // circular
        {kMeq, 0x1234, 0x00FF, 0x5534, true}, {kMeq, 0x1234, 0x0FFF, 0x5534, false},
    };
    for (const auto& c : cases) {
        // A from a DINT tag, B immediate, the third operand from an INT tag
        img = Image();
        if (c.op == kLim || c.op == kMeq) img.code.Rung().Gen(c.op, {Dint(kA), Imm(c.b), Int(kInt)});
        else img.code.Rung().Gen(c.op, {Dint(kA), Imm(c.b)});
        img.code.Bit(kOte, kBits, 0).Rnd().End(true);
        Load();
        Set(kA, c.a);
        Set(kInt, c.c, 2);
        ASSERT_TRUE(Scan());
        EXPECT_EQ(Bit(kBits, 0), c.result) << int(c.op) << " " << c.a << " " << c.b << " " << c.c;
    }
}

TEST_F(MachineTest, ArithmeticWrapsIn32BitsAndTruncatesToTheDestination) {
    const struct { uint8_t op; Operand a, b, dest; int32_t result; } cases[] = {
        {kAdd, Imm(30000), Imm(30000), Int(kInt), -5536},
        {kAdd, Imm(INT32_MAX), Imm(1), Dint(kC), INT32_MIN},
        {kSub, Imm(-100), Imm(100), Sint(kSint), 56},
        {kMul, Imm(65536), Imm(65537), Dint(kC), 65536},
        {kDiv, Imm(-7), Imm(2), Dint(kC), -3},
        {kDiv, Imm(INT32_MIN), Imm(-1), Dint(kC), INT32_MIN},
        {kMod, Imm(-7), Imm(3), Dint(kC), -1},
        {kXor, Imm(0xFF), Imm(0x0F), Sint(kSint), -16},
        {kShl, Imm(1), Imm(31), Dint(kC), INT32_MIN},
        {kShl, Imm(1), Imm(40), Dint(kC), 0},
        {kShr, Imm(-8), Imm(1), Dint(kC), -4},
        {kMvm, Imm(0x1234), Imm(0x00F0), Dint(kC), 0x7F3F},  // into 0x7F0F
        {kNeg, Imm(INT32_MIN), {}, Dint(kC), INT32_MIN},
        {kSqr, Imm(-17), {}, Dint(kC), 4},
        {kNot, Imm(0), {}, Int(kInt), -1},
    };
    for (const auto& c : cases) {
        img = Image();
        if (c.op == kNeg || c.op == kSqr || c.op == kNot) img.code.Rung().Gen(c.op, {c.a, c.dest});
        else img.code.Rung().Gen(c.op, {c.a, c.b, c.dest});
        img.code.Rnd().End(true);
        Load();
        Set(kC, 0x7F0F);
        ASSERT_TRUE(Scan());
        EXPECT_EQ(Get(c.dest.word, c.dest.type), c.result) << "op " << int(c.op);
    }
}

TEST_F(MachineTest, DivisionByZeroStopsWithItsPlaceUntilAStart) {
    img.code.Rung().Gen(kMov, {Imm(1), Dint(kA)}).Rnd()
        .Rung().Bit(kXic, kBits, 0).Gen(kDiv, {Dint(kA), Dint(kB), Dint(kC)}).Rnd().End(true);
    Load();
    ASSERT_TRUE(Scan());  // a false rung divides nothing
    SetBit(kBits, 0, true);
    EXPECT_FALSE(Scan());
    EXPECT_EQ(m.Error().code, kRuntimeDivideByZero);
    EXPECT_EQ(m.Error().pc, 8);
    EXPECT_EQ(m.Error().instruction, kDiv);
    EXPECT_EQ(m.Error().rung, 2);
    Set(kB, 2);
    EXPECT_FALSE(Scan());
    m.Start();
    EXPECT_TRUE(Scan());
}

TEST_F(MachineTest, IndexedAccessCopiesElementsAndChecksTheIndex) {
    // A := INT[5][index] + 100; INT[5][B] := A;
    // C := SINT[3,4][index, 1]; SINT[3,4][2, 3] := B (the SINT array at kInstance, row-major)
    img.code.Rung().Op(kIndexed, kTypeInt, kTypeDint).Word(kArray).Word(kIndex).Word(5).Word(kScratch)
        .Gen(kAdd, {Int(kScratch), Imm(100), Dint(kA)}).Rnd()
        .Rung().Gen(kMov, {Dint(kA), Int(kScratch + 4)})
        .Op(kIndexed, kTypeInt, kTypeDint, 1).Word(kArray).Word(kB).Word(5).Word(kScratch + 4).Rnd()
        .Rung().Op(kReadArray2, kTypeSint, kTypeDint, kTypeBoolOrImmediate).Word(kInstance).Word(kIndex).Word(1).Word(3)
        .Word(4).Word(kScratch).Gen(kMov, {Sint(kScratch), Dint(kC)}).Gen(kMov, {Dint(kB), Sint(kScratch)})
        .Op(kWriteArray2, kTypeSint, kTypeBoolOrImmediate, kTypeBoolOrImmediate).Word(kInstance).Word(2).Word(3)
        .Word(3).Word(4).Word(kScratch).Rnd().End(true);
    Load();
    for (int i = 0; i < 5; ++i) Set(kArray + 2 * i, 10 * i, 2);
    for (int k = 0; k < 12; ++k) Set(kInstance + k, k, 1);
    Set(kIndex, 2);
    Set(kB, 4);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kA), 120);
    EXPECT_EQ(Get(kArray + 8, 2), 120);
    EXPECT_EQ(Get(kArray + 4, 2), 20);
    EXPECT_EQ(Get(kC), 9);
    EXPECT_EQ(Get(kInstance + 11, 1), 4);
    Set(kIndex, 5);
    EXPECT_FALSE(Scan());
    EXPECT_EQ(m.Error().code, kRuntimeArrayIndex);
    EXPECT_EQ(m.Error().pc, 1);
    EXPECT_EQ(m.Error().rung, 1);
    Set(kIndex, 3);  // in the INT array, outside the SINT array's first dimension
    m.Start();
    EXPECT_FALSE(Scan());
    EXPECT_EQ(m.Error().instruction, kReadArray2);
}

TEST_F(MachineTest, NestedFunctionBlockCallsUseInstanceRelativeAddresses) {
    // main: A.in := A_in; call A (instance at kInstance); C := A.out; then call A again on
    // a false rung.
    // A (instance 20 bytes: in 0, out 4, B instance at 8): B.x := in * 2; call B; out := B.y
    // B (instance 12 bytes: x 0, y 4, calls 8): y := x + 1; calls := calls + 1
    Code& c = img.code;
    c.Rung().Gen(kMov, {Dint(kA), Dint(kInstance)});
    const uint32_t call1 = c.Here();
    c.Jfb(0, kInstance).Gen(kMov, {Dint(kInstance + 4), Dint(kC)}).Rnd();
    c.Rung().Bit(kXic, kBits, 0);
    const uint32_t call2 = c.Here();
    c.Jfb(0, kInstance).Rnd().End(false);
    const uint32_t fbA = c.Here();
    c.FbHeader(20).Rung().Gen(kMul, {Dint(0), Imm(2), Dint(8)});
    const uint32_t callB = c.Here();
    c.Jfb(0, 8).Gen(kMov, {Dint(12), Dint(4)}).Rnd().EndFb(false);
    const uint32_t fbB = c.Here();
    c.FbHeader(12).Rung().Gen(kAdd, {Dint(0), Imm(1), Dint(4)}).Gen(kAdd, {Dint(8), Imm(1), Dint(8)}).Rnd()
        .EndFb(true);
    c.w[call1 + 1] = c.w[call2 + 1] = fbA;
    c.w[callB + 1] = fbB;
    Load();
    Set(kA, 20);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kInstance + 8), 40);   // A's B.x
    EXPECT_EQ(Get(kInstance + 12), 41);  // A's B.y
    EXPECT_EQ(Get(kC), 41);
    EXPECT_EQ(Get(kInstance + 16), 2);   // the second call ran although its rung was false
}

TEST_F(MachineTest, RunawayRecursionAndEndlessLoopsStopWithEndOfStack) {
    img.code.Rung().Jfb(8, kInstance).Rnd().End(false).FbHeader(4).Rung().Jfb(8, 0).Rnd().EndFb(true);
    Load();
    EXPECT_FALSE(Scan());
    EXPECT_EQ(m.Error().code, kRuntimeEndOfStack);
    EXPECT_EQ(m.Error().instruction, kJfb);
    img = Image();
    img.code.Rung().Jmp(0, true).Rnd().End(true);  // a Structured Text loop that never ends
    Load();
    EXPECT_FALSE(Scan());
    EXPECT_EQ(m.Error().code, kRuntimeEndOfStack);
}

TEST_F(MachineTest, JumpsSkipRungsForwardAndLoopBackward) {
    // rung 1: if bit 0, jump over rung 2; rung 2: A += 1; rung 3: B += 1; rung 4: if B < 10, back to rung 3
    Code& c = img.code;
    c.Rung().Bit(kXic, kBits, 0);
    const uint32_t jump = c.Here();
    c.Jmp(0).Rnd().Rung().Gen(kAdd, {Dint(kA), Imm(1), Dint(kA)}).Rnd();
    const uint32_t label = c.w[jump + 1] = c.Here();
    c.Rung().Gen(kAdd, {Dint(kB), Imm(1), Dint(kB)}).Rnd();
    c.Rung().Gen(kLes, {Dint(kB), Imm(10)}).Jmp(label, true).Rnd().End(true);
    Load();
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kA), 1);
    EXPECT_EQ(Get(kB), 10);
    SetBit(kBits, 0, true);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kA), 1);
    EXPECT_EQ(Get(kB), 11);
}

TEST_F(MachineTest, StructuredTextBitOperationsWorkOnTheRungCondition) {
    // bit 8 = NOT (((b0 AND b1) OR b2) XOR b3); bit 9 = NOT b4
    img.code.Rung().Bit(kAndBit, kBits, 0).Bit(kAndBit, kBits, 1).Bit(kOrBit, kBits, 2).Bit(kXorBit, kBits, 3)
        .Op(kNotRungCondition).Word(0).Bit(kOte, kBits, 8).Rnd()
        .Rung().Bit(kNotBit, kBits, 4).Bit(kOte, kBits, 9).Rnd().End(true);
    Load();
    for (int in = 0; in < 32; ++in) {
        for (int b = 0; b < 5; ++b) SetBit(kBits, b, in >> b & 1);
        ASSERT_TRUE(Scan());
        const bool v = ((in & 1) && (in & 2)) || (in & 4);
        EXPECT_EQ(Bit(kBits, 8), v == bool(in & 8)) << in;
        EXPECT_EQ(Bit(kBits, 9), !(in & 16)) << in;
    }
}

TEST_F(MachineTest, RegistersAndTheFirstScanFlag) {
    // WRC A -> register 10005; RDR register 10006 -> INT; first scan: B += 1
    img.code.Rung().Op(kWriteRegister, kTypeDint, kTypeDint, 1).Word(kA).Word(10005)
        .Op(kRdr, kTypeInt, kTypeInt).Word(10006).Word(kInt).Rnd()
        .Rung().Bit(kXic, kFirstScanByte, 0).Gen(kAdd, {Dint(kB), Imm(1), Dint(kB)}).Rnd().End(true);
    Load();
    Set(kA, 0x12345);
    registers.values[10006] = 0xFFFE;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Scan());
    EXPECT_EQ(registers.values[10005], 0x2345);
    EXPECT_EQ(Get(kInt, 2), -2);
    EXPECT_EQ(Get(kB), 1);
    m.Start();
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kB), 2);
}

}  // namespace
}  // namespace pontra::sim::test
