// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <set>

#include "model/Catalogue.h"
#include "model/ControllerTypes.h"
#include "model/InstructionBar.h"

namespace pontra {
namespace {

TEST(Catalogue, EveryMnemonicConstructsItsOwnElement) {
    EXPECT_EQ(MnemonicTable().size(), 48u);
    for (const auto& m : MnemonicTable()) {
        CElement e(MnemonicToKind(m.mnemonic));
        EXPECT_EQ(e.kind, m.kind);
        if (m.kind == 64) {
            EXPECT_EQ(e.mnemonic, "");  // FBK has a mnemonic but no catalogue entry
        } else {
            EXPECT_EQ(e.mnemonic, m.mnemonic);
        }
        EXPECT_TRUE(IsInstructionMnemonic(m.mnemonic));
    }
}

TEST(Catalogue, TextsOutsideTheMnemonicTableGiveMinusOne) {
    for (const char* text : {"xic", "RUNG", "Rung", "Branch", "SQR", "BSL", "BSR", "JSR", "RET", "SBR", "TND", "MCR",
                             "AFI", "NOP", "FOR", "BRK", "", "XIC "}) {
        EXPECT_EQ(MnemonicToKind(text), -1) << text;
        EXPECT_FALSE(IsInstructionMnemonic(text)) << text;
    }
    EXPECT_EQ(MnemonicToKind("FBK"), 64);
}

TEST(Catalogue, TimerStoresOneOperandButCaptionsItsMembers) {
    CElement ton(13);
    EXPECT_EQ(ton.operandCount, 1);
    EXPECT_EQ(ton.operands[0], "?");
    EXPECT_EQ(ton.operands[1], "");
    EXPECT_EQ(ton.allowedTypes[0], "\\TIMER;");
    EXPECT_EQ(ton.labels[0], "Timer");
    EXPECT_EQ(ton.labels[1], "Preset");
    EXPECT_EQ(ton.labels[2], "Accum");
    EXPECT_EQ(ton.valueRow[0], kValueRowTimerCounter);
    EXPECT_EQ(ton.description, "Timer On Delay");
    EXPECT_EQ(ton.outputInstruction, 1);
}

TEST(Catalogue, JsrPreparesThreeOperandsButCountsTwo) {
    CElement jsr(48);
    EXPECT_EQ(jsr.operandCount, 2);
    EXPECT_EQ(jsr.operands[2], "?");
    EXPECT_EQ(jsr.labels[2], "Return Par");
}

TEST(Catalogue, KindsWithoutEntryKeepDefaults) {
    for (int kind : {0, 6, 40, 43, 64, 65, 68, 71, 200}) {
        CElement e(kind);
        EXPECT_EQ(e.mnemonic, "") << kind;
        EXPECT_EQ(e.operandCount, 1) << kind;
        EXPECT_EQ(e.operands[0], "") << kind;
        EXPECT_EQ(e.outputInstruction, 0) << kind;
    }
}

TEST(Catalogue, AllowedTypeListsAreLiteral) {
    EXPECT_EQ(CElement(58).allowedTypes[0], "\\SINT; INT; DINT;");  // only the first type has a backslash
    EXPECT_EQ(CElement(19).allowedTypes[0], "\\SINT; \\INT; \\DINT; \\NUMBER;");
    EXPECT_EQ(CElement(19).allowedTypes[2], "\\SINT; \\INT; \\DINT;");
    EXPECT_EQ(CElement(62).allowedTypes[0], "\\BOOL; SINT; INT; DINT; STRUCT;");
    EXPECT_EQ(CElement(18).allowedTypes[0], "\\TIMER; \\COUNTER;");
    // Every list in use is one of the thirteen.
    const std::set<std::string> lists = {"\\BOOL;", "\\TIMER;", "\\COUNTER;", "\\TIMER; \\COUNTER;",
                                         "\\SINT; \\INT; \\DINT; \\NUMBER;", "\\SINT; \\INT; \\DINT;",
                                         "\\SINT; INT; DINT;", "\\NUMBER;", "\\DINT;", "\\CONTROL;",
                                         "\\LABEL NAME;", "\\ROUTINE NAME;", "\\BOOL; SINT; INT; DINT; STRUCT;"};
    for (const auto& entry : CatalogueEntries())
        for (const auto& op : entry.operands)
            if (op.prepared) {
                EXPECT_TRUE(lists.count(op.allowedTypes)) << entry.mnemonic << " " << op.allowedTypes;
            }
}

TEST(Catalogue, OperandAccessAndDescriptionOperand) {
    struct Case {
        int kind;
        int count, output, descriptionOperand;
        std::array<int, 3> access;
    };
    const Case cases[] = {
        {2, 1, 0, 0, {kAccessRead, 0, 0}},                  // XIC
        {4, 1, 1, 0, {kAccessWritten, 0, 0}},               // OTE
        {11, 2, 1, 0, {kAccessWritten, kAccessWritten, 0}}, // OSR
        {19, 3, 1, 2, {kAccessRead, kAccessRead, kAccessWritten}},
        {23, 2, 1, 1, {kAccessRead, kAccessWritten, 0}},
        {27, 3, 0, 1, {kAccessRead, kAccessRead, kAccessRead}},
        {57, 2, 1, 1, {0, kAccessWritten, 0}},              // RDR
        {58, 2, 1, 0, {kAccessRead, 0, 0}},                 // WRR
        {63, 0, 1, 0, {0, 0, 0}},                           // RFB
    };
    for (const auto& c : cases) {
        CElement e(c.kind);
        EXPECT_EQ(e.operandCount, c.count) << c.kind;
        EXPECT_EQ(e.outputInstruction, c.output) << c.kind;
        EXPECT_EQ(e.descriptionOperand, c.descriptionOperand) << c.kind;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(e.access[static_cast<size_t>(i)], c.access[static_cast<size_t>(i)]) << c.kind;
    }
}

TEST(InstructionBar, EveryButtonNamesAnInstructionOfTheMnemonicTable) {
    for (const char* type : ControllerPropertiesTypes()) {
        auto tabs = InstructionBar(type);
        ASSERT_EQ(tabs.size(), 7u);
        for (const auto& tab : tabs) {
            ASSERT_GE(tab.buttons.size(), 3u);
            EXPECT_EQ(tab.buttons[0].action, BarButtonAction::InsertRung);
            EXPECT_EQ(tab.buttons[2].Command(), 34002);
            for (const auto& b : tab.buttons) {
                if (b.action != BarButtonAction::InsertElement) continue;
                const CatalogueEntry* entry = FindCatalogueEntry(b.kind);
                ASSERT_NE(entry, nullptr) << tab.title << " " << b.index;
                EXPECT_EQ(MnemonicToKind(entry->mnemonic), b.kind);
            }
        }
    }
}

TEST(InstructionBar, ModuleSpecificTabFollowsControllerType) {
    auto kinds = [](const char* type) {
        std::vector<int> result;
        const auto bar = InstructionBar(type);  // the range below must not outlive it
        for (const auto& b : bar[5].buttons)
            if (b.action == BarButtonAction::InsertElement) result.push_back(b.kind);
        return result;
    };
    EXPECT_EQ(kinds("Vessa"), (std::vector<int>{57, 58, 59, 60, 61}));
    EXPECT_EQ(kinds("KTX-310-B"), (std::vector<int>{57, 58, 59, 60, 61}));
    EXPECT_EQ(kinds("Brindle"), (std::vector<int>{57, 58, 59}));
    EXPECT_EQ(kinds("Oskel"), (std::vector<int>{57, 58, 59}));
    EXPECT_TRUE(kinds("Aldera").empty());
    EXPECT_EQ(InstructionBar("Vessa")[4].buttons.back().Command(), 34011);  // SHR
}

}  // namespace
}  // namespace pontra
