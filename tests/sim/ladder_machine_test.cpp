// The ladder machine on hand-assembled programs whose results are known.
#include "sim/MachineFixture.h"

namespace pontra::sim::test {
namespace {

// Tag addresses used below (volatile area starts at 384).
constexpr uint32_t kBits = 384;                       // BOOLs: bit 0 start, 1 stop, 2 motor, ...
constexpr uint32_t kA = 388, kB = 392, kC = 396;      // DINTs
constexpr uint32_t kTimer = 400, kCounter = 412;      // 12 bytes each
constexpr uint32_t kInt = 424, kSint = 428;
constexpr uint32_t kArray = 432;                      // INT[5]
constexpr uint32_t kIndex = 444, kScratch = 448;      // DINTs
constexpr uint32_t kInstance = 456;                   // function-block instances

TEST_F(MachineTest, SealInCircuitHoldsUntilStop) {
    // (Start OR Motor) AND NOT Stop -> Motor
    img.code.Rung().Bst().Bit(kOpXic, kBits, 0).Nxb().Bit(kOpXic, kBits, 2).Bnd().Bit(kOpXio, kBits, 1)
        .Bit(kOpOte, kBits, 2).Rnd().End(true);
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
    // out = a OR (b AND (c OR d)) OR e, with a third level (NXB 5) and a nested branch
    img.code.Rung().Bst().Bit(kOpXic, kBits, 0).Nxb().Bit(kOpXic, kBits, 1).Bst().Bit(kOpXic, kBits, 2).Nxb()
        .Bit(kOpXic, kBits, 3).Bnd().Op(kOpNxbMore).Bit(kOpXic, kBits, 4).Bnd().Bit(kOpOte, kBits, 8).Rnd().End(true);
    Load();
    for (int in = 0; in < 32; ++in) {
        for (int b = 0; b < 5; ++b) SetBit(kBits, b, in >> b & 1);
        ASSERT_TRUE(Scan());
        const bool a = in & 1, b = in & 2, c = in & 4, d = in & 8, e = in & 16;
        EXPECT_EQ(Bit(kBits, 8), a || (b && (c || d)) || e) << "inputs " << in;
    }
}

TEST_F(MachineTest, OneShotsFireOnceOnTheirEdge) {
    img.code.Rung().Bit(kOpXic, kBits, 0).Bit(kOpOns, kBits, 1).Bit(kOpOte, kBits, 2).Rnd()
        .Rung().Bit(kOpXic, kBits, 0).Op(kOpOsr, 3, 4).Word(kBits).Word(kBits).Rnd()
        .Rung().Bit(kOpXic, kBits, 0).Op(kOpOsf, 5, 6).Word(kBits).Word(kBits).Rnd().End(true);
    Load();
    const struct { bool in, ons, osr, osf; } steps[] = {
        {false, false, false, false}, {true, true, true, false}, {true, false, false, false},
        {false, false, false, true},  {false, false, false, false}, {true, true, true, false},
    };
    for (const auto& s : steps) {
        SetBit(kBits, 0, s.in);
        ASSERT_TRUE(Scan());
        EXPECT_EQ(Bit(kBits, 2), s.ons);
        EXPECT_EQ(Bit(kBits, 4), s.osr);
        EXPECT_EQ(Bit(kBits, 6), s.osf);
    }
}

constexpr int kEn = 31, kTt = 30, kDn = 29;

TEST_F(MachineTest, OnDelayTimerCountsRealMillisecondsAndStopsAtPreset) {
    img.code.Rung().Bit(kOpXic, kBits, 0).Timer(kOpTon, kTimer).Rnd().End(true);
    img.SetDint(kTimer + 4, 100);
    Load();
    SetBit(kBits, 0, true);
    const struct { uint64_t after; int acc; bool tt, dn; } steps[] = {
        {10, 0, true, false}, {40, 40, true, false}, {35, 75, true, false}, {30, 100, false, true}, {500, 100, false, true},
    };
    for (const auto& s : steps) {
        ASSERT_TRUE(Scan(s.after));
        EXPECT_EQ(Get(kTimer + 8), s.acc);
        EXPECT_TRUE(Bit(kTimer, kEn));
        EXPECT_EQ(Bit(kTimer, kTt), s.tt);
        EXPECT_EQ(Bit(kTimer, kDn), s.dn);
    }
    SetBit(kBits, 0, false);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kTimer + 8), 0);
    EXPECT_FALSE(Bit(kTimer, kEn) || Bit(kTimer, kDn));
}

TEST_F(MachineTest, OffDelayTimerHoldsDoneForItsPreset) {
    img.code.Rung().Bit(kOpXic, kBits, 0).Timer(kOpTof, kTimer).Rnd().End(true);
    img.SetDint(kTimer + 4, 50);
    Load();
    SetBit(kBits, 0, true);
    ASSERT_TRUE(Scan());
    EXPECT_TRUE(Bit(kTimer, kDn));
    SetBit(kBits, 0, false);
    ASSERT_TRUE(Scan(5));  // falling edge: timing starts
    ASSERT_TRUE(Scan(30));
    EXPECT_TRUE(Bit(kTimer, kDn) && Bit(kTimer, kTt));
    EXPECT_EQ(Get(kTimer + 8), 30);
    ASSERT_TRUE(Scan(30));
    EXPECT_FALSE(Bit(kTimer, kDn) || Bit(kTimer, kTt));
    EXPECT_EQ(Get(kTimer + 8), 50);
}

TEST_F(MachineTest, RetentiveTimerKeepsItsTimeUntilReset) {
    img.code.Rung().Bit(kOpXic, kBits, 0).Timer(kOpRto, kTimer).Rnd()
        .Rung().Bit(kOpXic, kBits, 1).Timer(kOpRes, kTimer).Rnd().End(true);
    img.SetDint(kTimer + 4, 100);
    Load();
    SetBit(kBits, 0, true);
    ASSERT_TRUE(Scan());
    ASSERT_TRUE(Scan(60));
    SetBit(kBits, 0, false);
    ASSERT_TRUE(Scan(1000));  // off: the time stays, and the pause does not count
    EXPECT_EQ(Get(kTimer + 8), 60);
    SetBit(kBits, 0, true);
    ASSERT_TRUE(Scan());
    ASSERT_TRUE(Scan(50));
    EXPECT_EQ(Get(kTimer + 8), 100);
    EXPECT_TRUE(Bit(kTimer, kDn));
    SetBit(kBits, 0, false);
    SetBit(kBits, 1, true);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kTimer + 8), 0);
    EXPECT_FALSE(Bit(kTimer, kDn));
}

TEST_F(MachineTest, CountersCountEdgesAndFlagWrap) {
    constexpr int kCu = 31, kCd = 30, kOv = 28, kUn = 27;
    img.code.Rung().Bit(kOpXic, kBits, 0).Timer(kOpCtu, kCounter).Rnd()
        .Rung().Bit(kOpXic, kBits, 1).Timer(kOpCtd, kCounter).Rnd()
        .Rung().Bit(kOpXic, kBits, 2).Timer(kOpRes, kCounter).Rnd().End(true);
    img.SetDint(kCounter + 4, 3);
    Load();
    for (int i = 0; i < 3; ++i) {
        SetBit(kBits, 0, true);
        ASSERT_TRUE(Scan());
        ASSERT_TRUE(Scan());  // held: no second count
        SetBit(kBits, 0, false);
        ASSERT_TRUE(Scan());
    }
    EXPECT_EQ(Get(kCounter + 8), 3);
    EXPECT_TRUE(Bit(kCounter, kDn));
    SetBit(kBits, 1, true);
    ASSERT_TRUE(Scan());
    EXPECT_TRUE(Bit(kCounter, kCd));
    EXPECT_EQ(Get(kCounter + 8), 2);
    EXPECT_FALSE(Bit(kCounter, kDn));

    Set(kCounter + 8, INT32_MAX);
    SetBit(kBits, 0, true);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kCounter + 8), INT32_MIN);
    EXPECT_TRUE(Bit(kCounter, kOv) && Bit(kCounter, kCu));
    SetBit(kBits, 2, true);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kCounter + 8), 0);
    EXPECT_FALSE(Bit(kCounter, kOv) || Bit(kCounter, kCu) || Bit(kCounter, kUn));
}

TEST_F(MachineTest, ComparesGateTheRung) {
    const struct { uint8_t op; int32_t a, b, c; bool result; } cases[] = {
        {kOpEqu, 5, 5, 0, true},   {kOpEqu, 5, -5, 0, false}, {kOpNeq, 1, 2, 0, true},  {kOpLes, -3, 2, 0, true},
        {kOpGrt, -3, 2, 0, false}, {kOpLeq, 2, 2, 0, true},   {kOpGeq, 1, 2, 0, false},
        {kOpLim, 10, 15, 20, true}, {kOpLim, 10, 25, 20, false},
        {kOpLim, 20, 25, 10, true}, {kOpLim, 20, 5, 10, true}, {kOpLim, 20, 15, 10, false},  // circular
        {kOpMeq, 0x1234, 0x00FF, 0x5534, true}, {kOpMeq, 0x1234, 0x0FFF, 0x5534, false},
    };
    for (const auto& c : cases) {
        Image image;
        const bool three = c.op == kOpLim || c.op == kOpMeq;
        // A from a DINT tag, B as an immediate, the third from an INT tag
        if (three) image.code.Rung().Gen(c.op, {Dint(kA), Imm(c.b), Int(kInt)}).Bit(kOpOte, kBits, 0).Rnd().End(true);
        else image.code.Rung().Gen(c.op, {Dint(kA), Imm(c.b)}).Bit(kOpOte, kBits, 0).Rnd().End(true);
        img = image;
        Load();
        Set(kA, c.a);
        Set(kInt, c.c, 2);
        ASSERT_TRUE(Scan());
        EXPECT_EQ(Bit(kBits, 0), c.result) << int(c.op) << " " << c.a << " " << c.b << " " << c.c;
    }
}

TEST_F(MachineTest, ArithmeticWrapsIn32BitsAndTruncatesToTheDestination) {
    const struct { uint8_t op; Operand a, b; Operand dest; int32_t result; } cases[] = {
        {kOpAdd, Imm(30000), Imm(30000), Int(kInt), -5536},
        {kOpAdd, Imm(INT32_MAX), Imm(1), Dint(kC), INT32_MIN},
        {kOpSub, Imm(-100), Imm(100), Sint(kSint), 56},
        {kOpMul, Imm(65536), Imm(65537), Dint(kC), 65536},
        {kOpDiv, Imm(-7), Imm(2), Dint(kC), -3},
        {kOpDiv, Imm(INT32_MIN), Imm(-1), Dint(kC), INT32_MIN},
        {kOpMod, Imm(-7), Imm(3), Dint(kC), -1},
        {kOpAnd, Imm(0x0F0F), Imm(0x00FF), Dint(kC), 0x000F},
        {kOpOr, Imm(0x0F00), Imm(0x00F0), Int(kInt), 0x0FF0},
        {kOpXor, Imm(0xFF), Imm(0x0F), Sint(kSint), static_cast<int8_t>(0xF0)},
        {kOpShl, Imm(1), Imm(31), Dint(kC), INT32_MIN},
        {kOpShl, Imm(1), Imm(40), Dint(kC), 0},
        {kOpShr, Imm(-8), Imm(1), Dint(kC), -4},
        {kOpMvm, Imm(0x1234), Imm(0x00F0), Dint(kC), 0x7F3F},  // dest holds 0x7F0F before
    };
    for (const auto& c : cases) {
        img = Image();
        img.code.Rung().Gen(c.op, {c.a, c.b, c.dest}).Rnd().End(true);
        Load();
        Set(kC, 0x7F0F);
        ASSERT_TRUE(Scan());
        EXPECT_EQ(Get(c.dest.word, c.dest.type), c.result) << "op " << int(c.op);
    }
    const struct { uint8_t op; int32_t a; int32_t result; } unary[] = {
        {kOpMov, -2, -2}, {kOpNeg, INT32_MIN, INT32_MIN}, {kOpAbs, -5, 5}, {kOpNot, 0, -1}, {kOpSqr, 17, 4}, {kOpSqr, -16, 4},
    };
    for (const auto& c : unary) {
        img = Image();
        img.code.Rung().Gen(c.op, {Dint(kA), Dint(kC)}).Rnd().End(true);
        Load();
        Set(kA, c.a);
        ASSERT_TRUE(Scan());
        EXPECT_EQ(Get(kC), c.result) << "op " << int(c.op);
    }
}

TEST_F(MachineTest, OutputInstructionsWaitForTheRungCondition) {
    img.code.Rung().Bit(kOpXic, kBits, 0).Gen(kOpMov, {Imm(7), Dint(kA)}).Gen(kOpClr, {Dint(kB)})
        .Bit(kOpOtl, kBits, 1).Rnd().Rung().Bit(kOpXic, kBits, 0).Bit(kOpOtu, kBits, 2).Rnd().End(true);
    Load();
    Set(kB, 9);
    SetBit(kBits, 2, true);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kA), 0);
    EXPECT_EQ(Get(kB), 9);
    EXPECT_FALSE(Bit(kBits, 1));
    EXPECT_TRUE(Bit(kBits, 2));
    SetBit(kBits, 0, true);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kA), 7);
    EXPECT_EQ(Get(kB), 0);
    EXPECT_TRUE(Bit(kBits, 1));
    EXPECT_FALSE(Bit(kBits, 2));
}

TEST_F(MachineTest, DivisionByZeroStopsWithItsPlace) {
    img.code.Rung().Gen(kOpMov, {Imm(1), Dint(kA)}).Rnd()
        .Rung().Bit(kOpXic, kBits, 0).Gen(kOpDiv, {Dint(kA), Dint(kB), Dint(kC)}).Rnd().End(true);
    Load();
    ASSERT_TRUE(Scan());
    SetBit(kBits, 0, true);
    EXPECT_FALSE(Scan());
    EXPECT_EQ(m.Error().code, kRuntimeDivideByZero);
    EXPECT_EQ(m.Error().pc, 8);
    EXPECT_EQ(m.Error().instruction, kOpDiv);
    EXPECT_EQ(m.Error().rung, 2);
    EXPECT_FALSE(Scan());  // stays stopped
    Set(kB, 2);
    m.Start();
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Get(kC), 0);
}

TEST_F(MachineTest, IndexedAccessReadsAndWritesElementsAndChecksTheIndex) {
    // dest = array[index] + 100; array[index] := dest
    img.code.Rung().Op(kOpIndex1, kTypeInt, kTypeDint).Word(kArray).Word(kIndex).Word(5).Word(kScratch)
        .Gen(kOpAdd, {Int(kScratch), Imm(100), Dint(kA)}).Rnd()
        .Rung().Gen(kOpMov, {Dint(kA), Int(kScratch + 4)})
        .Op(kOpIndex1, kTypeInt, kTypeDint, 1).Word(kArray).Word(kB).Word(5).Word(kScratch + 4).Rnd().End(true);
    Load();
    for (int i = 0; i < 5; ++i) Set(kArray + 2 * i, 10 * i, 2);
    Set(kIndex, 3);
    Set(kB, 4);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kA), 130);
    EXPECT_EQ(Get(kArray + 8, 2), 130);
    EXPECT_EQ(Get(kArray + 6, 2), 30);
    Set(kIndex, 5);
    EXPECT_FALSE(Scan());
    EXPECT_EQ(m.Error().code, kRuntimeArrayIndex);
    EXPECT_EQ(m.Error().pc, 1);
    EXPECT_EQ(m.Error().instruction, kOpIndex1);
    EXPECT_EQ(m.Error().rung, 1);
}

TEST_F(MachineTest, TwoDimensionalAccessIsRowMajor) {
    // SINT[3,4] at kArray; element [i,j] -> scratch -> A; then B -> element [2,3]
    img.code.Rung().Op(kOpIndex2Read, kTypeSint, kTypeDint, kTypeImmediate).Word(kArray).Word(kIndex).Word(1)
        .Word(3).Word(4).Word(kScratch).Gen(kOpMov, {Sint(kScratch), Dint(kA)}).Rnd()
        .Rung().Gen(kOpMov, {Dint(kB), Sint(kScratch)})
        .Op(kOpIndex2Write, kTypeSint, kTypeImmediate, kTypeImmediate).Word(kArray).Word(2).Word(3).Word(3).Word(4)
        .Word(kScratch).Rnd().End(true);
    Load();
    for (int k = 0; k < 12; ++k) Set(kArray + k, k, 1);
    Set(kIndex, 2);
    Set(kB, -9);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kA), 9);  // [2,1]
    EXPECT_EQ(Get(kArray + 11, 1), -9);
    Set(kIndex, -1);
    EXPECT_FALSE(Scan());
    EXPECT_EQ(m.Error().code, kRuntimeArrayIndex);
}

TEST_F(MachineTest, NestedFunctionBlockCallsUseInstanceRelativeAddresses) {
    // main: A.in := A_in; call A (instance at kInstance); C := A.out; then call A again on
    // a false rung.
    // A (instance 20 bytes: in 0, out 4, B instance at 8): B.x := in * 2; call B; out := B.y
    // B (instance 12 bytes: x 0, y 4, calls 8): y := x + 1; calls := calls + 1
    Code& c = img.code;
    c.Rung().Gen(kOpMov, {Dint(kA), Dint(kInstance)});
    const uint32_t call1 = c.Here();
    c.Jfb(0, kInstance).Gen(kOpMov, {Dint(kInstance + 4), Dint(kC)}).Rnd();
    c.Rung().Bit(kOpXic, kBits, 0);
    const uint32_t call2 = c.Here();
    c.Jfb(0, kInstance).Rnd().End(false);
    const uint32_t fbA = c.Here();
    c.FbHeader(20).Rung().Gen(kOpMul, {Dint(0), Imm(2), Dint(8)});
    const uint32_t callB = c.Here();
    c.Jfb(0, 8).Gen(kOpMov, {Dint(12), Dint(4)}).Rnd().EndFb(false);
    const uint32_t fbB = c.Here();
    c.FbHeader(12).Rung().Gen(kOpAdd, {Dint(0), Imm(1), Dint(4)}).Gen(kOpAdd, {Dint(8), Imm(1), Dint(8)}).Rnd()
        .EndFb(true);
    c.w[call1 + 1] = fbA;
    c.w[call2 + 1] = fbA;
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
    EXPECT_EQ(m.Error().instruction, kOpJfb);

    img = Image();
    img.code.Rung().Jmp(0, true).Rnd().End(true);  // a Structured Text loop that never ends
    Load();
    EXPECT_FALSE(Scan());
    EXPECT_EQ(m.Error().code, kRuntimeEndOfStack);
    EXPECT_EQ(m.Error().rung, 1);
}

TEST_F(MachineTest, JumpsSkipRungsForwardAndLoopBackward) {
    // rung 1: if bit 0, jump over rung 2; rung 2: A := A + 1
    // rung 3 (label): B := B + 1; rung 4: if B < 10 jump back to rung 3
    Code& c = img.code;
    c.Rung().Bit(kOpXic, kBits, 0);
    const uint32_t jump = c.Here();
    c.Jmp(0).Rnd();
    c.Rung().Gen(kOpAdd, {Dint(kA), Imm(1), Dint(kA)}).Rnd();
    const uint32_t label = c.Here();
    c.w[jump + 1] = label;
    c.Rung().Gen(kOpAdd, {Dint(kB), Imm(1), Dint(kB)}).Rnd();
    c.Rung().Gen(kOpLes, {Dint(kB), Imm(10)}).Jmp(label, true).Rnd().End(true);
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
    // rc = ((bit0 AND bit1) OR bit2) XOR bit3, then inverted into bit 8; NOT bit 4 into bit 9
    img.code.Rung().Bit(kOpBitAnd, kBits, 0).Bit(kOpBitAnd, kBits, 1).Bit(kOpBitOr, kBits, 2).Bit(kOpBitXor, kBits, 3)
        .Op(kOpInvertRc).Word(0).Bit(kOpOte, kBits, 8).Rnd()
        .Rung().Bit(kOpBitNot, kBits, 4).Bit(kOpOte, kBits, 9).Rnd().End(true);
    Load();
    for (int in = 0; in < 32; ++in) {
        for (int b = 0; b < 5; ++b) SetBit(kBits, b, in >> b & 1);
        ASSERT_TRUE(Scan());
        const bool v = ((in & 1) && (in & 2)) || (in & 4);
        EXPECT_EQ(Bit(kBits, 8), !(v != bool(in & 8))) << in;
        EXPECT_EQ(Bit(kBits, 9), !(in & 16)) << in;
    }
}

TEST_F(MachineTest, RegisterInstructionsReachTheBank) {
    // WRR A -> register 10005 (WRC form), RDR register 10006 -> INT
    img.code.Rung().Op(kOpWrr, kTypeDint, kTypeDint, 1).Word(kA).Word(10005)
        .Op(kOpRdr, kTypeInt, kTypeInt).Word(10006).Word(kInt).Rnd().End(true);
    Load();
    Set(kA, 0x12345);
    registers.values[10006] = 0xFFFE;
    ASSERT_TRUE(Scan());
    EXPECT_EQ(registers.values[10005], 0x2345);
    EXPECT_EQ(Get(kInt, 2), -2);
}

TEST_F(MachineTest, FirstLadderExecIsSetInTheFirstScanAfterAStartOnly) {
    img.code.Rung().Bit(kOpXic, kFirstScanByte, 0).Gen(kOpAdd, {Dint(kA), Imm(1), Dint(kA)}).Rnd().End(true);
    Load();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kA), 1);
    m.Start();
    ASSERT_TRUE(Scan());
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Get(kA), 2);
}

}  // namespace
}  // namespace pontra::sim::test
