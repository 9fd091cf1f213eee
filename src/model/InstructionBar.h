// SPDX-License-Identifier: GPL-3.0-or-later
// The ladder editor's instruction bar as data: seven tabs of buttons, each button
// command 34000 + its index. Buttons 0-2 are structural and the same on every tab.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pontra {

constexpr int kInstructionBarFirstCommand = 34000;

enum class BarButtonAction {
    InsertRung,    // button 0: a new rung after the current rung
    InsertBranch,  // button 1: a branch after the selected element
    AddBranchLeg,  // button 2: a leg on the branch enclosing the selection
    InsertElement  // buttons 3+: an element of `kind` after the selected element
};

struct BarButton {
    int index = 0;  // command = kInstructionBarFirstCommand + index
    BarButtonAction action = BarButtonAction::InsertElement;
    int kind = 0;  // element kind for InsertElement
    int Command() const { return kInstructionBarFirstCommand + index; }
};

struct BarTab {
    std::string title;
    std::vector<BarButton> buttons;
};

// The seven tabs with their buttons for a controller type, in order: "Bit",
// "Timer/Counter", "Compare", "Compute/Math", "Move/Logical", "Module Specific",
// "Program Control". Only "Module Specific" depends on the type.
std::vector<BarTab> InstructionBar(std::string_view controllerType);

// Whether RDR/WRR/WRC and DOL/DOR are offered for a controller type.
bool HasRegisterButtons(std::string_view controllerType);
bool HasDistanceButtons(std::string_view controllerType);

}  // namespace pontra
