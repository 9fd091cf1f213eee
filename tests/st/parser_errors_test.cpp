// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "StFixture.h"

namespace pontra::test {
namespace {

// The unit "Calc" with tags of every kind the checks look at, and two ladder blocks:
// Motor (Start, Speed in; Running out; Count, Inner static; Blank in without a type)
// and Sub (Val static), of which Motor holds an instance.
class Declared : public StFixture {
public:
    explicit Declared(const std::string& controllerType = "Vessa") : StFixture(controllerType) {
        CUnit& sub = AddBlock("Sub");
        AddTag("Val", "DINT", kUsageStatic, &sub);
        CUnit& motor = AddBlock("Motor");
        AddTag("Start", "BOOL", kUsageInput, &motor);
        AddTag("Speed", "DINT", kUsageInput, &motor);
        AddTag("Blank", "", kUsageInput, &motor);
        AddTag("Running", "BOOL", kUsageOutput, &motor);
        AddTag("Count", "DINT", kUsageStatic, &motor);
        AddTag("Inner", "Sub", kUsageStatic, &motor);
        for (const char* name : {"a", "b"}) AddTag(name, "BOOL");
        for (const char* name : {"x", "y"}) AddTag(name, "DINT");
        AddTag("r", "REAL");
        AddTag("in1", "DINT", kUsageInput);
        AddTag("ib", "BOOL", kUsageInput);
        AddTag("arr", "DINT[3]");
        AddTag("barr", "BOOL[4]");
        AddTag("m", "DINT[2,3]");
        AddTag("fb1", "Motor");
        AddTag("tmr", "IEC_TON");
        AddTag("dol", "IEC_DOL");
    }
};

struct ErrorCase {
    const char* name;
    std::vector<std::string> text;
    std::vector<std::string> errors;  // exactly the lines expected
    const char* controllerType = "Vessa";
    friend void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }
};

class ParserErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ParserErrors, ReportWithLineAndRoutine) {
    const ErrorCase& c = GetParam();
    Declared f(c.controllerType);
    EXPECT_EQ(f.Compile(c.text), c.errors.empty());
    EXPECT_EQ(f.Errors(), c.errors);
    EXPECT_FALSE(f.frame.compileError);  // cleared again when the compile ends
    if (!c.errors.empty()) {
        EXPECT_TRUE(f.calc->rungs.empty());
    }
}

std::string E(int line, const char* routine, const std::string& message) {
    return FormatCompilerError(line, routine, message);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ParserErrors,
    ::testing::Values(
        ErrorCase{"Undeclared", {"x := 1;", "q := 1;"}, {E(2, "assign_stmt", "Undeclared identifier 'q'")}},
        ErrorCase{"BoolTakesZeroAndOne", {"a := 1; b := 0;"}, {}},
        ErrorCase{"BoolRefusesTwo", {"a := 2;"}, {E(1, "assign_stmt", "Type mismatch near ':=': Can't convert 'DINT' to 'BOOL'")}},
        ErrorCase{"ComparisonIntoDint", {"x := y < x;"},
                  {E(1, "assign_stmt", "Type mismatch near ':=': Can't convert 'BOOL' to 'DINT'")}},
        ErrorCase{"RegisterOnAldera", {"%R5 := 1;"},
                  {E(1, "assign_stmt", "Register operations are not supported to Aldera module")}, "Aldera"},
        ErrorCase{"RegisterRange", {"%R513 := 1;"},
                  {E(1, "assign_stmt", "Not valid number (Register No must be in range from 1 up to 512)")}},
        ErrorCase{"CommRegisterAllowed", {"%RC5 := 1;"}, {}},
        ErrorCase{"CommRegisterForbidden", {"%RC8 := 1;"},
                  {E(1, "assign_stmt", "Forbidden register number (Register 8 is Controller Output Tag)")}},
        ErrorCase{"CommRegisterForbiddenBrindle", {"%RC52 := x;"},
                  {E(1, "assign_stmt", "Forbidden register number (Register 52 is Controller Output Tag)")}, "Brindle"},
        ErrorCase{"ArrayOutOfRange", {"arr[3] := 1;"}, {E(1, "assign_stmt", "Array index is out of range")}},
        ErrorCase{"ArrayIndexType", {"arr[a] := 1;"}, {E(1, "assign_stmt", "Invalid array index type")}},
        ErrorCase{"ArrayElementType", {"barr[x] := TRUE;"}, {E(1, "assign_stmt", "Invalid array type")}},
        ErrorCase{"ArrayDimension", {"m[1] := 1;"}, {E(1, "assign_stmt", "Invalid array dimension")}},
        ErrorCase{"ArraySecondDimension", {"x := m[1,3];"}, {E(1, "factor", "Array index  at second dimension is out of range")}},
        ErrorCase{"OwnInput", {"in1 := 1;"}, {E(1, "assign_stmt", "Can't write in own Input tag 'in1'")}},
        ErrorCase{"InstanceOutput", {"fb1.Running := TRUE;"},
                  {E(1, "assign_stmt", "Can't write in Function Block Output tag 'fb1.Running'")}},
        ErrorCase{"InstanceStatic", {"fb1.Count := 1;"},
                  {E(1, "assign_stmt", "Can't write in Function Block Static tag 'fb1.Count'")}},
        ErrorCase{"InheritedStaticWrite", {"fb1.Inner.Val := 1;"},
                  {E(1, "assign_stmt", "Can't write in Function Block Inherited Static tag 'fb1.Inner.Val'")}},
        ErrorCase{"InstanceStaticRead", {"x := fb1.Count;"},
                  {E(1, "factor", "Can't read from Function Block Static tag 'fb1.Count'")}},
        ErrorCase{"InheritedStaticRead", {"x := fb1.Inner.Val;"},
                  {E(1, "factor", "Can't read from Function Block Inherited Static tag 'fb1.Inner.Val'")}},
        ErrorCase{"InstanceInputAndOutputAllowed", {"fb1.Speed := x; a := fb1.Running;"}, {}},
        ErrorCase{"MissingSemicolon", {"x := 1", "y := 2;"}, {E(2, "match", "Must be ';' instead 'y'")}},
        ErrorCase{"EndOfListInMatch", {"IF a THEN (* open"},
                  {E(0, "statement", "Token '' must be defined statement"), E(0, "match", "Not enough tokens"),
                   E(0, "match", "Not enough tokens")}},
        // The first statement of a list is parsed before any terminator test.
        ErrorCase{"EmptyList", {"IF a THEN END_IF;"},
                  {E(1, "statement", "Token 'END_IF' must be defined statement"),
                   E(1, "match", "Must be 'END_IF' instead ''"), E(1, "match", "Must be ';' instead ''")}},
        ErrorCase{"IfCondition", {"IF x THEN ; END_IF;"}, {E(1, "if_stmt", "'IF' require 'BOOL' expression as condition")}},
        ErrorCase{"ElsifCondition", {"IF a THEN ;", "ELSIF x THEN ; END_IF;"},
                  {E(2, "if_stmt", "'ELSIF' require 'BOOL' expression as condition")}},
        ErrorCase{"CaseSelectorStillParsesBranches", {"CASE r OF 1: x := 1;", "2: q := 2; END_CASE;"},
                  {E(1, "case_stmt", "Expression after 'CASE' must be SINT, INT or DINT"),
                   E(2, "assign_stmt", "Undeclared identifier 'q'")}},
        ErrorCase{"ForTarget", {"FOR a := TRUE TO 5 DO ; END_FOR;"}, {E(1, "for_stmt", "Type of FOR must be SINT, INT or DINT")}},
        ErrorCase{"ForEnd", {"FOR x := 1 TO a DO ; END_FOR;"}, {E(1, "for_stmt", "Type of FOR...TO must be SINT, INT or DINT")}},
        ErrorCase{"ForStep", {"FOR x := 1 TO 5 BY", "a DO ; END_FOR;"},
                  {E(2, "for_stmt", "Type of FOR...TO...BY must be SINT, INT or DINT")}},
        ErrorCase{"ExitOutsideLoop", {"x := 1;", "EXIT;"}, {E(2, "stmt_sequence", "Illegal 'EXIT' statement")}},
        ErrorCase{"ExitCheckedOnlyWithoutOtherErrors", {"EXIT;", "q := 1;"}, {E(2, "assign_stmt", "Undeclared identifier 'q'")}},
        ErrorCase{"ExitInsideIfInsideFor", {"FOR x := 1 TO 3 DO IF a THEN EXIT; END_IF; END_FOR;"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Expressions, ParserErrors,
    ::testing::Values(
        ErrorCase{"Or", {"a := a OR x;"}, {E(1, "exp", "Type mismatch near 'OR': Can't convert 'DINT' to 'BOOL'")}},
        ErrorCase{"Xor", {"a := a XOR x;"}, {E(1, "exp_xor", "Type mismatch near 'XOR': Can't convert 'DINT' to 'BOOL'")}},
        ErrorCase{"Ampersand", {"a := a & x;"}, {E(1, "exp_and", "Type mismatch near 'AND': Can't convert 'DINT' to 'BOOL'")}},
        ErrorCase{"BoolAndLiteralOne", {"a := a AND 1;"}, {}},
        ErrorCase{"Equal", {"a := a = x;"}, {E(1, "exp_equal", "Type mishmash near '=': Can't convert 'DINT' to 'BOOL'")}},
        ErrorCase{"CompareBool", {"a := a < b;"}, {E(1, "exp_compare", "Can't use operation '<' with type BOOL")}},
        ErrorCase{"CompareTime", {"a := x <= T#5s;"},
                  {E(1, "exp_compare", "Type mishmash near '<=': Can't convert 'TIME' to 'DINT'")}},
        ErrorCase{"Shift", {"x := x << a;"}, {E(1, "exp_shift", "Can't use operation '<<' with type BOOL")}},
        ErrorCase{"Add", {"x := x + a;"}, {E(1, "simple_exp", "Can't use operation '+' with type BOOL")}},
        ErrorCase{"Mod", {"x := x MOD T#1s;"}, {E(1, "term", "Type mishmash near 'MOD': Can't convert 'TIME' to 'DINT'")}},
        ErrorCase{"NegOfBool", {"a := NEG a;"}, {E(1, "factor", "Can't use operation 'NEG' with type BOOL")}},
        ErrorCase{"UnknownToken", {"x := ;"}, {E(1, "factor", "Unknown token ';'")}},
        ErrorCase{"UndeclaredInExpression", {"x := 1 + q;"}, {E(1, "factor", "Undeclared identifier 'q'")}},
        ErrorCase{"ReadRegisterAldera", {"x := %R5;"},
                  {E(1, "factor", "Register operations are not supported to Aldera module")}, "Aldera"},
        ErrorCase{"ReadCommRegister", {"x := %RC5;"},
                  {E(1, "factor", "Register operation '%RC' is supported only for writing into register")}},
        ErrorCase{"ReadRangeVessa", {"x := %R10000;"},
                  {E(1, "factor", "Not valid number (Register No must be in range from 1 up to 512)")}},
        ErrorCase{"ReadRangeK1", {"x := %R10031;"},
                  {E(1, "factor",
                     "Not valid number (Register No must be in range from 1 up to 512, 10000 up to 10030 or 10100 up to 10130)")},
                  "VessaK1"},
        ErrorCase{"ReadWindowK1", {"x := %R10100;"}, {}, "VessaK1"},
        ErrorCase{"ReadRange48V", {"x := %R10201;"},
                  {E(1, "factor", "Not valid number (Register No must be in range from 1 up to 512 or 10000 up to 10200)")},
                  "VessaK2/K3-48V"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Calls, ParserErrors,
    ::testing::Values(
        ErrorCase{"BlockParameter", {"fb1(Nope := 1);"},
                  {E(1, "stmt_function_block", "Token 'Nope' must be a parameter of function block")}},
        ErrorCase{"BlockOutputWithAssign", {"fb1(Running := a);"},
                  {E(1, "stmt_function_block", "Token 'Running' must be a parameter of function block")}},
        ErrorCase{"BlockParameterTwice", {"fb1(Start := a,", "Start := b);"},
                  {E(2, "stmt_function_block", "Parameter 'Start' of function block is ivolked yet")}},
        ErrorCase{"BlockParameterWithoutType", {"fb1(Blank := 1);"},
                  {E(1, "stmt_function_block", "Undeclared identifier 'Blank'")}},
        ErrorCase{"BlockValueType", {"fb1(Speed := a);"},
                  {E(1, "stmt_function_block", "Type mismatch near ':=': Can't convert 'BOOL' to 'DINT'")}},
        ErrorCase{"BlockOutputType", {"fb1(Running => x);"},
                  {E(1, "stmt_function_block", "Type mismatch near ':=': Can't convert 'BOOL' to 'DINT'")}},
        ErrorCase{"BlockSeparator", {"fb1(Start := a; x := 1;"},
                  {E(1, "stmt_function_block", "Token ';' must be ',' or ')'")}},
        ErrorCase{"BlockOutputTargetScope", {"fb1(Running => ib);"},
                  {E(1, "stmt_function_block", "Can't write in own Input tag 'ib'")}},
        ErrorCase{"TimerCall", {"tmr(EN := a, PT := 500, Q => b, ET => y);"}, {}},
        ErrorCase{"DolOnBrindle", {"dol(EN := a);"},
                  {E(1, "stmt_function_block", "Function block 'IEC_DOL' is not supported to Brindle module")}, "Brindle"},
        ErrorCase{"DolOnVessa", {"dol(EN := a);"}, {}},
        ErrorCase{"StandardFunctionArgument", {"a := MOD(a, 1);"},
                  {E(1, "stmt_st_function", "Type mishmash: Can't convert parameter 0 from 'BOOL' to 'ANY_NUM'")}},
        ErrorCase{"StandardFunctionExtraArgument", {"x := MOD(x, 1, 2);"},
                  {E(1, "stmt_st_function", "The input of Standard Function 'MOD' is undeclared")}},
        ErrorCase{"StandardFunctionMissingArgument", {"x := SHL(x);"}, {E(1, "match", "Must be ',' instead ')'")}},
        ErrorCase{"OperatorLikeFurtherArgument", {"x := ADD(x, 1,", "a);"},
                  {E(2, "stmt_st_function", "Type mishmash: Can't convert parameter 2 from 'BOOL' to 'DINT'")}},
        ErrorCase{"ConversionTakesOneArgument", {"x := INT_TO_DINT(x, y);"},
                  {E(1, "stmt_st_function", "The input of Standard Function 'INT_TO_DINT' is undeclared")}},
        ErrorCase{"MuxSelector", {"x := MUX(a, 1, 2);"},
                  {E(1, "stmt_st_function_MUX", "Type mishmash: Can't convert parameter 0 from 'BOOL' to 'ANY_INT'")}},
        ErrorCase{"MuxValues", {"x := MUX(x, 1, a);"},
                  {E(1, "stmt_st_function_MUX", "Type mishmash: Can't convert parameter 2 from 'BOOL' to 'DINT'")}},
        ErrorCase{"RegisterFunctionRange", {"x := RDR(R#513);"},
                  {E(1, "stmt_st_function_Register", "Not valid number (Register No must be in range from 1 up to 512)")}},
        ErrorCase{"RegisterFunctionRangeK3", {"x := RDR(R#10050);"},
                  {E(1, "stmt_st_function_Register",
                     "Not valid number (Register No must be in range from 1 up to 512, 10000 up to 10030 or 10100 up to 10130)")},
                  "VessaK3"},
        ErrorCase{"RegisterFunctionRange48V", {"x := RDR(r#10300);"},
                  {E(1, "stmt_st_function_Register",
                     "Not valid number (Register No must be in range from 1 up to 512 or 10000 up to 10200)")},
                  "VessaK2/K3-48V"},
        ErrorCase{"RegisterFunctionValueType", {"WRR(R#5, a);"},
                  {E(1, "stmt_st_function_Register", "Type mishmash: Can't convert input parameter from 'BOOL' to 'ANY_INT'")}},
        ErrorCase{"RegisterFunctionNoInput", {"x := RDR(R#5, 1);"},
                  {E(1, "stmt_st_function_Register", "The input of Standard Function 'RDR' is undeclared")}},
        ErrorCase{"RegisterFunctionNoOutput", {"x := WRR(R#5, 1);"},
                  {E(1, "stmt_st_function_Register", "The output of Standard Function 'WRR' is undeclared")}},
        ErrorCase{"RegisterFunctionForbidden", {"WRC(R#116, x);"},
                  {E(1, "stmt_st_function_Register", "Forbidden register number (Register 116 is Controller Output Tag)")}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParserErrorsMore, WhileIsNoStatementAndParsingGoesOn) {
    Declared f;
    EXPECT_FALSE(f.Compile({"WHILE a DO", "x := 1; END_WHILE;"}));
    const auto errors = f.Errors();
    ASSERT_GE(errors.size(), 3u);
    EXPECT_EQ(errors[0], E(1, "statement", "Token 'WHILE' must be defined statement"));
    EXPECT_EQ(errors.back(), E(2, "statement", "Token 'END_WHILE' must be defined statement"));
}

TEST(ParserErrorsMore, StandardBlockInstancesUseTheirOwnRoutine) {
    Declared f;
    f.AddBlock("TON");
    f.AddTag("t1", "TON");
    f.Compile({"t1(Q => a);"});
    EXPECT_EQ(f.Errors(), std::vector<std::string>{E(1, "stmt_st_function_block",
                                                     "Token 'Q' must be a parameter of function block")});
}

// Calls of kinds the project itself cannot produce: the compiler's own tables and tokens
// are adjusted between scanning and parsing.
class CraftedCompile : public Declared {
public:
    std::vector<std::string> Run(const std::vector<std::string>& text,
                                 const std::function<void(CSTCompiler&)>& adjust) {
        calc->text = text;
        std::vector<std::string> out;
        CSTCompiler compiler(frame.project(), frame.standardLibrary, *calc, host,
                             [&](int line, const std::string& routine, const std::string& message) {
                                 out.push_back(E(line, routine.c_str(), message));
                             });
        compiler.Tokenize();
        adjust(compiler);
        compiler.Compile();
        return out;
    }
};

TEST(ParserErrorsMore, FunctionsAndUndeclaredCallees) {
    CraftedCompile f;
    auto function = [](CSTCompiler& c, bool withOutput) {
        SymbolEntry& entry = c.Symbols().Add("F", "FUNCTION");
        if (withOutput) entry.Add({"F", "DINT", "VAR_OUTPUT"});
        entry.Add({"In", "DINT", "VAR_INPUT"});
    };
    EXPECT_EQ(f.Run({"x := F(a);"}, [&](CSTCompiler& c) { function(c, true); }),
              std::vector<std::string>{E(1, "stmt_function", "Type mishmash: Can't convert parameter 0 from 'BOOL' to 'DINT'")});
    EXPECT_EQ(f.Run({"x := F(1);"}, [&](CSTCompiler& c) { function(c, false); }),
              std::vector<std::string>{E(1, "stmt_function", "The output of Function 'F' is undeclared")});
    auto retag = [](int kind, std::string type = "") {
        return [=](CSTCompiler& c) {
            c.Tokens()[2]->kind = kind;
            c.Tokens()[2]->type = type;
        };
    };
    EXPECT_EQ(f.Run({"x := G(1);"}, retag(kTokFunctionName)),
              std::vector<std::string>{E(1, "stmt_function", "Function 'G' is undeclared")});
    EXPECT_EQ(f.Run({"x := G(1);"}, retag(kTokStandardFunction)),
              std::vector<std::string>{E(1, "stmt_st_function", "Standard Function 'G' is undeclared")});
    EXPECT_EQ(f.Run({"x := NOOUT(1);"},
                    [](CSTCompiler& c) {
                        c.Symbols().Add("NOOUT", "ST_FUNC").Add({"In", "ANY_NUM", "VAR_INPUT"});
                        c.Tokens()[2]->kind = kTokStandardFunction;
                    }),
              std::vector<std::string>{E(1, "stmt_st_function", "The output of Standard Function 'NOOUT' is undeclared")});
    EXPECT_EQ(f.Run({"x := 1; ghost(In := 1);"},
                    [](CSTCompiler& c) {
                        c.Tokens()[4]->kind = kTokFunctionBlockInstance;
                        c.Tokens()[4]->type = "Ghost";
                    }),
              std::vector<std::string>{E(1, "stmt_function_block", "Function block 'Ghost' is undeclared")});
}

TEST(ParserErrorsMore, NestingBeyondTheLimitsIsReportedNotFollowed) {
    Declared f;
    const int deep = kMaxNesting + 50;
    std::string parens = "x := " + std::string(deep, '(') + "1" + std::string(deep, ')') + ";";
    EXPECT_FALSE(f.Compile({parens}));
    EXPECT_EQ(f.Errors()[0], E(1, "factor", "Expression is nested deeper than 200 levels"));

    std::vector<std::string> ifs;
    for (int i = 0; i < deep; ++i) ifs.push_back("IF a THEN");
    ifs.push_back("x := 1;");
    for (int i = 0; i < deep; ++i) ifs.push_back("END_IF;");
    EXPECT_FALSE(f.Compile(ifs));
    EXPECT_EQ(f.Errors()[0], E(kMaxNesting + 1, "statement", "Statements are nested deeper than 200 levels"));

    std::string chain = "x := 1";
    for (int i = 0; i < kMaxExpressionHeight + 10; ++i) chain += "+1";
    std::vector<std::string> lines;
    for (size_t at = 0; at < chain.size(); at += 400) lines.push_back(chain.substr(at, 400));
    lines.push_back(";");
    EXPECT_FALSE(f.Compile(lines));
    EXPECT_EQ(f.Errors().size(), 1u);
    EXPECT_NE(f.Errors()[0].find("exp : Expression is nested deeper than 1000 levels"), std::string::npos);
}

TEST(ParserErrorsMore, HostileTextNeverStopsTheCompiler) {
    Declared f;
    std::vector<std::string> garbage;
    for (int i = 0; i < 2000; ++i) garbage.push_back("\x80\xff END_IF ( ] := := ; THEN 16# T# %R %RC 1.2.3 ,,");
    EXPECT_FALSE(f.Compile(garbage));
    EXPECT_GT(f.Errors().size(), 2000u);
}

}  // namespace
}  // namespace pontra::test
