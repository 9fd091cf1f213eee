// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/ModuleErrors.h"

#include <array>

namespace pontra {

namespace {

constexpr const char* kUnknown = "Unknown Error";

constexpr std::array<const char*, 11> kHeaderTexts = {
    nullptr,
    "Controller Type is not supported",
    "PLC program size is greater then PLC file",
    "Wrong Ladder Program size",
    "?",
    "Wrong Tags size",
    "?",
    "Ladder Program Start, Ladder Program End or Tags Start in not a DWORD address",
    "Allocating RAM for Tags Error",
    "Wrong Non Volatile Tags size",
    "Non Volatile Tags size is greater then 96 bytes",
};

constexpr std::array<const char*, 36> kPrescanTexts = {
    nullptr,
    "First instruction is not RUNG or missing RUNG or RND",
    "Invalid Instruction Code",
    "BST number is different then BND number in one Rung",
    "BST number is different then NXB number in one Rung",
    "Too low stack for BST/BND instructions",
    "Bit Operand exceed 31",
    "Bit Operand Address >= Tags Size",
    "Timer Operand Address >= Tags Size",
    "Operand Address >= Tags Size",
    "Operand Address must be Tag Address",
    "Wrong JMP or JSR instructions",
    "Wrong MCR (must be even count)",
    "Ladder Program length error or missing two DWORDs after END",
    "Missing END of Ladder Program",
    "Missing RUNG or RND (must be equal)",
    "LBL is not first instruction of Rung",
    "Operand Address is not aligned to WORD/DWORD",
    "Wrong Operand Type (must be 0, 1, 2, 4 or 8)",
    nullptr,  // 19 has no text of its own
    "Subroutine parameters exceed 31",
    "Wrong Address of JSR or FOR instructions",
    "SBR must be first instruction in Rung",
    "JSR parameters (inputs and outputs) are different",
    "SBR parameters must be Tags",
    "Only one SBR must be in routine",
    "Each routine must finish with RET, RND or END",
    "Shouldn't have SBR in Main routine",
    "Before FOR(code 69) must be FOR(code 63) init",
    "Routine address in FOR must start first Rung",
    "FOR parameters must be Zero (4 DWORDs)",
    "BRK or RET instructions can't be use in Main routine",
    "Order Type (0, 1, 2) exceed 2",
    "In SWP if Source Operand is DWORD then Dest Operand must be DWORD",
    "Wrong Operand Type in SWP",
    "Size of an array is zero",
};

struct RuntimeText {
    int code;
    const char* text;
};
constexpr RuntimeText kRuntimeTexts[] = {
    {100, "The End of Stack"},
    {101, "The numbers of JSR out parameters is different then in parameters"},
    {102, "FOR instruction Step Size is Zero"},
    {103, "Divide by Zero"},
    {104, "Array index is out of range"},
    {111, "Incorrect Instruction - Online"},
};

template <size_t N>
std::string Lookup(const std::array<const char*, N>& table, int code) {
    if (code < 0 || static_cast<size_t>(code) >= N || !table[static_cast<size_t>(code)]) return kUnknown;
    return table[static_cast<size_t>(code)];
}

}  // namespace

std::string HeaderErrorText(int code) {
    if (code == 100) return "Connection Tags Error";
    return Lookup(kHeaderTexts, code);
}

std::string PrescanErrorText(int code) { return Lookup(kPrescanTexts, code); }

std::optional<std::string> RuntimeErrorText(int code) {
    for (const auto& entry : kRuntimeTexts)
        if (entry.code == code) return std::string(entry.text);
    return std::nullopt;
}

std::string HeaderErrorMessage(int code) {
    return "Program is not running. CRITICAL ERROR!\r\nHeader error(#" + std::to_string(code) + ") - " +
           HeaderErrorText(code) + ".";
}

std::string PrescanErrorMessage(int code, int programCounter, int instruction, int rungField) {
    return "Program is not running. CRITICAL ERROR!\r\nPrescan error(#" + std::to_string(code) + ") - " +
           PrescanErrorText(code) + ".\r\nProgram Counter = " + std::to_string(programCounter) +
           "\r\nInstruction = " + std::to_string(instruction) + "\r\nRung = " + std::to_string(rungField - 1);
}

std::optional<std::string> RuntimeErrorLine(int code, int programCounter) {
    auto text = RuntimeErrorText(code);
    if (!text) return std::nullopt;
    return "Runtime Error(#" + std::to_string(code) + ") - " + *text + ". Program Counter = " +
           std::to_string(programCounter);
}

std::optional<std::string> ImageCheckMessage(int headerCode, int errorCode, int programCounter, int instruction,
                                             int rungField) {
    if (headerCode != 0) return HeaderErrorMessage(headerCode);
    if (errorCode >= 1 && errorCode <= 99) return PrescanErrorMessage(errorCode, programCounter, instruction, rungField);
    return std::nullopt;
}

}  // namespace pontra
