// SPDX-License-Identifier: GPL-3.0-or-later
// Cross reference: every place a tag or one of its members is used in the ladder rungs
// and Structured Text lines that see it, each classified as read or written. Ladder
// operands take their access from the instruction catalogue; Structured Text takes it
// from where the reference stands (left of ":=", behind "=>", a call of an instance).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class CElement;
class CProject;
class CUnit;

enum class UseAccess { Read, Written, ReadWritten };

// "read", "written", "read/written".
std::string_view UseAccessName(UseAccess access);

struct TagUse {
    CUnit* unit = nullptr;   // null: the main program
    std::string tag;         // the declared tag the reference starts with
    std::string reference;   // the operand or Structured Text reference as written (A[2].DN)
    UseAccess access = UseAccess::Read;
    // Ladder: top-level rung index (0-based), the element and its operand index.
    int rung = -1;
    const CElement* element = nullptr;
    int operand = -1;
    std::string mnemonic;
    // Structured Text: 1-based line of the unit's text (0 for ladder uses).
    int line = 0;

    bool Writes() const { return access != UseAccess::Read; }
};

// Every use of the tags declared for `unit` (null: the main program's tags and the
// controller tags), in rung order then operand order, or line order for text.
std::vector<TagUse> FindTagUses(const CProject& project, const CUnit* unit);

// The uses of one tag (and of its members, elements and bits) seen from `unit`.
std::vector<TagUse> FindTagUses(const CProject& project, const CUnit* unit, std::string_view tag);

// The references (exact text, so the same bit or member) that more than one place
// writes: "multiple writers".
std::vector<std::string> MultipleWriters(const std::vector<TagUse>& uses);

// Where the use is, for lists and terminals: "Main Routine rung 3, OTE operand 1" or
// "Ramp line 12".
std::string UsePlace(const TagUse& use);

}  // namespace pontra
