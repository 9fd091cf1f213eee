// SPDX-License-Identifier: GPL-3.0-or-later
#include "st/IlTranslator.h"

#include <cmath>
#include <cstdlib>

#include "model/Catalogue.h"
#include "model/Project.h"
#include "model/ValueStyle.h"
#include "st/SymbolTable.h"
#include "st/TypeRules.h"

namespace pontra {

namespace {

const std::string kSeparator = " \t\t ";

bool IsRegister(const std::string& s) { return s.starts_with("%R"); }
bool IsLiteral(const std::string& s) {
    const size_t i = s.size() > 1 && (s[0] == '-' || s[0] == '+') ? 1 : 0;
    return i < s.size() && s[i] >= '0' && s[i] <= '9';
}
bool IsRealLiteral(const std::string& s) { return IsLiteral(s) && s.find_first_of(".eE") != std::string::npos; }
bool LowBit(const std::string& literal) { return (DecimalToInt(literal) & 1) != 0; }
std::string RegisterNumber(const std::string& s) { return s.substr(s.starts_with("%RC") ? 3 : 2); }

const char* CompareMnemonic(const std::string& opcode) {
    if (opcode == "GT" || opcode == "GRT") return "GRT";
    if (opcode == "GE" || opcode == "GEQ") return "GEQ";
    if (opcode == "LE" || opcode == "LEQ") return "LEQ";
    if (opcode == "LT" || opcode == "LES") return "LES";
    if (opcode == "EQ" || opcode == "EQU") return "EQU";
    if (opcode == "NE" || opcode == "NEQ") return "NEQ";
    return nullptr;
}

bool IsOneOf(const std::string& s, std::initializer_list<const char*> set) {
    for (const char* x : set)
        if (s == x) return true;
    return false;
}

// Operand lists of standard functions are joined by ","; an index "a[i,j]" keeps its comma.
std::vector<std::string> SplitOperands(const std::string& text) {
    std::vector<std::string> parts(1);
    int depth = 0;
    for (char c : text) {
        if (c == '[') ++depth;
        if (c == ']') --depth;
        if (c == ',' && depth == 0)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

}  // namespace

IlTranslator::IlTranslator(const CProject& project, CUnit& unit, const SymbolEntry& variables, int lastStatementNumber,
                           CompilerErrorFn error)
    : project_(project),
      unit_(unit),
      variables_(variables),
      labelNumber_(lastStatementNumber),
      error_(std::move(error)),
      rung_(FreshRung()) {}

bool IlTranslator::Translate(const std::vector<std::string>& lines, const std::vector<int>& sourceLines) {
    CreateWorkTag("_Acc", "DINT");
    for (size_t i = 0; i < lines.size(); ++i) {
        line_ = i < sourceLines.size() ? sourceLines[i] : 0;
        realReported_ = false;
        const std::string& text = lines[i];
        const size_t at = text.find(kSeparator);
        if (at == std::string::npos)
            Bare(text);
        else
            Line(text.substr(0, at), text.substr(at + kSeparator.size()));
    }
    CloseRung();
    if (usedReg_) CreateWorkTag("_Reg", "INT");
    if (usedRegA_) CreateWorkTag("_Reg_A", "INT");
    if (usedBcd_) CreateWorkTag("_Bcd", "DINT");
    return !failed_;
}

void IlTranslator::Fail(const std::string& message) {
    failed_ = true;
    if (error_) error_(line_, "CompileStructuredTextUnit", message);
}

// The module computes in integers only; reported once per instruction.
void IlTranslator::FailReal() {
    if (realReported_) return;
    realReported_ = true;
    Fail("REAL values are not supported by the module");
}

void IlTranslator::CreateWorkTag(const char* name, const char* type) {
    if (FindTag(unit_.tags, name) || FindTag(unit_.stVariables, name)) return;
    auto tag = std::make_unique<CTag>(name, type);
    tag->initialValue = "0";
    tag->style = "Decimal";
    unit_.stVariables.push_back(std::move(tag));
}

std::string IlTranslator::TypeOf(const std::string& name) const {
    if (const SymbolVariable* v = variables_.Find(name)) return v->type;
    const size_t open = name.find('[');
    const SymbolVariable* base = open == std::string::npos ? nullptr : variables_.Find(name.substr(0, open));
    return base ? base->type.substr(0, base->type.find('[')) : std::string();
}

bool IlTranslator::IsBoolean(const std::string& operand) const {
    return operand.starts_with("_BOOL_") || TypeOf(operand) == "BOOL";
}

// ---- rungs -------------------------------------------------------------------------

CElement& IlTranslator::Add(const char* mnemonic, std::initializer_list<std::string_view> operands) {
    auto element = std::make_unique<CElement>(MnemonicToKind(mnemonic));
    auto operand = operands.begin();
    for (std::string& text : element->operands) {
        if (operand == operands.end()) {
            text.clear();
        } else {
            text.assign(*operand);
            ++operand;
        }
    }
    element->operandCount = static_cast<int>(operands.size());
    element->rect = {50, 50, 100, 50};
    element->sizeX = 50;
    return rung_->Append(std::move(element));
}

// A new rung as NewRung makes it, with room for the few elements a rung gets, so that
// its list is not grown element by element.
std::unique_ptr<CRung> IlTranslator::FreshRung() {
    auto rung = std::make_unique<CRung>();
    rung->elements.reserve(8);
    rung->Append(std::make_unique<CElement>(kKindRung));
    return rung;
}

// A rung that holds anything besides its start element is closed; the next one is fresh.
void IlTranslator::CloseRung() {
    if (rung_->elements.size() > 1) {
        unit_.rungs.push_back(std::move(rung_));
        rung_ = FreshRung();
    }
    conditioned_ = false;
}

// Word instructions run only while the rung condition holds; a list instruction runs
// always, so it must not inherit a condition that is no longer its value.
void IlTranslator::Unconditional() {
    if (conditioned_) CloseRung();
}

void IlTranslator::Label(const std::string& label) {
    CloseRung();
    Add("LBL", {label});
    pending_.clear();
}

std::string IlTranslator::NextLabelNumber() { return std::to_string(++labelNumber_); }

// ---- the accumulator ---------------------------------------------------------------

// The pending operand as an element operand: a register is read into "_Reg_A" first.
std::string IlTranslator::PendingValue() {
    if (IsRegister(pending_)) {
        Add("RDR", {RegisterNumber(pending_), "_Reg_A"});
        usedRegA_ = true;
        pending_ = "_Reg_A";
    }
    if (IsRealLiteral(pending_)) FailReal();
    return pending_;
}

// An instruction's own operand: a register is read into "_Reg" first.
std::string IlTranslator::OperandValue(const std::string& operand) {
    if (IsRegister(operand)) {
        Add("RDR", {RegisterNumber(operand), "_Reg"});
        usedReg_ = true;
        return "_Reg";
    }
    if (IsRealLiteral(operand)) FailReal();
    return operand;
}

// A number used as a Boolean: its lowest bit becomes the rung condition (a Boolean
// kept as a word, as after NOT or a bitwise operation, holds its truth in that bit).
void IlTranslator::ConditionFromPending() {
    if (pending_.empty()) return;
    if (IsLiteral(pending_) && !IsRealLiteral(pending_)) {
        Unconditional();
        if (!LowBit(pending_)) {
            Add("NOT", {"", kBitOperation});
            conditioned_ = true;
        }
    } else {
        Unconditional();
        const std::string value = PendingValue();
        Add("AND", {value, "1", "_Acc"});
        Add("NEQ", {"_Acc", "0"});
        conditioned_ = true;
    }
    pending_.clear();
}

// The rung condition used as a number: 1 or 0 into "_Acc". An unconditioned rung is 1.
void IlTranslator::ValueFromCondition() {
    if (!conditioned_) {
        pending_ = "1";
        return;
    }
    const std::string n = NextLabelNumber();
    const std::string isFalse = "_else_if_" + n + "_1", done = "_end_if_" + n;
    Add("NOT", {"", kBitOperation});
    Add("JMP", {isFalse});
    CloseRung();
    Add("MOV", {"1", "_Acc"});
    Add("JMP", {done});
    Label(isFalse);
    Add("MOV", {"0", "_Acc"});
    Label(done);
    pending_ = "_Acc";
}

void IlTranslator::NumericPending() {
    if (pending_.empty()) ValueFromCondition();
    Unconditional();
}

// ---- instructions ------------------------------------------------------------------

void IlTranslator::Line(const std::string& opcode, const std::string& operand) {
    if (opcode == "LD") return Load(operand);
    if (opcode == "ST") return Store(operand);
    if ((opcode == "EQ" || opcode == "NE") && IsBoolean(operand)) return BitCombine(opcode, operand);
    if (const char* compare = CompareMnemonic(opcode)) return Compare(compare, operand);
    if (IsOneOf(opcode, {"AND", "OR", "XOR"}) && IsBoolean(operand)) return BitCombine(opcode, operand);
    if (IsOneOf(opcode, {"ADD", "SUB", "MUL", "DIV", "MOD", "SHL", "SHR", "AND", "OR", "XOR"})) {
        for (const std::string& each : SplitOperands(operand)) Arithmetic(opcode.c_str(), each);
        return;
    }
    if (opcode == "MAX" || opcode == "MIN") return Select(opcode == "MAX", operand);
    if (opcode == "MOV") return;  // MOV(x) is x
    if (opcode == "MUX") return Multiplex(SplitOperands(operand));
    if (opcode == "JMPC") {
        Add("JMP", {operand});
        return CloseRung();
    }
    if (opcode == "JMP") {
        Unconditional();
        Add("JMP", {operand});
        return;
    }
    if (opcode == "SETREL") {
        instance_ = operand;
        return;
    }
    if (opcode == "CAL") return Call(operand, instance_);
    if (!ConversionResultType(opcode).empty()) return Convert(opcode);
    const CUnit* unit = project_.FindUnit(opcode);
    if ((unit && unit->IsFunctionBlock()) || opcode.starts_with("IEC_")) return Call(opcode, operand);
    Fail("Instruction '" + opcode + "' can't be translated to ladder");
}

void IlTranslator::Bare(const std::string& word) {
    if (word == "NOTC" || (word == "NOT" && pending_.empty())) {
        ConditionFromPending();
        Add("NOT", {"", kBitOperation});
        conditioned_ = true;
    } else if (word == "NOT" || word == "NEG" || word == "ABS") {
        NumericPending();
        const std::string value = PendingValue();
        Add(word.c_str(), {value, "_Acc"});
        pending_ = "_Acc";
    } else if (word == "CLR") {
        NumericPending();
        Add("CLR", {"_Acc"});
        pending_ = "_Acc";
    } else if (word == "RETURN") {
        Unconditional();
        Add("RFB", {});
        CloseRung();
    } else if (word.size() > 1 && word.ends_with(":")) {
        Label(word.substr(0, word.size() - 1));
    } else {
        Fail("Instruction '" + word + "' can't be translated to ladder");
    }
}

void IlTranslator::Load(const std::string& operand) {
    if (IsBoolean(operand)) {
        CloseRung();
        Add("XIC", {operand});
        conditioned_ = true;
        pending_.clear();
        return;
    }
    Unconditional();  // the condition left on the rung is no longer the accumulator
    pending_ = operand;
}

void IlTranslator::Store(const std::string& target) {
    if (IsRegister(target)) {
        NumericPending();
        std::string value = PendingValue();
        // WRR and WRC take a tag as their source.
        if (IsLiteral(value) || value.find('[') != std::string::npos) {
            Add("MOV", {value, "_Acc"});
            value = "_Acc";
        }
        Add(target.starts_with("%RC") ? "WRC" : "WRR", {value, RegisterNumber(target)});
        return;
    }
    if (IsBoolean(target)) {
        if (!pending_.empty() && IsLiteral(pending_) && !IsRealLiteral(pending_)) {
            Unconditional();
            Add(LowBit(pending_) ? "OTL" : "OTU", {target});
        } else {
            ConditionFromPending();
            Add("OTE", {target});
        }
        CloseRung();
        return;
    }
    NumericPending();
    const std::string value = PendingValue();
    if (value != target) Add("MOV", {value, target});
}

// A comparison ANDs its result into the rung condition; with several operands the
// pending value is compared with each of them.
void IlTranslator::Compare(const char* mnemonic, const std::string& operands) {
    NumericPending();
    const std::string value = PendingValue();
    for (const std::string& each : SplitOperands(operands)) Add(mnemonic, {value, OperandValue(each)});
    conditioned_ = true;
    pending_.clear();
}

void IlTranslator::Arithmetic(const char* mnemonic, const std::string& operand) {
    NumericPending();
    const std::string value = PendingValue();
    const std::string other = OperandValue(operand);
    Add(mnemonic, {value, other, "_Acc"});
    pending_ = "_Acc";
}

// A Boolean operand combined into the rung condition.
void IlTranslator::BitCombine(const std::string& opcode, const std::string& operand) {
    ConditionFromPending();
    if (opcode == "AND") {
        Add("XIC", {operand});
    } else {
        Add(opcode == "OR" ? "OR" : "XOR", {operand, kBitOperation});
        if (opcode == "EQ") Add("NOT", {"", kBitOperation});
    }
    conditioned_ = true;
}

// MAX and MIN: the pending value into "_Acc", then replaced when the operand is beyond it.
void IlTranslator::Select(bool maximum, const std::string& operand) {
    NumericPending();
    const std::string value = PendingValue();
    const std::string other = OperandValue(operand);
    if (value != "_Acc") Add("MOV", {value, "_Acc"});
    CloseRung();
    Add(maximum ? "LES" : "GRT", {"_Acc", other});
    Add("MOV", {other, "_Acc"});
    CloseRung();
    pending_ = "_Acc";
}

// MUX: one rung per value that moves it when the selector names it and leaves the
// others unread; a selector outside the values gives 0.
void IlTranslator::Multiplex(const std::vector<std::string>& operands) {
    NumericPending();
    const std::string selector = PendingValue();
    const std::string done = "_end_if_" + NextLabelNumber();
    CloseRung();
    for (size_t i = 0; i < operands.size(); ++i) {
        Add("EQU", {selector, std::to_string(i)});
        const std::string value = OperandValue(operands[i]);
        Add("MOV", {value, "_Acc"});
        Add("JMP", {done});
        CloseRung();
    }
    Add("MOV", {"0", "_Acc"});
    Label(done);
    pending_ = "_Acc";
}

// Integer conversions keep the value (stores cut it to the target's width); a REAL
// literal is rounded; BCD is decoded and encoded digit by digit.
void IlTranslator::Convert(const std::string& name) {
    if (name.starts_with("BCD_TO_")) {
        NumericPending();
        const std::string value = PendingValue();
        Add("MOV", {value, "_Bcd"});
        Add("CLR", {"_Acc"});
        for (int digit = 7; digit >= 0; --digit) {
            Add("MUL", {"_Acc", "10", "_Acc"});
            Add("SHR", {"_Bcd", std::to_string(4 * digit), "_Reg"});
            Add("AND", {"_Reg", "15", "_Reg"});
            Add("ADD", {"_Acc", "_Reg", "_Acc"});
        }
        usedBcd_ = usedReg_ = true;
        pending_ = "_Acc";
        return;
    }
    if (name.ends_with("_TO_BCD")) {  // two digits: the result is a BYTE
        NumericPending();
        const std::string value = PendingValue();
        Add("MOD", {value, "10", "_Reg"});
        Add("DIV", {value, "10", "_Acc"});
        Add("MOD", {"_Acc", "10", "_Acc"});
        Add("SHL", {"_Acc", "4", "_Acc"});
        Add("OR", {"_Acc", "_Reg", "_Acc"});
        usedReg_ = true;
        pending_ = "_Acc";
        return;
    }
    const std::string from = name.substr(0, name.find("_TO_"));
    if ((from == "REAL" || from == "LREAL") && IsRealLiteral(pending_)) {
        const double v = std::strtod(pending_.c_str(), nullptr);
        const double clamped = std::fmax(-2147483648.0, std::fmin(2147483647.0, std::round(v)));
        pending_ = std::to_string(static_cast<int64_t>(clamped));
    }
    if (ConversionResultType(name) == "BOOL" && !pending_.empty()) {
        NumericPending();
        Add("NEQ", {PendingValue(), "0"});
        conditioned_ = true;
        pending_.clear();
    }
}

void IlTranslator::Call(const std::string& block, const std::string& inst) {
    if (inst.empty()) return Fail("Instruction 'CAL' has no instance");
    if (block == "IEC_TON") return Timer("TON", inst);
    if (block == "IEC_TOF") return Timer("TOF", inst);
    if (block == "IEC_RTO") return Timer("RTO", inst);
    if (block == "IEC_DOL") return Timer("DOL", inst);
    if (block == "IEC_DOR") return Timer("DOR", inst);
    if (block == "IEC_CTU") return Counter(true, inst);
    if (block == "IEC_CTD") return Counter(false, inst);
    // JFB always calls and leaves the rung condition set.
    Add("JFB", {inst});
    conditioned_ = false;
    pending_.clear();
}

// An IEC timer around the module's timer: preset in, timer on .EN, accumulator and
// done bit out.
void IlTranslator::Timer(const char* mnemonic, const std::string& inst) {
    CloseRung();
    Add("MOV", {inst + ".PT", inst + ".Timer.PRE"});
    Add("XIC", {inst + ".EN"});
    Add(mnemonic, {inst + ".Timer"});
    CloseRung();
    Add("MOV", {inst + ".Timer.ACC", inst + ".ET"});
    Add("XIC", {inst + ".Timer.DN"});
    Add("OTE", {inst + ".Q"});
    CloseRung();
    pending_.clear();
}

// An IEC counter: count on the edge of .CU (.CD), then reset on .R (load on .LD), which
// so wins over a count in the same scan; the reset or load is jumped over when not asked.
void IlTranslator::Counter(bool up, const std::string& inst) {
    const std::string skip = "_end_if_" + NextLabelNumber();
    CloseRung();
    Add("MOV", {inst + ".PV", inst + ".Counter.PRE"});
    Add("XIC", {inst + (up ? ".CU" : ".CD")});
    Add(up ? "CTU" : "CTD", {inst + ".Counter"});
    CloseRung();
    Add("XIO", {inst + (up ? ".R" : ".LD")});
    Add("JMP", {skip});
    CloseRung();
    if (up)
        Add("RES", {inst + ".Counter"});
    else
        Add("MOV", {inst + ".PV", inst + ".Counter.ACC"});
    Label(skip);
    Add("MOV", {inst + ".Counter.ACC", inst + ".CV"});
    Add("XIC", {inst + ".Counter.DN"});
    Add("OTE", {inst + ".Q"});
    CloseRung();
    pending_.clear();
}

}  // namespace pontra
