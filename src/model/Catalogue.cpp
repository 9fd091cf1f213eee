// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Catalogue.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "model/CompilerQuirks.h"

namespace pontra {

namespace {

// Allowed-type lists, literally as the verifier matches them (some lists carry a
// backslash only on their first type).
constexpr const char* kBool = "\\BOOL;";
constexpr const char* kTimer = "\\TIMER;";
constexpr const char* kCounter = "\\COUNTER;";
constexpr const char* kTimerCounter = "\\TIMER; \\COUNTER;";
constexpr const char* kNumberOrInt = "\\SINT; \\INT; \\DINT; \\NUMBER;";
constexpr const char* kInt = "\\SINT; \\INT; \\DINT;";
constexpr const char* kIntOneSlash = "\\SINT; INT; DINT;";
constexpr const char* kNumber = "\\NUMBER;";
constexpr const char* kDint = "\\DINT;";
constexpr const char* kControl = "\\CONTROL;";
constexpr const char* kLabelName = "\\LABEL NAME;";
constexpr const char* kRoutineName = "\\ROUTINE NAME;";
constexpr const char* kAnyData = "\\BOOL; SINT; INT; DINT; STRUCT;";

constexpr int R = kAccessRead;
constexpr int W = kAccessWritten;

constexpr CatalogueOperand Op(const char* label, const char* types, int row, int access) {
    return CatalogueOperand{label, types, row, access, true};
}
// A caption only: shown in the box, nothing stored (timer and counter Preset/Accum).
constexpr CatalogueOperand Caption(const char* label) { return CatalogueOperand{label, "", 0, 0, false}; }

constexpr CatalogueEntry Bit(int kind, const char* mnemonic, const char* description, int access, int output) {
    return {kind, mnemonic, description, 1, {Op("", kBool, 0, access)}, output, 0};
}
constexpr CatalogueEntry TimerLike(int kind, const char* mnemonic, const char* description, const char* label,
                                   const char* types) {
    return {kind, mnemonic, description, 1, {Op(label, types, 2, 0), Caption("Preset"), Caption("Accum")}, 1, 0};
}
constexpr CatalogueEntry Math3(int kind, const char* mnemonic, const char* description, const char* a,
                               const char* b) {
    return {kind, mnemonic, description, 3,
            {Op(a, kNumberOrInt, 1, R), Op(b, kNumberOrInt, 1, R), Op("Dest", kInt, 1, W)}, 1, 2};
}
constexpr CatalogueEntry Math2(int kind, const char* mnemonic, const char* description) {
    return {kind, mnemonic, description, 2, {Op("Source", kNumberOrInt, 1, R), Op("Dest", kInt, 1, W)}, 1, 1};
}
constexpr CatalogueEntry Compare2(int kind, const char* mnemonic, const char* description) {
    return {kind, mnemonic, description, 2, {Op("Source A", kNumberOrInt, 1, R), Op("Source B", kNumberOrInt, 1, R)},
            0, 0};
}
constexpr CatalogueEntry NoOperands(int kind, const char* mnemonic, int output) {
    return {kind, mnemonic, "", 0, {}, output, 0};
}
constexpr CatalogueEntry BitShift(int kind, const char* mnemonic) {
    return {kind, mnemonic, "", 4, {Op("", kDint, 0, 0), Op("", kControl, 0, 0), Op("", kBool, 0, 0), Op("", kDint, 0, 0)},
            1, 0};
}
constexpr CatalogueEntry WriteRegister(int kind, const char* mnemonic, const char* description) {
    return {kind, mnemonic, description, 2, {Op("Source", kIntOneSlash, 1, R), Op("Reg No", kNumber, 0, 0)}, 1, 0};
}

constexpr CatalogueEntry kCatalogue[] = {
    {1, "Rung", "", 1, {}, 0, 0},
    Bit(2, "XIC", "-| |-", R, 0),
    Bit(3, "XIO", "-|/|-", R, 0),
    Bit(4, "OTE", "-( )-", W, 1),
    {5, "Branch", "", 0, {}, 0, 0},
    {7, "Branch Level", "", 1, {}, 0, 0},
    Bit(8, "OTU", "-(U)-", W, 1),
    Bit(9, "OTL", "-(L)-", W, 1),
    {10, "ONS", "One Shot", 1, {Op("", kBool, 0, R)}, 0, 0},
    {11, "OSR", "One Shot Rising", 2, {Op("Storage Bit", kBool, 0, W), Op("Output Bit", kBool, 0, W)}, 1, 0},
    {12, "OSF", "One Shot Falling", 2, {Op("Storage Bit", kBool, 0, W), Op("Output Bit", kBool, 0, W)}, 1, 0},
    TimerLike(13, "TON", "Timer On Delay", "Timer", kTimer),
    TimerLike(14, "TOF", "Timer Off Delay", "Timer", kTimer),
    TimerLike(15, "RTO", "Retentive Timer On", "Timer", kTimer),
    TimerLike(16, "CTU", "Count Up", "Counter", kCounter),
    TimerLike(17, "CTD", "Count Down", "Counter", kCounter),
    {18, "RES", "Reset", 1, {Op("", kTimerCounter, 0, 0)}, 1, 0},
    Math3(19, "ADD", "Add", "Source A", "Source B"),
    Math3(20, "SUB", "Subtract", "Source A", "Source B"),
    Math3(21, "MUL", "Multiply", "Source A", "Source B"),
    Math3(22, "DIV", "Divide", "Source A", "Source B"),
    Math2(23, "MOV", "Move"),
    Math3(24, "AND", "Bitwise AND", "Source A", "Source B"),
    Math3(25, "OR", "Bitwise OR", "Source A", "Source B"),
    Math3(26, "XOR", "Bitwise Exclusive OR", "Source A", "Source B"),
    {27, "LIM", "Limit Test (CIRC)", 3,
     {Op("Low Limit", kNumberOrInt, 1, R), Op("Test", kNumberOrInt, 1, R), Op("High Limit", kNumberOrInt, 1, R)}, 0, 1},
    {28, "MEQ", "Mask Equal", 3,
     {Op("Source", kNumberOrInt, 1, R), Op("Mask", kNumberOrInt, 1, R), Op("Compare", kNumberOrInt, 1, R)}, 0, 0},
    Compare2(29, "EQU", "Equal"),
    Compare2(30, "NEQ", "Not Equal"),
    Compare2(31, "LES", "Less Than (A<B)"),
    Compare2(32, "GRT", "Greater Than (A>B)"),
    Compare2(33, "LEQ", "Less Than or Equal"),
    Compare2(34, "GEQ", "Grtr Than or Eql"),
    Math3(35, "MOD", "Modulo", "Source A", "Source B"),
    Math2(36, "SQR", "Square Root"),
    Math2(37, "NEG", "Negate"),
    Math2(38, "ABS", "Absolute Value"),
    Math3(39, "MVM", "Masked Move", "Source", "Mask"),
    Math2(41, "NOT", "Bitwise NOT"),
    {42, "CLR", "Clear", 1, {Op("Dest", kInt, 1, W)}, 1, 0},
    BitShift(44, "BSL"),
    BitShift(45, "BSR"),
    {46, "JMP", "Jump to Label", 1, {Op("", kLabelName, 0, 0)}, 1, 0},
    {47, "LBL", "Label", 1, {Op("", kLabelName, 0, 0)}, 0, 0},
    // Three operands are prepared but only two are counted.
    {48, "JSR", "Jump to Subroutine", 2,
     {Op("Routine Name", kRoutineName, 0, 0), Op("Input Par", kAnyData, 0, 0), Op("Return Par", kAnyData, 0, 0)}, 1, 0},
    {49, "RET", "Return", 1, {Op("Return Par", kAnyData, 0, W)}, 1, 0},
    {50, "SBR", "Subroutine", 1, {Op("Input Par", kAnyData, 0, R)}, 0, 0},
    NoOperands(51, "TND", 1),
    NoOperands(52, "MCR", 1),
    NoOperands(53, "AFI", 0),
    NoOperands(54, "NOP", 1),
    {55, "FOR", "", 5,
     {Op("", kRoutineName, 0, 0), Op("", kDint, 1, 0), Op("", kIntOneSlash, 0, 0), Op("", kIntOneSlash, 0, 0),
      Op("", kIntOneSlash, 0, 0)},
     0, 0},
    NoOperands(56, "BRK", 1),
    {57, "RDR", "Read Register", 2, {Op("Reg No", kNumber, 0, 0), Op("Dest", kIntOneSlash, 1, W)}, 1, 1},
    WriteRegister(58, "WRR", "Write Register"),
    WriteRegister(59, "WRC", "Write Register Comm"),
    TimerLike(60, "DOL", "Distance On Left", "Timer", kTimer),
    TimerLike(61, "DOR", "Distance On Right", "Timer", kTimer),
    {62, "JFB", "Jump to Function Block", 1, {Op("FB Tag", kAnyData, 0, 0)}, 1, 0},
    NoOperands(63, "RFB", 1),
    Math3(69, "SHL", "Shift Left", "Source", "Shift"),
    Math3(70, "SHR", "Shift Right", "Source", "Shift"),
};

constexpr MnemonicKind kMnemonics[] = {
    {"XIC", 2},  {"XIO", 3},  {"OTE", 4},  {"OTU", 8},  {"OTL", 9},  {"ONS", 10}, {"OSR", 11}, {"OSF", 12},
    {"TON", 13}, {"TOF", 14}, {"RTO", 15}, {"CTU", 16}, {"CTD", 17}, {"RES", 18}, {"ADD", 19}, {"SUB", 20},
    {"MUL", 21}, {"DIV", 22}, {"MOV", 23}, {"AND", 24}, {"OR", 25},  {"XOR", 26}, {"LIM", 27}, {"MEQ", 28},
    {"EQU", 29}, {"NEQ", 30}, {"LES", 31}, {"GRT", 32}, {"LEQ", 33}, {"GEQ", 34}, {"MOD", 35}, {"NEG", 37},
    {"ABS", 38}, {"MVM", 39}, {"NOT", 41}, {"CLR", 42}, {"JMP", 46}, {"LBL", 47}, {"RDR", 57}, {"WRR", 58},
    {"WRC", 59}, {"DOL", 60}, {"DOR", 61}, {"JFB", 62}, {"RFB", 63}, {"FBK", 64}, {"SHL", 69}, {"SHR", 70},
};
static_assert(std::size(kMnemonics) == 48, "the mnemonic table has exactly 48 entries");

}  // namespace

// Every element constructed looks its kind up, and every element compiled its mnemonic:
// both go through tables made once.
const CatalogueEntry* FindCatalogueEntry(int kind) {
    static const auto byKind = [] {
        std::array<const CatalogueEntry*, 128> table{};
        for (const auto& entry : kCatalogue)
            if (entry.kind >= 0 && entry.kind < static_cast<int>(table.size()) && !table[static_cast<size_t>(entry.kind)])
                table[static_cast<size_t>(entry.kind)] = &entry;
        return table;
    }();
    if (kind >= 0 && kind < static_cast<int>(byKind.size())) return byKind[static_cast<size_t>(kind)];
    for (const auto& entry : kCatalogue)
        if (entry.kind == kind) return &entry;
    return nullptr;
}

std::span<const CatalogueEntry> CatalogueEntries() { return kCatalogue; }

std::span<const MnemonicKind> MnemonicTable() { return kMnemonics; }

int MnemonicToKind(std::string_view mnemonic) {
    static const auto byMnemonic = [] {
        std::unordered_map<std::string_view, int> table;
        for (const auto& m : kMnemonics) table.try_emplace(m.mnemonic, m.kind);
        return table;
    }();
    const auto found = byMnemonic.find(mnemonic);
    return found == byMnemonic.end() ? -1 : found->second;
}

bool IsInstructionMnemonic(std::string_view mnemonic) { return MnemonicToKind(mnemonic) != -1; }

void ApplyCatalogue(CElement& element) {
    const CatalogueEntry* entry = FindCatalogueEntry(element.kind);
    if (!entry) return;
    element.mnemonic = entry->mnemonic;
    element.description = entry->description;
    element.operandCount = entry->operandCount;
    element.outputInstruction = entry->outputInstruction;
    element.descriptionOperand = entry->descriptionOperand;
    for (int i = 0; i < kMaxOperands; ++i) {
        const CatalogueOperand& op = entry->operands[static_cast<size_t>(i)];
        // A one-character assignment: GCC 12's -Wrestrict report on it is false.
        PONTRA_GCC_STRING_WRESTRICT_BEGIN
        if (op.prepared) element.operands[static_cast<size_t>(i)] = "?";
        PONTRA_GCC_STRING_WRESTRICT_END
        element.allowedTypes[static_cast<size_t>(i)] = op.allowedTypes;
        element.valueRow[static_cast<size_t>(i)] = op.valueRow;
        element.access[static_cast<size_t>(i)] = op.access;
        element.labels[static_cast<size_t>(i)] = op.label;
    }
}

}  // namespace pontra
