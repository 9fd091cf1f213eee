// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "st/Lexer.h"

namespace pontra {
namespace {

const char* KindName(int kind) {
    switch (kind) {
    case kTokUnknown: return "Unknown";
    case kTokLiteral: return "Literal";
    case kTokOperator: return "Operator";
    case kTokKeyword: return "Keyword";
    case kTokIdentifier: return "Identifier";
    case kTokRegisterReference: return "Register";
    default: return "?";
    }
}

struct Lexed {
    std::vector<std::string> tokens;  // "Kind text[ type]", terminator left out
    std::vector<std::string> errors;
    bool terminated = false;
};

Lexed Lex(const std::vector<std::string>& lines) {
    Lexed out;
    TokenList tokens = Tokenize(lines, [&](int line, const std::string& routine, const std::string& message) {
        out.errors.push_back(FormatCompilerError(line, routine, message));
    });
    for (const auto& t : tokens) {
        if (t->text.empty()) {
            out.terminated = true;
            continue;
        }
        std::string s = std::string(KindName(t->kind)) + " " + t->text;
        if (!t->type.empty()) s += " " + t->type;
        out.tokens.push_back(s);
    }
    return out;
}

struct LexCase {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> tokens;
    friend void PrintTo(const LexCase& c, std::ostream* os) { *os << c.name; }
};

class LexerTokens : public ::testing::TestWithParam<LexCase> {};

TEST_P(LexerTokens, Produce) {
    const LexCase& c = GetParam();
    Lexed lexed = Lex(c.lines);
    EXPECT_EQ(lexed.tokens, c.tokens);
    EXPECT_TRUE(lexed.errors.empty()) << lexed.errors[0];
    EXPECT_TRUE(lexed.terminated);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LexerTokens,
    ::testing::Values(
        LexCase{"HexLiteral", {"16#FF"}, {"Literal 255 DINT"}},
        LexCase{"HexSplitByScanner", {"16#1A2B"}, {"Literal 6699 DINT"}},
        LexCase{"HexStopsAtOtherToken", {"16#FF;"}, {"Literal 255 DINT", "Operator ;"}},
        LexCase{"HexKeepsLow32Bits", {"16#FFFFFFFF"}, {"Literal -1 DINT"}},
        LexCase{"Binary", {"2#1010"}, {"Literal 10 DINT"}},
        LexCase{"Octal", {"8#17"}, {"Literal 15 DINT"}},
        LexCase{"Duration", {"T#1h30m"}, {"Literal 5400000 TIME"}},
        LexCase{"DurationAllUnits", {"TIME#1d2h3m4s5ms"}, {"Literal 93784005 TIME"}},
        LexCase{"DurationLowerCase", {"t#500ms", "time#2s"}, {"Literal 500 TIME", "Literal 2000 TIME"}},
        LexCase{"DurationTrailingDigitsIgnored", {"T#5s10"}, {"Literal 5000 TIME"}},
        LexCase{"SignAfterAssign", {"x := -5;"}, {"Identifier x", "Operator :=", "Literal -5 DINT", "Operator ;"}},
        LexCase{"SignAfterOperandStays",
                {"x := y -5;"},
                {"Identifier x", "Operator :=", "Identifier y", "Operator -", "Literal 5 DINT", "Operator ;"}},
        LexCase{"SignsAfterToAndBy",
                {"FOR i := 10 TO -1 BY -1 DO"},
                {"Keyword FOR", "Identifier i", "Operator :=", "Literal 10 DINT", "Keyword TO", "Literal -1 DINT",
                 "Keyword BY", "Literal -1 DINT", "Keyword DO"}},
        LexCase{"SignAfterParenthesisStays",
                {"x := (y) - 1;"},
                {"Identifier x", "Operator :=", "Operator (", "Identifier y", "Operator )", "Operator -",
                 "Literal 1 DINT", "Operator ;"}},
        LexCase{"SignFirstInText", {"-3"}, {"Literal -3 DINT"}},
        LexCase{"MemberChain", {"a.b.c := Tag.3;"}, {"Identifier a.b.c", "Operator :=", "Identifier Tag.3", "Operator ;"}},
        LexCase{"Real", {"1.5"}, {"Literal 1.5 REAL"}},
        LexCase{"RealExponentSigned", {"1.5E-3"}, {"Literal 1.5E-3 REAL"}},
        LexCase{"RealExponentName", {"1.5E3"}, {"Literal 1.5E3 REAL"}},
        LexCase{"DotAcrossLinesStays", {"1", ".5"}, {"Literal 1 DINT", "Operator .", "Literal 5 DINT"}},
        LexCase{"LineCommentSwallowsBlockOpener", {"a // (* b", "c"}, {"Identifier a", "Identifier c"}},
        LexCase{"BlockComments", {"a (* b", "c *) d /* e */ f"}, {"Identifier a", "Identifier d", "Identifier f"}},
        LexCase{"ArrayReference", {"a[i+1] := b[b[1]];"},
                {"Identifier a[i+1]", "Operator :=", "Identifier b[b[1]", "Operator ]", "Operator ;"}},
        LexCase{"Registers", {"%R100 := %RC12;"}, {"Register %R100", "Operator :=", "Register %RC12", "Operator ;"}},
        LexCase{"PercentAlone", {"%x"}, {"Operator %", "Identifier x"}},
        LexCase{"Booleans", {"TRUE FALSE true"}, {"Literal 1 BOOL", "Literal 0 BOOL", "Identifier true"}},
        LexCase{"KeywordsAreCaseSensitive", {"IF if END_IF AND"},
                {"Keyword IF", "Identifier if", "Keyword END_IF", "Identifier AND"}},
        LexCase{"TwoCharacterOperators", {"<= >= <> => >> << .. ** := < > = *"},
                {"Operator <=", "Operator >=", "Operator <>", "Operator =>", "Operator >>", "Operator <<",
                 "Operator ..", "Operator **", "Operator :=", "Operator <", "Operator >", "Operator =", "Operator *"}},
        LexCase{"UnknownCharacters", {"a $ \xC3\xA9"}, {"Identifier a", "Unknown $", "Unknown \xC3", "Unknown \xA9"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct LexErrorCase {
    const char* name;
    std::vector<std::string> lines;
    std::string error;
    friend void PrintTo(const LexErrorCase& c, std::ostream* os) { *os << c.name; }
};

class LexerErrors : public ::testing::TestWithParam<LexErrorCase> {};

TEST_P(LexerErrors, ReportWithLineAndRoutine) {
    Lexed lexed = Lex(GetParam().lines);
    EXPECT_EQ(lexed.errors, std::vector<std::string>{GetParam().error});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LexerErrors,
    ::testing::Values(
        LexErrorCase{"Base2", {"", "x := 2#102;"}, "Error at line 2 : makeToken_BinOctHex : Expect base 2 literals number after '2#'"},
        LexErrorCase{"Base8", {"8#19"}, "Error at line 1 : makeToken_BinOctHex : Expect base 8 literals number after '8#'"},
        LexErrorCase{"Base16", {"16#;"}, "Error at line 1 : makeToken_BinOctHex : Expect base 16 literals number after '16#'"},
        LexErrorCase{"Base16AtEnd", {"16#"}, "Error at line 1 : makeToken_BinOctHex : Expect base 16 literals number after '16#'"},
        LexErrorCase{"DurationOrder", {"T#30m1h"}, "Error at line 1 : makeToken_Time : Illegal duration constant"},
        LexErrorCase{"DurationRepeated", {"T#1s2s"}, "Error at line 1 : makeToken_Time : Illegal duration constant"},
        LexErrorCase{"DurationShape", {"", "", "T#;"}, "Error at line 3 : makeToken_Time : Illegal duration constant"},
        LexErrorCase{"DurationUnit", {"T#5x"},
                     "Error at line 1 : makeToken_Time : Illegal duration constant: Expecting 'd', 'h', 'm', 's' or 'ms'"},
        LexErrorCase{"DurationDigit", {"T#1h_m"},
                     "Error at line 1 : makeToken_Time : Illegal duration constant: Expecting DIGIT"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lexer, ErrorsLeaveTheTokensInPlace) {
    Lexed lexed = Lex({"2#102"});
    EXPECT_EQ(lexed.tokens, (std::vector<std::string>{"Literal 2 DINT", "Operator #", "Literal 102 DINT"}));
}

TEST(Lexer, TokensCarryTheLineAndTheColumnBehindThem) {
    TokenList tokens = Tokenize({"x := 1;", "  Tag.Member := a[2];"}, {});
    ASSERT_EQ(tokens.size(), 9u);
    auto at = [&](size_t i) { return std::make_pair(tokens[i]->line, tokens[i]->column); };
    EXPECT_EQ(at(0), std::make_pair(1, 1));
    EXPECT_EQ(at(1), std::make_pair(1, 4));
    EXPECT_EQ(at(3), std::make_pair(1, 7));
    EXPECT_EQ(tokens[4]->text, "Tag.Member");
    EXPECT_EQ(at(4), std::make_pair(2, 12));
    EXPECT_EQ(at(6), std::make_pair(2, 20));
    EXPECT_EQ(tokens[8]->text, "");
    EXPECT_EQ(tokens[8]->line, 2);
}

TEST(Lexer, ScannerCutsLongTokensAndLongLines) {
    const std::string name(200, 'n');
    Lexed lexed = Lex({name + " x"});
    ASSERT_EQ(lexed.tokens.size(), 2u);
    EXPECT_EQ(lexed.tokens[0], "Identifier " + std::string(128, 'n'));

    // Only the first 512 characters of a line are read; the line still ends there.
    std::string longLine = std::string(510, ' ') + "ab" + std::string(100000, 'z');
    lexed = Lex({longLine, "c"});
    EXPECT_EQ(lexed.tokens, (std::vector<std::string>{"Identifier ab", "Identifier c"}));
}

TEST(Lexer, UnclosedCommentDeletesTheRestTerminatorIncluded) {
    Lexed lexed = Lex({"a (* b", "c"});
    EXPECT_EQ(lexed.tokens, std::vector<std::string>{"Identifier a"});
    EXPECT_FALSE(lexed.terminated);
}

TEST(Lexer, ScannerAloneKeepsCommentsAndRawKinds) {
    std::vector<std::string> lines = {"(* x *) %RC5 16#F"};
    Scanner scanner(lines);
    std::vector<std::string> texts;
    for (Token t = scanner.getToken(); !t.text.empty(); t = scanner.getToken()) texts.push_back(t.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"(*", "x", "*)", "%RC", "5", "16", "#", "F"}));
}

TEST(Lexer, GetNextTokenReportsMissingAndEmptySlots) {
    std::vector<std::string> errors;
    CompilerErrorFn error = [&](int line, const std::string& routine, const std::string& message) {
        errors.push_back(FormatCompilerError(line, routine, message));
    };
    TokenList tokens = Tokenize({"a"}, error);
    EXPECT_EQ(GetNextToken(tokens, 0, error)->text, "a");
    EXPECT_EQ(GetNextToken(tokens, 2, error), nullptr);
    tokens[1].reset();
    EXPECT_EQ(GetNextToken(tokens, 1, error), nullptr);
    EXPECT_EQ(errors, (std::vector<std::string>{"Error at line 0 : GetNextToken : Not enough tokens",
                                                "Error at line 0 : GetNextToken : Invalid token"}));
}

TEST(Lexer, HostileTextEndsWithoutHarm) {
    // Deep brackets and an array reference that never closes, then a comment that never does.
    std::vector<std::string> lines(300, std::string(200, '(') + "a[" + std::string(100, '['));
    lines.push_back("(* open");
    TokenList tokens = Tokenize(lines, {});
    ASSERT_GE(tokens.size(), 201u);
    EXPECT_EQ(tokens[0]->text, "(");
    EXPECT_FALSE(tokens.back()->text.empty());  // the open comment took the terminator
}

}  // namespace
}  // namespace pontra
