// The module's header, prescan and runtime error codes and how they are shown.
#include <gtest/gtest.h>

#include "build/ModuleErrors.h"

namespace pontra {
namespace {

TEST(ModuleErrors, HeaderTexts) {
    const std::pair<int, const char*> cases[] = {
        {1, "Controller Type is not supported"},
        {2, "PLC program size is greater then PLC file"},
        {3, "Wrong Ladder Program size"},
        {4, "?"},
        {5, "Wrong Tags size"},
        {6, "?"},
        {7, "Ladder Program Start, Ladder Program End or Tags Start in not a DWORD address"},
        {8, "Allocating RAM for Tags Error"},
        {9, "Wrong Non Volatile Tags size"},
        {10, "Non Volatile Tags size is greater then 96 bytes"},
        {100, "Connection Tags Error"},
        {11, "Unknown Error"},
        {0, "Unknown Error"},
        {-3, "Unknown Error"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(HeaderErrorText(code), text) << code;
}

TEST(ModuleErrors, PrescanTexts) {
    const std::pair<int, const char*> cases[] = {
        {1, "First instruction is not RUNG or missing RUNG or RND"},
        {6, "Bit Operand exceed 31"},
        {13, "Ladder Program length error or missing two DWORDs after END"},
        {17, "Operand Address is not aligned to WORD/DWORD"},
        {18, "Wrong Operand Type (must be 0, 1, 2, 4 or 8)"},
        {19, "Unknown Error"},
        {20, "Subroutine parameters exceed 31"},
        {31, "BRK or RET instructions can't be use in Main routine"},
        {35, "Size of an array is zero"},
        {36, "Unknown Error"},
        {99, "Unknown Error"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(PrescanErrorText(code), text) << code;
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
