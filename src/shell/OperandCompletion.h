// SPDX-License-Identifier: GPL-3.0-or-later
// The names the in-place operand editor offers: every tag and member the element's unit
// can name whose type the operand accepts (after aliases), as the verifier judges it.
#pragma once

#include <string>
#include <vector>

namespace pontra {

class CElement;
class CMainFrame;
class CUnit;

struct OperandCandidate {
    std::string name;
    std::string dataType;
    std::string description;
};

// In the order of the unit's tag lists, members after their tag; at most kMaxCandidates.
std::vector<OperandCandidate> OperandCandidates(CMainFrame& frame, CUnit* unit, const CElement& element, int operand);
constexpr size_t kMaxCandidates = 20000;

}  // namespace pontra
