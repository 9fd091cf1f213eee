// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "StFixture.h"
#include "st/IlTranslator.h"

namespace pontra::test {
namespace {

using Lines = std::vector<std::string>;

class Translated : public StFixture {
public:
    Translated() {
        CUnit& motor = AddBlock("Motor");
        AddTag("Start", "BOOL", kUsageInput, &motor);
        AddTag("Running", "BOOL", kUsageOutput, &motor);
        for (const char* name : {"a", "b", "c"}) AddTag(name, "BOOL");
        for (const char* name : {"x", "y", "z", "n"}) AddTag(name, "DINT");
        AddTag("fb1", "Motor");
        AddTag("tmr", "IEC_TON");
        AddTag("cnt", "IEC_CTU");
        AddTag("down", "IEC_CTD");
    }
};

struct RungCase {
    const char* name;
    Lines text;
    Lines rungs;  // each rung's elements after its start element
    friend void PrintTo(const RungCase& c, std::ostream* os) { *os << c.name; }
};

class Rungs : public ::testing::TestWithParam<RungCase> {};

TEST_P(Rungs, AreExact) {
    Translated f;
    ASSERT_TRUE(f.Compile(GetParam().text)) << f.Errors()[0];
    EXPECT_EQ(f.Rungs(), GetParam().rungs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rungs,
    ::testing::Values(
        RungCase{"IfJumpsOverTheBody", {"IF a THEN b := TRUE; END_IF;"},
                 {"XIC a; NOT ,_BIT_OPERATION; JMP _else_if_1_1", "OTL b", "JMP _end_if_1", "LBL _else_if_1_1",
                  "LBL _end_if_1"}},
        RungCase{"Arithmetic", {"x := y + 1;"}, {"ADD y,1,_Acc; MOV _Acc,x"}},
        RungCase{"RegisterAsPendingOperand", {"x := %R100;"}, {"RDR 100,_Reg_A; MOV _Reg_A,x"}},
        RungCase{"RegisterAsOperand", {"x := y + %R7;"}, {"RDR 7,_Reg; ADD y,_Reg,_Acc; MOV _Acc,x"}},
        RungCase{"RegisterWritesTakeATag", {"%RC5 := 3;", "%R6 := y;"}, {"MOV 3,_Acc; WRC _Acc,5; WRR y,6"}},
        RungCase{"ComparisonThroughABooleanTemporary", {"a := b OR x > 3;"},
                 {"GRT x,3; OTE _BOOL_0", "XIC b; OR _BOOL_0,_BIT_OPERATION; OTE a"}},
        RungCase{"BooleanEquality", {"a := b = c;", "a := b <> c;"},
                 {"XIC b; XOR c,_BIT_OPERATION; NOT ,_BIT_OPERATION; OTE a", "XIC b; XOR c,_BIT_OPERATION; OTE a"}},
        RungCase{"LiteralsLatchAndUnlatch", {"a := FALSE;", "b := TRUE;"}, {"OTU a", "OTL b"}},
        RungCase{"FalseConditionIsInverted", {"IF FALSE THEN x := 1; END_IF;"},
                 {"NOT ,_BIT_OPERATION; NOT ,_BIT_OPERATION; JMP _else_if_1_1", "MOV 1,x; JMP _end_if_1",
                  "LBL _else_if_1_1", "LBL _end_if_1"}},
        RungCase{"BooleanHeldAsAWordUsesItsLowBit", {"a := NOT TRUE;"},
                 {"NOT 1,_Acc; AND _Acc,1,_Acc; NEQ _Acc,0; OTE a"}},
        RungCase{"ConditionBecomesANumber", {"a := b AND FALSE;"},
                 {"XIC b; NOT ,_BIT_OPERATION; JMP _else_if_1_1", "MOV 1,_Acc; JMP _end_if_1",
                  "LBL _else_if_1_1; MOV 0,_Acc", "LBL _end_if_1; AND _Acc,0,_Acc; AND _Acc,1,_Acc; NEQ _Acc,0; OTE a"}},
        RungCase{"NumbersAfterAConditionStartAFreshRung", {"a := x > 1;", "y := 2;", "IF a THEN ; END_IF;"},
                 {"GRT x,1; OTE a", "MOV 2,y", "XIC a; NOT ,_BIT_OPERATION; JMP _else_if_1_1", "JMP _end_if_1",
                  "LBL _else_if_1_1", "LBL _end_if_1"}},
        RungCase{"NegativeStepLoop", {"FOR x := 3 TO 1 BY -1 DO y := y + x; END_FOR;"},
                 {"MOV 3,x", "LBL _for_1; LES x,1; JMP _end_for_1",
                  "ADD y,x,_Acc; MOV _Acc,y; ADD x,-1,_Acc; MOV _Acc,x; JMP _for_1", "LBL _end_for_1"}},
        RungCase{"UserBlockCall", {"fb1(Start := a, Running => b);"},
                 {"XIC a; OTE fb1.Start", "JFB fb1", "XIC fb1.Running; OTE b"}},
        RungCase{"TimerExpansion", {"tmr(EN := a, PT := 500);"},
                 {"XIC a; OTE tmr.EN", "MOV 500,tmr.PT", "MOV tmr.PT,tmr.Timer.PRE; XIC tmr.EN; TON tmr.Timer",
                  "MOV tmr.Timer.ACC,tmr.ET; XIC tmr.Timer.DN; OTE tmr.Q"}},
        RungCase{"CounterUpExpansion", {"IF a THEN ; END_IF;", "cnt(CU := a, R := b, PV := 3, CV => x);"},
                 {"XIC a; NOT ,_BIT_OPERATION; JMP _else_if_1_1", "JMP _end_if_1", "LBL _else_if_1_1",
                  "LBL _end_if_1", "XIC a; OTE cnt.CU", "XIC b; OTE cnt.R", "MOV 3,cnt.PV",
                  "MOV cnt.PV,cnt.Counter.PRE; XIC cnt.CU; CTU cnt.Counter", "XIO cnt.R; JMP _end_if_2",
                  "RES cnt.Counter", "LBL _end_if_2; MOV cnt.Counter.ACC,cnt.CV; XIC cnt.Counter.DN; OTE cnt.Q",
                  "MOV cnt.CV,x"}},
        RungCase{"CounterDownExpansion", {"down(CD := a, LD := b);"},
                 {"XIC a; OTE down.CD", "XIC b; OTE down.LD",
                  "MOV down.PV,down.Counter.PRE; XIC down.CD; CTD down.Counter", "XIO down.LD; JMP _end_if_1",
                  "MOV down.PV,down.Counter.ACC",
                  "LBL _end_if_1; MOV down.Counter.ACC,down.CV; XIC down.Counter.DN; OTE down.Q"}},
        RungCase{"Maximum", {"x := MAX(y, z);"}, {"MOV y,_Acc", "LES _Acc,z; MOV z,_Acc", "MOV _Acc,x"}},
        RungCase{"Multiplexer", {"x := MUX(n, 5, y);"},
                 {"EQU n,0; MOV 5,_Acc; JMP _end_if_1", "EQU n,1; MOV y,_Acc; JMP _end_if_1", "MOV 0,_Acc",
                  "LBL _end_if_1; MOV _Acc,x"}},
        RungCase{"RealLiteralConverted", {"x := REAL_TO_DINT(2.5);"}, {"MOV 3,x"}},
        RungCase{"Return", {"RETURN;"}, {"RFB"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LadderTranslation, WorkingTagsAreCreatedOnlyWhenUsed) {
    Translated f;
    ASSERT_TRUE(f.Compile({"x := y;"}));
    EXPECT_EQ(f.StVariableNames(), Lines{"_Acc"});
    ASSERT_TRUE(f.Compile({"x := %R1 + %R2;", "y := %R3;"}));
    EXPECT_EQ(f.StVariableNames(), (Lines{"_Acc", "_Reg", "_Reg_A"}));
    EXPECT_EQ(f.calc->stVariables[1]->dataType, "INT");
    EXPECT_EQ(f.calc->stVariables[0]->initialValue, "0");
    EXPECT_EQ(f.calc->stVariables[0]->style, "Decimal");
}

TEST(LadderTranslation, GeneratedRungsAndElementsCarryFixedLayoutValues) {
    Translated f;
    ASSERT_TRUE(f.Compile({"x := y + 1;"}));
    const CRung& rung = *f.calc->rungs[0];
    EXPECT_EQ(rung.width, 333);
    EXPECT_EQ(rung.height, 100);
    const CElement& add = *rung.elements[1];
    EXPECT_EQ(add.rect, (CRect{50, 50, 100, 50}));
    EXPECT_EQ(add.sizeX, 50);
    EXPECT_EQ(add.parent, &rung);
}

TEST(LadderTranslation, RecompilingReplacesRungsAndVariables) {
    Translated f;
    ASSERT_TRUE(f.Compile({"x := (y + 1) * (z + 2);"}));
    EXPECT_EQ(f.StVariableNames(), (Lines{"_DINT_0", "_Acc"}));
    ASSERT_TRUE(f.Compile({"x := 1;"}));
    EXPECT_EQ(f.Rungs(), Lines{"MOV 1,x"});
    EXPECT_EQ(f.StVariableNames(), Lines{"_Acc"});
    EXPECT_FALSE(f.Compile({"x := ;"}));
    EXPECT_TRUE(f.calc->rungs.empty());
    EXPECT_EQ(f.frame.output.compiledUnit, "Calc");
}

TEST(LadderTranslation, ValuesTheModuleCannotHoldAreReported) {
    Translated f;
    EXPECT_FALSE(f.Compile({"x := 1;", "a := 1.5 > 2.5;"}));
    EXPECT_EQ(f.Errors(), Lines{"Error at line 2 : CompileStructuredTextUnit : REAL values are not supported by the module"});
    EXPECT_TRUE(f.calc->rungs.empty());
}

TEST(LadderTranslation, IndexedArraysGetTheirScratchTags) {
    Translated f;
    f.AddTag("arr", "DINT[4]");
    ASSERT_TRUE(f.Compile({"arr[2] := 1;"}));
    EXPECT_TRUE(f.calc->tags2.empty());  // a constant index names the element itself
    ASSERT_TRUE(f.Compile({"arr[n] := arr[x] + 1;"}));
    EXPECT_EQ(f.Rungs(), Lines{"ADD arr[x],1,_Acc; MOV _Acc,arr[n]"});
    ASSERT_EQ(f.calc->tags2.size(), 3u);
    EXPECT_EQ(f.calc->tags2[2]->name, "TagIArray2");
    EXPECT_EQ(f.calc->tags2[2]->dataType, "DINT");
}

TEST(LadderTranslation, TenThousandStatementsCompile) {
    Translated f;
    Lines text;
    for (int i = 0; i < 2000; ++i) {
        text.push_back("x := (y + z) * (x - 1);");
        text.push_back("IF a AND x > 3 THEN y := y + 1; ELSE y := 0; END_IF;");
        text.push_back("FOR n := 1 TO y - 1 DO IF z > 100 THEN EXIT; END_IF; z := z + n; END_FOR;");
        text.push_back("CASE x OF 1: z := 1; ELSE z := 2; END_CASE;");
        text.push_back("b := a OR x < y AND NOT c;");
    }
    ASSERT_TRUE(f.Compile(text));
    EXPECT_GT(f.calc->rungs.size(), 30000u);
}

TEST(LadderTranslation, UnknownInstructionsAreReported) {
    Translated f;
    SymbolTable symbols;
    SymbolEntry& entry = symbols.Add("Calc", "FUNCTION_BLOCK");
    Lines errors;
    IlTranslator translator(f.frame.project(), *f.calc, entry, 0, [&](int line, const std::string& r, const std::string& m) {
        errors.push_back(FormatCompilerError(line, r, m));
    });
    EXPECT_FALSE(translator.Translate({"FOO \t\t x", "BAR", "CAL \t\t Motor"}, {4, 5, 6}));
    EXPECT_EQ(errors, (Lines{"Error at line 4 : CompileStructuredTextUnit : Instruction 'FOO' can't be translated to ladder",
                             "Error at line 5 : CompileStructuredTextUnit : Instruction 'BAR' can't be translated to ladder",
                             "Error at line 6 : CompileStructuredTextUnit : Instruction 'CAL' has no instance"}));
}

}  // namespace
}  // namespace pontra::test
