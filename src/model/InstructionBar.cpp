// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/InstructionBar.h"

#include <array>

namespace pontra {

namespace {

struct TabKinds {
    const char* title;
    std::array<int, 9> kinds;  // buttons 3..11; 0 = no button
};

constexpr TabKinds kTabs[] = {
    {"Bit", {2, 3, 4, 8, 9, 10, 11, 12, 0}},
    {"Timer/Counter", {13, 14, 15, 16, 17, 18, 0, 0, 0}},
    {"Compare", {27, 28, 29, 30, 31, 32, 33, 34, 0}},
    {"Compute/Math", {19, 20, 21, 22, 35, 37, 38, 0, 0}},
    {"Move/Logical", {23, 39, 24, 25, 26, 41, 42, 69, 70}},
    {"Module Specific", {57, 58, 59, 60, 61, 0, 0, 0, 0}},
    {"Program Control", {46, 47, 62, 63, 0, 0, 0, 0, 0}},
};
constexpr size_t kModuleSpecificTab = 5;

constexpr std::string_view kDistanceTypes[] = {"Vessa",          "VessaK1", "Vessa-Lite", "VessaK2",   "Kormo",
                                               "VessaK2/K3-48V", "VessaK3", "KTX-310-1",  "KTX-310-B", "KTX-310-0"};

}  // namespace

bool HasRegisterButtons(std::string_view controllerType) { return controllerType != "Aldera"; }

bool HasDistanceButtons(std::string_view controllerType) {
    for (auto t : kDistanceTypes)
        if (t == controllerType) return true;
    return false;
}

std::vector<BarTab> InstructionBar(std::string_view controllerType) {
    std::vector<BarTab> tabs;
    for (size_t t = 0; t < std::size(kTabs); ++t) {
        BarTab tab{kTabs[t].title, {}};
        tab.buttons.push_back({0, BarButtonAction::InsertRung, 0});
        tab.buttons.push_back({1, BarButtonAction::InsertBranch, 0});
        tab.buttons.push_back({2, BarButtonAction::AddBranchLeg, 0});
        for (size_t b = 0; b < kTabs[t].kinds.size(); ++b) {
            int kind = kTabs[t].kinds[b];
            if (kind == 0) continue;
            if (t == kModuleSpecificTab) {
                bool isRegister = kind == 57 || kind == 58 || kind == 59;
                if (isRegister && !HasRegisterButtons(controllerType)) continue;
                if (!isRegister && !HasDistanceButtons(controllerType)) continue;
            }
            tab.buttons.push_back({static_cast<int>(b) + 3, BarButtonAction::InsertElement, kind});
        }
        tabs.push_back(std::move(tab));
    }
    return tabs;
}

}  // namespace pontra
