// SPDX-License-Identifier: GPL-3.0-or-later
// Which parts of a rung carry power, for the online display: computed left to right
// from the live values through series and branches as the module's scan does. A
// condition passes power when its input has power and its test holds; an output
// passes its input on; a branch's close has power when any leg ends with power. A
// value that is not known (no valid read yet, a name that resolves to nothing)
// counts as a failed test, so nothing is drawn energised on a guess.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "model/Ladder.h"

namespace pontra {

struct ElementPower {
    bool in = false;   // the wire into the element
    bool out = false;  // the wire leaving it
};

struct RungPower {
    std::unordered_map<const CElement*, ElementPower> elements;
    // Power at the end of each list (a leg's end meets its branch's close).
    std::unordered_map<const CRung*, bool> listEnd;

    ElementPower Of(const CElement* element) const {
        const auto found = elements.find(element);
        return found == elements.end() ? ElementPower{} : found->second;
    }
    bool End(const CRung* list) const {
        const auto found = listEnd.find(list);
        return found != listEnd.end() && found->second;
    }
};

// The live value of an operand text (a tag, a member or a literal), none when unknown.
using OperandValue = std::function<std::optional<int32_t>(std::string_view operand)>;

// The test of a condition element on its operands' values; none for elements that are
// no condition (outputs, boxes that pass power on).
std::optional<bool> ConditionHolds(const CElement& element, const OperandValue& value);

RungPower ComputeRungPower(const CRung& rung, const OperandValue& value);

}  // namespace pontra
