// SPDX-License-Identifier: GPL-3.0-or-later
// The module's header, prescan and runtime error codes and how they are shown.
#include <gtest/gtest.h>

#include "build/ModuleErrors.h"

namespace pontra {
namespace {

TEST(ModuleErrors, TextsOfListedAndUnlistedCodes) {
    EXPECT_EQ(HeaderErrorText(7), "Ladder Program Start, Ladder Program End or Tags Start in not a DWORD address");
    EXPECT_EQ(HeaderErrorText(100), "Connection Tags Error");
    for (int code : {4, 6}) EXPECT_EQ(HeaderErrorText(code), "?") << code;
    for (int code : {0, 11, 99, -3}) EXPECT_EQ(HeaderErrorText(code), "Unknown Error") << code;
    EXPECT_EQ(PrescanErrorText(1), "First instruction is not RUNG or missing RUNG or RND");
    EXPECT_EQ(PrescanErrorText(18), "Wrong Operand Type (must be 0, 1, 2, 4 or 8)");
    EXPECT_EQ(PrescanErrorText(20), "Subroutine parameters exceed 31");
    EXPECT_EQ(PrescanErrorText(35), "Size of an array is zero");
    for (int code : {0, 19, 36, 99}) EXPECT_EQ(PrescanErrorText(code), "Unknown Error") << code;
}

TEST(ModuleErrors, RuntimeTexts) {
    EXPECT_EQ(RuntimeErrorText(100), "The End of Stack");
    EXPECT_EQ(RuntimeErrorText(101), "The numbers of JSR out parameters is different then in parameters");
    EXPECT_EQ(RuntimeErrorText(103), "Divide by Zero");
    EXPECT_EQ(RuntimeErrorText(104), "Array index is out of range");
    EXPECT_EQ(RuntimeErrorText(111), "Incorrect Instruction - Online");
    EXPECT_EQ(RuntimeErrorText(105), std::nullopt);
    EXPECT_EQ(RuntimeErrorLine(105, 7), std::nullopt);
    EXPECT_EQ(RuntimeErrorLine(103, 42), "Runtime Error(#103) - Divide by Zero. Program Counter = 42");
}

TEST(ModuleErrors, MessageFormatsAndPrecedence) {
    EXPECT_EQ(HeaderErrorMessage(4), "Program is not running. CRITICAL ERROR!\r\nHeader error(#4) - ?.");
    EXPECT_EQ(PrescanErrorMessage(6, 12, 11, 1),
              "Program is not running. CRITICAL ERROR!\r\nPrescan error(#6) - Bit Operand exceed 31.\r\n"
              "Program Counter = 12\r\nInstruction = 11\r\nRung = 0");
    EXPECT_EQ(ImageCheckMessage(10, 6, 1, 2, 3), HeaderErrorMessage(10));
    EXPECT_EQ(ImageCheckMessage(0, 6, 1, 2, 3), PrescanErrorMessage(6, 1, 2, 3));
    EXPECT_EQ(ImageCheckMessage(0, 0, 1, 2, 3), std::nullopt);
    EXPECT_EQ(ImageCheckMessage(0, 103, 1, 2, 3), std::nullopt);
}

}  // namespace
}  // namespace pontra
