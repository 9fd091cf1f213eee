// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "model/Tag.h"
#include "model/ValueStyle.h"

namespace pontra {
namespace {

struct ParseCase {
    int width;
    const char* style;
    const char* text;
    bool ok;
    int32_t value;        // when ok
    const char* message;  // when not ok
};

TEST(ValueStyle, ParseValue) {
    const ParseCase cases[] = {
        {32, "Decimal", "007", true, 7, ""},
        {32, "Decimal", "+5", true, 5, ""},
        {32, "Decimal", "-05", false, 0, "Value must be in range from -2147483648 up to 2147483647!"},
        {32, "Decimal", "-2147483648", true, INT32_MIN, ""},
        {32, "Decimal", "2147483648", false, 0, "Value must be in range from -2147483648 up to 2147483647!"},
        {32, "Decimal", "12a", false, 0, "Value must be in range from -2147483648 up to 2147483647!"},
        {32, "Decimal", "", true, 0, ""},
        {8, "Hex", "16#ff", true, -1, ""},
        {8, "Hex", "16#100", false, 0, "Value must be in range from 16#0 up to 16#FF!"},
        {8, "Octal", "8#377", true, -1, ""},
        {8, "Octal", "8#400", false, 0, "Value must be in range from 8#0 up to 8#377!"},
        {8, "Decimal", "200", false, 0, "Value must be in range from -128 up to 127!"},
        {8, "Decimal", "-128", true, -128, ""},
        {8, "Binary", "2#", true, 0, ""},
        {8, "Binary", "2#11111111", true, -1, ""},
        {8, "Binary", "2#102", false, 0, "Value must be in range from 16#0 up to 16#FF!"},
        {16, "Decimal", "32768", false, 0, "Value must be in range from -32768 up to 32767!"},
        {16, "Hex", "16#8000", true, -32768, ""},
        {16, "Octal", "8#177777", true, -1, ""},
        {16, "Binary", "2#10000000000000000", false, 0, "Value must be in range from 16#0 up to 16#FFFF!"},
        {32, "Hex", "16#FFFFFFFF", true, -1, ""},
        {32, "Hex", "16#-1", false, 0, "Value must be in range from 16#0 up to 16#FFFFFFFF!"},
        {32, "Octal", "8#37777777777", true, -1, ""},
        {32, "Octal", "8#9", false, 0, "Value must be in range from 8#0 up to 8#37777777777!"},
        {32, "Binary", "101", true, 5, ""},  // the prefix is optional
        {1, "Decimal", "2", false, 0, "Value must be in range from 0 up to 1!"},
        {1, "Decimal", "1", true, 1, ""},
        {1, "Decimal", "-1", false, 0, "Value must be in range from 0 up to 1!"},
        {32, "Something", "+12", true, 12, ""},  // unknown styles read as Decimal
        {32, "IP Address", "192.168.1.10", true, static_cast<int32_t>(0x010AC0A8u), ""},  // parts 1,0 / 3,2 per half
        {32, "IP Address", "192.168.1", false, 0, "Value must be IP Address!"},
        {32, "IP Address", "192.168.1.x", false, 0, "Value must be IP Address!"},
        {32, "IP Address", "192.168.1.256", false, 0, "Part 3 of IP Address must be in range from 0 up to 255!"},
        {8, "IP Address", "300.1.1.1", false, 0, "Part 0 of IP Address must be in range from 0 up to 255!"},
    };
    for (const auto& c : cases) {
        int32_t value = 12345;
        std::string message;
        const bool ok = ParseValue(c.width, c.style, c.text, value, message);
        EXPECT_EQ(ok, c.ok) << c.style << " " << c.width << " '" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        } else {
            EXPECT_EQ(value, 12345) << "failure leaves the value alone: " << c.text;
            EXPECT_EQ(message, c.message) << c.text;
        }
    }
}

TEST(ValueStyle, FormatValue) {
    struct Case {
        const char* type;
        const char* style;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"SINT", "Octal", "-1", "8#377"},
        {"SINT", "Hex", "-1", "16#FF"},
        {"INT", "Hex", "255", "16#00FF"},
        {"DINT", "Hex", "-1", "16#FFFFFFFF"},
        {"BOOL", "Hex", "1", "16#1"},
        {"SINT", "Binary", "5", "2#00000101"},
        {"BOOL", "Binary", "1", "2#1"},
        {"INT", "Octal", "8", "8#10"},
        {"DINT", "Decimal", "-42", "-42"},
        {"DINT", "IP Address", "17481896", "192.168.1.10"},
        {"TIMER", "Hex", "17", "17"},
        {"DINT[4]", "Hex", "17", "17"},
        {"WORD", "Hex", "65535", "16#FFFF"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatValue(c.type, c.style, c.text), c.expected) << c.type << c.style;
}

TEST(ValueStyle, FormattedTextParsesBackToTheSameValue) {
    for (const char* style : {"Decimal", "Binary", "Octal", "Hex"}) {
        for (const auto& [type, width] : {std::pair{"SINT", 8}, {"INT", 16}, {"DINT", 32}}) {
            for (int32_t v : {0, 1, -1, 100, -100, 127, -128}) {
                std::string text = FormatValue(type, style, std::to_string(v));
                int32_t back = 0;
                std::string message;
                ASSERT_TRUE(ParseValue(width, style, text, back, message)) << style << type << text << message;
                EXPECT_EQ(back, v) << style << " " << type << " " << text;
            }
        }
    }
}

TEST(ValueStyle, SampleTexts) {
    EXPECT_EQ(SampleValueText("SINT", "Decimal"), "-555");
    EXPECT_EQ(SampleValueText("BOOL", "Binary"), "2#0");
    EXPECT_EQ(SampleValueText("INT", "Hex"), "16#BBBB");
    EXPECT_EQ(SampleValueText("DINT", "Octal"), "8#55555555");
    EXPECT_EQ(SampleValueText("SINT", "IP Address"), "16#555.555.555.555");
    EXPECT_EQ(SampleValueText("TIMER", "Decimal"), "");
}

TEST(ValueStyle, OperandLiteralInfersItsStyle) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {{"2#101", true, 5},         {"8#17", true, 15},       {"16#ff", true, 255},
                          {"10.0.0.1", true, static_cast<int32_t>(PackIpStyle(10, 0, 0, 1))},
                          {"-7", true, -7},           {"abc", false, 0},        {"1.2.3", false, 0}};
    for (const auto& c : cases) {
        int32_t value = 0;
        std::string message;
        EXPECT_EQ(ParseOperandLiteral(c.text, value, message), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(ValueStyle, DecimalToIntReadsLikeAtoi) {
    EXPECT_EQ(DecimalToInt("  -12xyz"), -12);
    EXPECT_EQ(DecimalToInt("x"), 0);
    EXPECT_EQ(DecimalToInt("99999999999"), INT32_MAX);
    EXPECT_EQ(DecimalToInt("-99999999999"), INT32_MIN);
}

}  // namespace
}  // namespace pontra
