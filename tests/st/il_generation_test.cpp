// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "StFixture.h"
#include "st/CodeGenerator.h"

namespace pontra::test {
namespace {

using Lines = std::vector<std::string>;

class Listing : public StFixture {
public:
    Listing() {
        CUnit& motor = AddBlock("Motor");
        AddTag("Start", "BOOL", kUsageInput, &motor);
        AddTag("Speed", "DINT", kUsageInput, &motor);
        AddTag("Running", "BOOL", kUsageOutput, &motor);
        AddTag("Pos", "DINT", kUsageOutput, &motor);
        for (const char* name : {"a", "b"}) AddTag(name, "BOOL");
        for (const char* name : {"x", "y", "z", "n"}) AddTag(name, "DINT");
        AddTag("i", "INT");
        AddTag("fb1", "Motor");
        AddTag("tmr", "IEC_TON");
    }
};

struct IlCase {
    const char* name;
    Lines text;
    Lines il;
    friend void PrintTo(const IlCase& c, std::ostream* os) { *os << c.name; }
};

class IlListing : public ::testing::TestWithParam<IlCase> {};

TEST_P(IlListing, IsExact) {
    Listing f;
    EXPECT_EQ(f.Il(GetParam().text), GetParam().il);
    EXPECT_TRUE(f.errors.empty()) << f.errors[0];
}

INSTANTIATE_TEST_SUITE_P(
    Statements, IlListing,
    ::testing::Values(
        IlCase{"PrecedenceWithTemporary", {"x := y + z * n;"},
               {"LD z", "MUL n", "ST _DINT_0", "LD y", "ADD _DINT_0", "ST x"}},
        IlCase{"TemporariesNestAndAreReused",
               {"x := (y + z) * (n + 1) - (y - z);", "x := y - (z - 1);"},
               {"LD y", "SUB z", "ST _DINT_0", "LD n", "ADD 1", "ST _DINT_1", "LD y", "ADD z", "MUL _DINT_1",
                "SUB _DINT_0", "ST x", "LD z", "SUB 1", "ST _DINT_0", "LD y", "SUB _DINT_0", "ST x"}},
        IlCase{"BooleanTemporary", {"a := b OR (a AND b);"},
               {"LD a", "AND b", "ST _BOOL_0", "LD b", "OR _BOOL_0", "ST a"}},
        IlCase{"UnaryOperators", {"x := NEG (y + 1);", "a := NOT a;"},
               {"LD y", "ADD 1", "NEG", "ST x", "LD a", "NOT", "ST a"}},
        IlCase{"IfElsifElse", {"IF a THEN x := 1; ELSIF b THEN x := 2; ELSE x := 3; END_IF;"},
               {"LD a", "NOTC", "JMPC _else_if_1_1", "LD 1", "ST x", "JMP _end_if_1", "_else_if_1_1:", "LD b", "NOTC",
                "JMPC _else_if_1_2", "LD 2", "ST x", "JMP _end_if_1", "_else_if_1_2:", "LD 3", "ST x", "_end_if_1:"}},
        IlCase{"NestedIfsNumberInward", {"IF a THEN IF b THEN x := 1; END_IF; END_IF;"},
               {"LD a", "NOTC", "JMPC _else_if_1_1", "LD b", "NOTC", "JMPC _else_if_2_1", "LD 1", "ST x",
                "JMP _end_if_2", "_else_if_2_1:", "_end_if_2:", "JMP _end_if_1", "_else_if_1_1:", "_end_if_1:"}},
        IlCase{"CaseWithoutElse", {"CASE x OF 1: y := 1; 2: y := 2; END_CASE;"},
               {"LD x", "NE 1", "JMPC _case_1_1", "LD 1", "ST y", "JMP _end_case_1", "_case_1_1:", "LD x", "NE 2",
                "JMPC _case_1_2", "LD 2", "ST y", "JMP _end_case_1", "_case_1_2:", "_end_case_1:"}},
        IlCase{"CaseWithElseAndEmptyBranch", {"CASE x OF 1: ; ELSE y := 0; END_CASE;"},
               {"LD x", "NE 1", "JMPC _case_1_1", "JMP _end_case_1", "_case_1_1:", "LD 0", "ST y", "_end_case_1:"}},
        IlCase{"ForWithExit", {"FOR x := 1 TO 3 DO EXIT; END_FOR;"},
               {"LD 1", "ST x", "_for_1:", "LD x", "GT 3", "JMPC _end_for_1", "JMPC _end_for_1", "LD x", "ADD 1", "ST x",
                "JMP _for_1", "_end_for_1:"}},
        IlCase{"ForEndRecomputedInsideTheLoop", {"FOR x := 0 TO n - 1 DO y := y + x; END_FOR;"},
               {"LD 0", "ST x", "_for_1:", "LD n", "SUB 1", "ST _DINT_0", "LD x", "GT _DINT_0", "JMPC _end_for_1", "LD y",
                "ADD x", "ST y", "LD x", "ADD 1", "ST x", "JMP _for_1", "_end_for_1:"}},
        IlCase{"ForNegativeLiteralStep", {"FOR x := 10 TO 1 BY -1 DO y := x; END_FOR;"},
               {"LD 10", "ST x", "_for_1:", "LD x", "LT 1", "JMPC _end_for_1", "LD x", "ST y", "LD x", "ADD -1", "ST x",
                "JMP _for_1", "_end_for_1:"}},
        IlCase{"ForZeroLiteralStepCountsUpward", {"FOR x := 1 TO 3 BY 0 DO EXIT; END_FOR;"},
               {"LD 1", "ST x", "_for_1:", "LD x", "GT 3", "JMPC _end_for_1", "JMPC _end_for_1", "LD x", "ADD 0", "ST x",
                "JMP _for_1", "_end_for_1:"}},
        IlCase{"ForVariableStepDecidesBySign", {"FOR x := 1 TO 10 BY n DO y := x; END_FOR;"},
               {"LD 1", "ST x", "_for_1:", "LD n", "LT 0", "JMPC _for_down_1", "LD x", "GT 10", "JMPC _end_for_1",
                "JMP _for_body_1", "_for_down_1:", "LD x", "LT 10", "JMPC _end_for_1", "_for_body_1:", "LD x", "ST y",
                "LD x", "ADD n", "ST x", "JMP _for_1", "_end_for_1:"}},
        IlCase{"ForExpressionStep", {"FOR x := 1 TO 10 BY n * 2 DO ; END_FOR;"},
               {"LD 1", "ST x", "_for_1:", "LD n", "MUL 2", "ST _DINT_0", "LD _DINT_0", "LT 0", "JMPC _for_down_1", "LD x",
                "GT 10", "JMPC _end_for_1", "JMP _for_body_1", "_for_down_1:", "LD x", "LT 10", "JMPC _end_for_1",
                "_for_body_1:", "LD n", "MUL 2", "ST _DINT_0", "LD x", "ADD _DINT_0", "ST x", "JMP _for_1",
                "_end_for_1:"}},
        IlCase{"ExitNamesTheEnclosingFor", {"IF a THEN ; END_IF;", "IF b THEN ; END_IF;", "FOR x := 1 TO 2 DO",
                                            "IF a THEN EXIT; END_IF; END_FOR;"},
               {"LD a", "NOTC", "JMPC _else_if_1_1", "JMP _end_if_1", "_else_if_1_1:", "_end_if_1:", "LD b", "NOTC",
                "JMPC _else_if_2_1", "JMP _end_if_2", "_else_if_2_1:", "_end_if_2:", "LD 1", "ST x", "_for_3:", "LD x",
                "GT 2", "JMPC _end_for_3", "LD a", "NOTC", "JMPC _else_if_4_1", "JMPC _end_for_3", "JMP _end_if_4",
                "_else_if_4_1:", "_end_if_4:", "LD x", "ADD 1", "ST x", "JMP _for_3", "_end_for_3:"}},
        IlCase{"Return", {"IF a THEN RETURN; END_IF;"},
               {"LD a", "NOTC", "JMPC _else_if_1_1", "RETURN", "JMP _end_if_1", "_else_if_1_1:", "_end_if_1:"}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Calls, IlListing,
    ::testing::Values(
        IlCase{"UserBlock", {"fb1(Start := a, Speed := y + 1, Running => b, Pos => x);"},
               {"LD a", "ST fb1.Start", "LD y", "ADD 1", "ST fb1.Speed", "SETREL fb1", "CAL Motor", "LD fb1.Running",
                "ST b", "LD fb1.Pos", "ST x"}},
        IlCase{"Timer", {"tmr(EN := a, PT := 500, Q => b);"},
               {"LD a", "ST tmr.EN", "LD 500", "ST tmr.PT", "SETREL tmr", "CAL IEC_TON", "LD tmr.Q", "ST b"}},
        IlCase{"StandardFunctionOperandsWaitInTemporaries", {"x := MOD(y, z + 1);", "x := SHL(y, 2);"},
               {"LD z", "ADD 1", "ST _DINT_0", "LD y", "MOD _DINT_0", "ST x", "LD y", "SHL 2", "ST x"}},
        IlCase{"Conversion", {"x := INT_TO_DINT(i);"}, {"LD i", "INT_TO_DINT i", "ST x"}},
        IlCase{"OperatorLikeFunctions", {"x := ADD(y, z, 1);", "x := MAX(y, 3);", "a := GT(x, y);"},
               {"LD y", "ADD z", "ADD 1", "ST x", "LD y", "MAX 3", "ST x", "LD x", "GT y", "ST a"}},
        IlCase{"Multiplexer", {"x := MUX(n, y, z + 1);"},
               {"LD z", "ADD 1", "ST _DINT_0", "LD n", "MUX y,_DINT_0", "ST x"}},
        IlCase{"RegisterFunctions", {"%R5 := RDR(R#6) + 1;", "WRC(R#7, x);"},
               {"LD %R6", "ADD 1", "ST %R5", "LD x", "ST %RC7"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IlGeneration, NoCodeAfterAnError) {
    Listing f;
    EXPECT_TRUE(f.Il({"x := 1;", "q := 2;"}).empty());
}

TEST(IlGeneration, TemporariesBecomeCompilerVariables) {
    Listing f;
    CUnit& holder = f.AddBlock("Holder");
    f.AddTag("c", "Calc", kUsageInput, &holder);
    CSTCompiler compiler(f.frame.project(), f.frame.standardLibrary, *f.calc, f.host, {});
    compiler.Tokenize();
    compiler.Compile();
    CodeGenerator generator(*f.calc, compiler.Symbols(), f.host);
    EXPECT_EQ(generator.TakeTemporary("REGISTER"), "_DINT_0");
    EXPECT_EQ(generator.TakeTemporary("DINT"), "_DINT_1");
    generator.ReleaseTemporary("DINT");
    EXPECT_EQ(generator.TakeTemporary("DINT"), "_DINT_1");
    EXPECT_EQ(generator.TakeTemporary("BOOL"), "_BOOL_0");
    EXPECT_EQ(generator.TakeTemporary("TIME"), "_TIME_0");
    EXPECT_EQ(generator.TakeTemporary("STRING"), "_UNKNOWN_0");
    // One tag per name, in the compiler's own list; storage by width.
    EXPECT_EQ(f.StVariableNames(), (Lines{"_DINT_0", "_DINT_1", "_BOOL_0", "_TIME_0", "_UNKNOWN_0"}));
    EXPECT_EQ(f.calc->stVariables[3]->dataType, "DINT");
    EXPECT_EQ(f.calc->stVariables[2]->dataType, "BOOL");
    const SymbolVariable* own = compiler.Symbols().compiled->Find("_TIME_0");
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->type, "TIME");
    EXPECT_EQ(own->bits, 32);
    // An entry with an instance of this block sees the temporary as a member.
    const SymbolVariable* member = compiler.Symbols().Find("Holder")->Find("c._BOOL_0");
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(member->bits, 8);
}

TEST(IlGeneration, RoutinesWithoutProjectCounterpartsFollowTheirRules) {
    Listing f;
    // A function F (output first, then its inputs) and a block named like a standard one.
    CUnit& ton = f.AddBlock("TON");
    f.AddTag("IN", "BOOL", kUsageInput, &ton);
    f.AddTag("t1", "TON");
    f.calc->text = {"x := F(y, z + 1);", "t1(IN := a);"};
    CSTCompiler compiler(f.frame.project(), f.frame.standardLibrary, *f.calc, f.host, {});
    SymbolEntry& function = compiler.Symbols().Add("F", "FUNCTION");
    function.Add({"F", "DINT", "VAR_OUTPUT"});
    function.Add({"A", "DINT", "VAR_INPUT"});
    function.Add({"B", "DINT", "VAR_INPUT"});
    compiler.Tokenize();
    compiler.Compile();
    ASSERT_FALSE(compiler.ErrorReported());
    Lines il;
    for (const auto& l : compiler.InstructionList()) il.push_back(l);
    EXPECT_EQ(il, (Lines{"LD \t\t y", "SETREL \t\t F", "ST \t\t F.A", "SETREL \t\t Calc", "LD \t\t z", "ADD \t\t 1",
                         "ST \t\t F.B", "SETREL \t\t F", "CAL \t\t F", "ST \t\t x", "LD \t\t a", "ST \t\t t1.IN",
                         "TON \t\t t1"}));
}

TEST(IlGeneration, InternalFaultsGoToAMessageBoxAndGenerationGoesOn) {
    Listing f;
    SymbolTable symbols;
    CodeGenerator generator(*f.calc, symbols, f.host);
    SyntaxNode odd("?", kTokIdentifier, "DINT", 1);
    for (int i = 0; i < 3; ++i) odd.children.push_back(std::make_unique<SyntaxNode>("x", kTokIdentifier, "DINT", 1));
    auto unknownOperator = std::make_unique<SyntaxNode>("**", kTokOperator, "DINT", 1);
    unknownOperator->children.push_back(std::make_unique<SyntaxNode>("x", kTokIdentifier, "DINT", 1));
    unknownOperator->children.push_back(std::make_unique<SyntaxNode>("y", kTokIdentifier, "DINT", 1));
    auto leaf = std::make_unique<SyntaxNode>("z", kTokIdentifier, "DINT", 1);
    unknownOperator->next = std::move(leaf);
    SyntaxNode* first = &odd;
    generator.GenerateStatements(first);
    generator.GenerateStatements(unknownOperator.get());
    EXPECT_EQ(f.host.Messages(), (Lines{"Error: cGen !!!", "Error: genOp !!!"}));
    EXPECT_EQ(generator.Lines(), (Lines{"LD \t\t x", "LD \t\t z"}));
}

}  // namespace
}  // namespace pontra::test
