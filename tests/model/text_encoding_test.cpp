// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "model/TextEncoding.h"

namespace pontra {
namespace {

TEST(TextEncoding, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    const auto back = Utf8ToCp1252(utf8);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.text, all);
}

TEST(TextEncoding, CharactersOfTheCodePage) {
    struct Case {
        std::string cp1252, utf8;
    } cases[] = {
        {"F\xF6rderband l\xE4uft", "F\u00f6rderband l\u00e4uft"},
        {"\x80", "\u20ac"},            // euro sign
        {"\x96", "\u2013"},            // en dash
        {"\x9F", "\u0178"},            // Y with diaeresis
        {"\xFF", "\u00ff"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
        const auto back = Utf8ToCp1252(c.utf8);
        ASSERT_TRUE(back.ok()) << c.utf8;
        EXPECT_EQ(back.text, c.cp1252);
    }
}

TEST(TextEncoding, RefusesWhatTheCodePageCannotHold) {
    const auto arrow = Utf8ToCp1252("ab\u2192c");
    ASSERT_FALSE(arrow.ok());
    EXPECT_EQ(arrow.failure->offset, 2u);
    EXPECT_EQ(arrow.failure->character, U'\u2192');
    EXPECT_EQ(CodePointName(*arrow.failure->character), "U+2192");

    for (std::string bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "a\xFF"}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
        const auto r = Utf8ToCp1252(bad);
        ASSERT_FALSE(r.ok());
        EXPECT_FALSE(r.failure->character.has_value());
    }
}

}  // namespace
}  // namespace pontra
