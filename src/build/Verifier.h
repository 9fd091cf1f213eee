// SPDX-License-Identifier: GPL-3.0-or-later
// The checks of one verification run, shared by the driver (units, names, summary) and
// the element checks (operands, registers, arrays, scopes, call bindings).
#pragma once

#include <string>

#include "build/OperandScope.h"
#include "model/Ladder.h"

namespace pontra {

class CMainFrame;
class OutputWindow;

class Verifier {
public:
    explicit Verifier(CMainFrame& frame);
    bool Run();

private:
    // Driver (VerifyProject.cpp).
    void CheckArrayDimensions();
    void CheckTagList(TagList& tags);
    void VerifyMainProgram();
    void VerifyFunctionBlock(CUnit& unit);
    void VerifyType(CUnit& unit);
    void CheckRungs(const UnitScope& scope, RungList& rungs);
    void NoteGeneratedOperands(const UnitScope& scope, const CRung& rung);
    void WarnUnused(const TagList& tags);
    int CountErrors() const;

    // Element checks (VerifyElements.cpp).
    void CheckElements(const UnitScope& scope, const CRung& rungOrLeg, int rung);
    void CheckElement(const UnitScope& scope, const CElement& element, int rung);
    void CheckOperand(const UnitScope& scope, const CElement& element, int rung, int index);
    void CheckTagOperand(const UnitScope& scope, const CElement& element, int rung, int index, const TagRef& ref);
    void CheckArrayOperand(const UnitScope& scope, const CElement& element, int rung, int index);
    void CheckRegister(const CElement& element, int rung, int index);
    void CheckCallBindings(const UnitScope& scope, const CElement& element, int rung, const TagRef& instance);
    void CheckScope(const CElement& element, int rung, int index, const TagRef& ref, int access,
                    const std::string& suffix);
    void MarkUsed(const UnitScope& scope, const TagRef& ref);
    void EnsureScratchTags(const UnitScope& scope);

    void ElementError(const CElement& element, int rung, int operand, const std::string& text);
    void WholeElementError(const CElement& element, int rung, const std::string& text);

    CMainFrame& frame_;
    CProject& project_;
    OutputWindow& output_;
    std::string firstFailedText_;  // the first Structured Text unit whose compile failed
};

}  // namespace pontra
