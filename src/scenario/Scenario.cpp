// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/Scenario.h"

namespace pontra::scenario {

const char* ComparisonText(Comparison comparison) {
    switch (comparison) {
    case Comparison::Equal: return "=";
    case Comparison::NotEqual: return "<>";
    case Comparison::Less: return "<";
    case Comparison::LessOrEqual: return "<=";
    case Comparison::Greater: return ">";
    case Comparison::GreaterOrEqual: return ">=";
    }
    return "=";
}

std::string ScenarioError::Text() const {
    if (at.line == 0) return path + ": error: " + message;  // the file as a whole
    return path + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) + ": error: " + message;
}

}  // namespace pontra::scenario
