// SPDX-License-Identifier: GPL-3.0-or-later
// The translation of an instruction list into ladder rungs of the unit. The list's
// accumulator lives in two places: a Boolean value is the rung condition, a number is
// the "pending operand" (a tag, a literal or "_Acc") that the next instruction reads.
//
// Rung boundaries. Word instructions (moves, arithmetic, register reads and writes, RFB,
// an unconditional JMP) run only while their rung's condition holds, but a list
// instruction always runs; so they never follow a condition on the same rung: a rung
// that holds a contact, a comparison or a bit operation is closed before one is added.
// A rung is also closed by every Boolean store (OTE, OTL, OTU), by a conditional jump,
// and before a label, a Boolean load or an expanded timer or counter call. A JFB always
// calls and leaves the condition set, so words may follow it.
//
// Values that change place: a number used as a Boolean gives its lowest bit to the rung
// condition (a literal needs no element); a rung condition used as a number becomes 1 or
// 0 in "_Acc" through a pair of jumps.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/Ladder.h"
#include "st/Lexer.h"

namespace pontra {

class CProject;
class CUnit;
class SymbolEntry;

constexpr const char* kBitOperation = "_BIT_OPERATION";

class IlTranslator {
public:
    // `variables` is the compiled unit's symbol entry (types of names and temporaries);
    // labels the translation needs continue after `lastStatementNumber`.
    IlTranslator(const CProject& project, CUnit& unit, const SymbolEntry& variables, int lastStatementNumber,
                 CompilerErrorFn error);

    // Appends the rungs for every line to the unit. False when a line could not be
    // translated (reported through the error function).
    bool Translate(const std::vector<std::string>& lines, const std::vector<int>& sourceLines);

private:
    void Line(const std::string& opcode, const std::string& operand);
    void Bare(const std::string& word);

    // Rungs and elements
    CElement& Add(const char* mnemonic, std::initializer_list<std::string_view> operands);
    static std::unique_ptr<CRung> FreshRung();
    void CloseRung();
    void Unconditional();
    void Label(const std::string& label);
    std::string NextLabelNumber();

    // The value in the accumulator
    std::string PendingValue();
    std::string OperandValue(const std::string& operand);
    void ConditionFromPending();
    void ValueFromCondition();
    void NumericPending();

    // Instructions
    void Load(const std::string& operand);
    void Store(const std::string& operand);
    void Compare(const char* mnemonic, const std::string& operand);
    void Arithmetic(const char* mnemonic, const std::string& operand);
    void BitCombine(const std::string& opcode, const std::string& operand);
    void Select(bool maximum, const std::string& operand);
    void Multiplex(const std::vector<std::string>& operands);
    void Convert(const std::string& name);
    void Call(const std::string& block, const std::string& instance);
    void Timer(const char* mnemonic, const std::string& inst);
    void Counter(bool up, const std::string& inst);

    bool IsBoolean(const std::string& operand) const;
    std::string TypeOf(const std::string& name) const;
    void Fail(const std::string& message);
    void FailReal();
    void CreateWorkTag(const char* name, const char* type);

    const CProject& project_;
    CUnit& unit_;
    const SymbolEntry& variables_;
    int labelNumber_;
    CompilerErrorFn error_;
    int line_ = 0;
    bool failed_ = false;
    bool realReported_ = false;

    std::unique_ptr<CRung> rung_;
    bool conditioned_ = false;  // the current rung holds elements that change its condition
    std::string pending_;       // empty: the value is the rung condition
    std::string instance_;      // recorded by SETREL for the following CAL
    bool usedReg_ = false, usedRegA_ = false, usedBcd_ = false;
};

}  // namespace pontra
