// SPDX-License-Identifier: GPL-3.0-or-later
// Program units other than the main program: function blocks and user-defined types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Ladder.h"
#include "model/Tag.h"

namespace pontra {

enum UnitKind : uint8_t { kUnitFunctionBlock = 1, kUnitType = 3 };
enum UnitLanguage : uint8_t { kLanguageLadder = 0, kLanguageST = 1 };

constexpr size_t kMaxSTLineLength = 512;

class CUnit {
public:
    CUnit() = default;
    CUnit(std::string name, uint8_t kind, uint8_t language = kLanguageLadder)
        : name(std::move(name)), kind(kind), language(language) {}
    CUnit(const CUnit&) = delete;
    CUnit& operator=(const CUnit&) = delete;

    std::string name;
    uint8_t kind = kUnitFunctionBlock;
    uint8_t language = kLanguageLadder;
    int codeAddress = 0;
    int instanceSize = 0;
    RungList rungs;                 // ladder function blocks
    std::vector<std::string> text;  // Structured Text function blocks: the lines, at most 512 chars each
    int work1 = 0;
    int editor = 0;  // whether an editor shows the unit; the model stands in for it
    TagList tags;    // function block: parameters and locals; type: member declarations as read
    TagList tags2;   // working list (not saved): scratch tags of a build
    TagList stVariables;  // working list (not saved): variables the Structured Text compiler adds
    int work3 = 0, work4 = 0;

    bool IsFunctionBlock() const { return kind == kUnitFunctionBlock; }
    bool IsType() const { return kind == kUnitType; }
    bool IsStructuredText() const { return kind == kUnitFunctionBlock && language == kLanguageST; }
};

using UnitList = std::vector<std::unique_ptr<CUnit>>;

}  // namespace pontra
