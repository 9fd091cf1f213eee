// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor's colours and its token lookup: keywords, colouring words
// and standard functions, the three comment forms in the compiler's order, and the token
// that ends at or covers a position.
#include <gtest/gtest.h>

#include "shell/StEditorFixture.h"

namespace pontra::test {
namespace {

// The text with keyword ranges in <> and comment ranges in {}.
std::string Painted(const StEditor& editor) {
    const std::string text = editor.Text().AllText();
    std::string out;
    size_t at = 0;
    for (const ColourRange& r : editor.Colours()) {
        EXPECT_LE(at, r.begin) << "ranges overlap or are out of order";
        EXPECT_LE(r.end, text.size());
        const bool keyword = r.format == StFormat::Keyword;
        out += text.substr(at, r.begin - at) + (keyword ? "<" : "{") + text.substr(r.begin, r.end - r.begin) +
               (keyword ? ">" : "}");
        at = r.end;
    }
    return out + text.substr(std::min(at, text.size()));
}

struct ColourCase {
    const char* text;
    const char* painted;
};

TEST_F(StEditorTest, RecolourPaintsKeywordsAndCommentsInTheCompilersOrder) {
    const ColourCase cases[] = {
        // keywords are case-sensitive; colouring words and standard functions are painted too
        {"IF x THEN y := ABS(z) + max(a) + MAX(a, b);\nend_if TRUE NOT XOR",
         "<IF> x <THEN> y := <ABS>(z) + max(a) + <MAX>(a, b);\nend_if <TRUE> <NOT> <XOR>"},
        {"VAR_INPUT a : DINT; END_VAR", "<VAR_INPUT> a : DINT; <END_VAR>"},
        // a line comment ends at its line; a "(*" inside it opens nothing
        {"x := 1; // IF (* y\nWHILE", "x := 1; {// IF (* y}\n<WHILE>"},
        {"a (* IF\nTHEN *) DO", "a {(* IF\nTHEN *)} <DO>"},
        // unclosed comments run to the end of the text
        {"DO (* IF\nTHEN", "<DO> {(* IF\nTHEN}"},
        {"DO /* IF\nTHEN", "<DO> {/* IF\nTHEN}"},
        // a "/*" inside "(*" hides the "*)" until the next "*/"
        {"(* a /* b *) IF */ THEN", "{(* a /* b *) IF */ THEN}"},
        {"(* a /* b *) IF */ c *) THEN", "{(* a /* b *) IF */ c *)} <THEN>"},
        // a stray closer is no comment
        {"*) FOR", "*) <FOR>"},
    };
    for (const auto& c : cases) {
        Open(c.text);
        EXPECT_EQ(Painted(*editor), c.painted) << c.text;
    }
}

TEST_F(StEditorTest, AFunctionBlockNamedLikeAStandardFunctionIsNotPainted) {
    frame.units().push_back(std::make_unique<CUnit>("MIN", kUnitFunctionBlock));
    Open("MIN(a, b) MAX(a, b)");
    EXPECT_EQ(Painted(*editor), "MIN(a, b) <MAX>(a, b)");
}

struct LookupCase {
    long long p;
    const char* token;  // "" for none
    long long begin;
};

TEST_F(StEditorTest, TokenAtFindsTheTokenEndingAtOrCoveringAPosition) {
    // Positions: "Tmr.PRE" 5-12, "a[i + 1]" 15-23, the second line from 25, "16#FF" 28-33.
    Open("x := Tmr.PRE + a[i + 1];\nIF 16#FF THEN");
    const LookupCase cases[] = {
        {1, "x", 0},                         // ends at p
        {0, "", 0},                          // a token never covers its own first position
        {7, "Tmr.PRE", 5},                   // members joined into one name
        {12, "Tmr.PRE", 5}, {13, "", 0},     // between tokens
        {20, "a[i+1]", 17},                  // an array reference counts its text without the blanks
        {24, ";", 23},      {27, "IF", 25},  // second line: the line break counts one
        {33, "255", 30},                     // a based number is one literal of its decimal text
        {-1, "", 0},        {1000, "", 0},
    };
    for (const auto& c : cases) {
        const auto hit = editor->TokenAt(c.p);
        EXPECT_EQ(hit ? hit->token->text : "", c.token) << "p = " << c.p;
        if (hit && *c.token) {
            EXPECT_EQ(hit->begin, c.begin) << "p = " << c.p;
        }
    }
}

}  // namespace
}  // namespace pontra::test
