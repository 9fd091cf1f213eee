// SPDX-License-Identifier: GPL-3.0-or-later
// The ladder instruction set: what a freshly constructed element of each kind holds,
// and the mnemonic table that turns text back into kinds.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "model/Ladder.h"

namespace pontra {

struct CatalogueOperand {
    const char* label = "";
    const char* allowedTypes = "";
    int valueRow = kValueRowNone;
    int access = kAccessNone;
    bool prepared = false;  // the constructor puts "?" into a prepared operand
};

struct CatalogueEntry {
    int kind = 0;
    const char* mnemonic = "";
    const char* description = "";
    int operandCount = 1;
    std::array<CatalogueOperand, kMaxOperands> operands{};
    int outputInstruction = 0;
    int descriptionOperand = 0;
};

// The entry for a kind, or null for kinds without one (0, 6, 40, 43, 64-68, 71+).
const CatalogueEntry* FindCatalogueEntry(int kind);

// Every entry, in kind order.
std::span<const CatalogueEntry> CatalogueEntries();

// Kind for one of the 48 instruction mnemonics (exact, case-sensitive), else -1.
int MnemonicToKind(std::string_view mnemonic);

// True exactly for the 48 mnemonics of the mnemonic table.
bool IsInstructionMnemonic(std::string_view mnemonic);

struct MnemonicKind {
    const char* mnemonic;
    int kind;
};
std::span<const MnemonicKind> MnemonicTable();

// Fills an element from its catalogue entry (used by the CElement constructor).
void ApplyCatalogue(CElement& element);

}  // namespace pontra
