// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/RungCoder.h"

#include <algorithm>
#include <array>

#include "model/Project.h"
#include "model/Types.h"
#include "model/ValueStyle.h"
#include "shell/OutputWindow.h"

namespace pontra {

using namespace image;

namespace {

struct KindCode {
    int kind;
    uint8_t code;
};

// Element kind -> instruction code. A general instruction without an entry gets SQR's code.
constexpr KindCode kKindCodes[] = {
    {2, kXic},  {3, kXio},  {4, kOte},  {9, kOtl},  {8, kOtu},  {10, kOns}, {11, kOsr}, {12, kOsf},
    {13, kTon}, {14, kTof}, {15, kRto}, {16, kCtu}, {17, kCtd}, {18, kRes}, {29, kEqu}, {34, kGeq},
    {32, kGrt}, {33, kLeq}, {31, kLes}, {27, kLim}, {28, kMeq}, {30, kNeq}, {19, kAdd}, {20, kSub},
    {21, kMul}, {22, kDiv}, {35, kMod}, {37, kNeg}, {38, kAbs}, {69, kShl}, {70, kShr}, {23, kMov},
    {39, kMvm}, {42, kClr}, {24, kAnd}, {25, kOr},  {26, kXor}, {41, kNot}, {46, kJmp}, {52, kMcr},
    {57, kRdr}, {58, kWriteRegister}, {59, kWriteRegister}, {60, kDistance}, {61, kDistance},
    {62, kJfb}, {63, kRfb}, {36, kSqr},
};

constexpr int kKindRdr = 57;
constexpr int kKindWrc = 59;
constexpr int kKindDol = 60;
constexpr int kKindDor = 61;

bool IsGeneralKind(int kind) { return (kind >= 19 && kind <= 42) || kind == 69 || kind == 70; }
bool IsTimerKind(int kind) { return (kind >= 13 && kind <= 18) || kind == kKindDol || kind == kKindDor; }

}  // namespace

uint8_t InstructionCodeForKind(int kind) {
    for (const auto& entry : kKindCodes)
        if (entry.kind == kind) return entry.code;
    return kSqr;
}

RungCoder::RungCoder(const UnitScope& scope, CodeBuffer& code, OutputWindow& output, UnitCodeRecords& records)
    : scope_(scope), code_(code), output_(output), records_(records) {}

void RungCoder::EmitSimple(uint8_t code) { Emit(InstructionWord(code)); }

void RungCoder::Fail(const CElement& element, int operand, const std::string& text) {
    output_.AddOutputLine("Error at Rung: " + std::to_string(rung_) + ", Element: " + element.mnemonic +
                              ", Operand: " + std::to_string(operand) + " -> Can't build operand " + text,
                          &element);
    ok_ = false;
}

std::optional<CodeOperand> RungCoder::Resolve(const CElement& element, int operand, const std::string& text) {
    if (TagRef ref = FindOperandTag(scope_, text)) {
        const TagRef target = ResolveAlias(scope_, ref);
        if (!target || target.tag->address < 0) {
            Fail(element, operand, text);
            return std::nullopt;
        }
        return CodeOperand{static_cast<uint32_t>(target.tag->address), OperandTypeCode(target.tag->dataType), target.tag};
    }
    // Immediates are read in the operand's own style; copy arguments have none.
    const bool own = operand >= 0 && operand < kMaxOperands && element.operands[static_cast<size_t>(operand)] == text;
    const std::string style = own ? element.operandNotes[static_cast<size_t>(operand)] : std::string();
    int32_t value = 0;
    std::string message;
    if (!text.empty() && ParseValue(32, style, text, value, message))
        return CodeOperand{static_cast<uint32_t>(value), kTypeBoolOrImmediate, nullptr};
    Fail(element, operand, text);
    return std::nullopt;
}

std::optional<std::pair<uint8_t, uint32_t>> RungCoder::BitOperand(const CElement& element, int operand,
                                                                  const std::string& text) {
    auto resolved = Resolve(element, operand, text);
    if (!resolved) return std::nullopt;
    const int position = resolved->tag ? static_cast<int>(resolved->word % 4) * 8 + resolved->tag->bit : -1;
    if (position < 0 || position > 31) {
        Fail(element, operand, text);
        return std::nullopt;
    }
    return std::make_pair(static_cast<uint8_t>(position), resolved->word & ~3u);
}

void RungCoder::EmitBitInstruction(uint8_t code, const CElement& element, int operand) {
    auto bit = BitOperand(element, operand, element.operands[static_cast<size_t>(operand)]);
    if (!bit) return;
    Emit(InstructionWord(code, bit->first));
    Emit(bit->second);
}

void RungCoder::EmitOneShot(const CElement& element) {
    auto storage = BitOperand(element, 0, element.operands[0]);
    auto output = BitOperand(element, 1, element.operands[1]);
    if (!storage || !output) return;
    Emit(InstructionWord(InstructionCodeForKind(element.kind), storage->first, output->first));
    Emit(storage->second);
    Emit(output->second);
}

void RungCoder::EmitTimerCounter(const CElement& element) {
    auto timer = Resolve(element, 0, element.operands[0]);
    if (!timer) return;
    if (!timer->tag) return Fail(element, 0, element.operands[0]);
    // The module's DOL and DOR are mirrored on "Kormo", whose sides are swapped.
    const bool kormo = scope_.project->doc.controllerType == "Kormo";
    const uint8_t side = (element.kind == kKindDor && !kormo) || (element.kind == kKindDol && kormo) ? 1 : 0;
    Emit(InstructionWord(InstructionCodeForKind(element.kind), side));
    Emit(timer->word);
}

bool RungCoder::EmitArrayAccess(const CElement& element, int operand, bool write, CodeOperand& replaced,
                                std::vector<uint32_t>* deferred) {
    const std::string& text = element.operands[static_cast<size_t>(operand)];
    auto parsed = ParseArrayOperand(text);
    TagRef base = parsed ? ResolveAlias(scope_, FindOperandTag(scope_, parsed->name)) : TagRef{};
    auto array = base ? ParseArrayType(base.tag->dataType) : std::nullopt;
    const size_t dimensions = array ? (array->dim2 ? 2 : 1) : 0;
    const bool haveScratch = scope_.scratch && scope_.scratch->size() > static_cast<size_t>(operand);
    if (!array || parsed->indexes.size() != dimensions || !haveScratch) {
        Fail(element, operand, text);
        return false;
    }
    const CTag& scratch = *(*scope_.scratch)[static_cast<size_t>(operand)];
    const uint8_t elementType = OperandTypeCode(array->element);

    // An index is a tag (its address) or, for two dimensions, a constant (type 0).
    std::array<CodeOperand, 2> index{};
    for (size_t d = 0; d < dimensions; ++d) {
        const std::string& indexText = parsed->indexes[d];
        if (TagRef ref = ResolveAlias(scope_, FindOperandTag(scope_, indexText))) {
            index[d] = {static_cast<uint32_t>(ref.tag->address), OperandTypeCode(ref.tag->dataType), ref.tag};
        } else if (auto constant = ConstantIndex(indexText); constant && dimensions == 2) {
            index[d] = {static_cast<uint32_t>(*constant), kTypeBoolOrImmediate, nullptr};
        } else {
            Fail(element, operand, text);
            return false;
        }
    }

    std::vector<uint32_t> words;
    if (dimensions == 1) {
        words = {InstructionWord(kIndexed, elementType, index[0].typeCode, write ? kWriteBackFlag : 0),
                 static_cast<uint32_t>(base.tag->address), index[0].word, static_cast<uint32_t>(array->dim1),
                 static_cast<uint32_t>(scratch.address)};
    } else {
        words = {InstructionWord(write ? kWriteArray2 : kReadArray2, elementType, index[0].typeCode, index[1].typeCode),
                 static_cast<uint32_t>(base.tag->address),
                 index[0].word,
                 index[1].word,
                 static_cast<uint32_t>(array->dim1),
                 static_cast<uint32_t>(array->dim2),
                 static_cast<uint32_t>(scratch.address)};
    }
    if (write) deferred->insert(deferred->end(), words.begin(), words.end());
    else for (uint32_t w : words) Emit(w);
    replaced = {static_cast<uint32_t>(scratch.address), elementType, &scratch};
    return true;
}

void RungCoder::EmitGeneral(const CElement& element) {
    const int count = std::clamp(element.operandCount, 0, 3);
    std::array<CodeOperand, 3> operands{};
    std::vector<uint32_t> writeBack;
    for (int i = 0; i < count; ++i) {
        const std::string& text = element.operands[static_cast<size_t>(i)];
        const bool arrayElement = text.find('[') != std::string::npos && !FindOperandTag(scope_, text);
        if (arrayElement) {
            // Only the destination of an output instruction is written back.
            const bool write = element.outputInstruction != 0 && i == count - 1;
            if (!EmitArrayAccess(element, i, write, operands[static_cast<size_t>(i)], &writeBack)) return;
        } else if (auto resolved = Resolve(element, i, text)) {
            operands[static_cast<size_t>(i)] = *resolved;
        } else {
            return;
        }
    }
    Emit(InstructionWord(InstructionCodeForKind(element.kind), operands[0].typeCode, operands[1].typeCode,
                         operands[2].typeCode));
    for (int i = 0; i < count; ++i) Emit(operands[static_cast<size_t>(i)].word);
    for (uint32_t w : writeBack) Emit(w);
}

void RungCoder::EmitRegister(const CElement& element) {
    std::array<CodeOperand, 2> operands{};
    uint8_t lastTagType = kTypeInt;
    for (int i = 0; i < 2; ++i) {
        auto resolved = Resolve(element, i, element.operands[static_cast<size_t>(i)]);
        if (!resolved) return;
        operands[static_cast<size_t>(i)] = *resolved;
        if (resolved->tag) lastTagType = resolved->typeCode;
    }
    uint8_t info1 = operands[0].typeCode, info2 = operands[1].typeCode;
    if (element.kind == kKindRdr) info1 = lastTagType;
    else info2 = lastTagType;
    Emit(InstructionWord(InstructionCodeForKind(element.kind), info1, info2,
                         element.kind == kKindWrc ? kCommFlag : 0));
    Emit(operands[0].word);
    Emit(operands[1].word);
}

void RungCoder::EmitJump(const CElement& element) {
    records_.jumps.push_back({&element, element.operands[0], code_.Position(), rung_, 0});
    Emit(InstructionWord(kJmp));
    Emit(0);  // target, resolved when the unit is complete
}

void RungCoder::EmitCall(const CElement& element) {
    auto instance = Resolve(element, 0, element.operands[0]);
    if (!instance) return;
    if (!instance->tag) return Fail(element, 0, element.operands[0]);
    // An unknown callee keeps index -1: its fix-up ends the build.
    int unitIndex = -1;
    const UnitList& units = scope_.project->units;
    for (size_t i = 0; i < units.size(); ++i)
        if (units[i]->IsFunctionBlock() && units[i]->name == instance->tag->dataType) unitIndex = static_cast<int>(i);
    Emit(InstructionWord(kJfb));
    records_.calls.push_back({unitIndex, code_.Position()});
    Emit(0);
    Emit(instance->word);
}

void RungCoder::EmitCopyBranch(const CElement& element, const std::string& instance, bool inputs) {
    EmitSimple(kBst);
    int level = 0;
    for (const CCallParam& param : element.callParams) {
        const std::string& argument = inputs ? param.input : param.output;
        if (argument.empty()) continue;
        if (level == 1) EmitSimple(kNxb);
        else if (level > 1) EmitSimple(kNxbMore);
        ++level;
        const std::string member = instance + "." + param.name;
        const std::string& from = inputs ? argument : member;
        const std::string& to = inputs ? member : argument;
        const TagRef memberTag = ResolveAlias(scope_, FindOperandTag(scope_, member));
        if (memberTag && memberTag.tag->dataType == "BOOL") {
            auto source = BitOperand(element, 0, from);
            auto target = BitOperand(element, 0, to);
            if (!source || !target) return;
            Emit(InstructionWord(kXic, source->first));
            Emit(source->second);
            Emit(InstructionWord(kOte, target->first));
            Emit(target->second);
        } else {
            auto source = Resolve(element, 0, from);
            auto target = Resolve(element, 0, to);
            if (!source || !target) return;
            if (!target->tag) return Fail(element, 0, to);
            Emit(InstructionWord(kMov, source->typeCode, target->typeCode));
            Emit(source->word);
            Emit(target->word);
        }
    }
    // A branch of one level would leave the rung condition as its copy left it, and
    // modules count one second-level NXB per BST: a single copy gets an empty second level.
    if (level == 1) EmitSimple(kNxb);
    EmitSimple(kBnd);
}

void RungCoder::EmitCallWithCopies(const CElement& element) {
    const TagRef instance = ResolveAlias(scope_, FindOperandTag(scope_, element.operands[0]));
    if (!instance) return Fail(element, 0, element.operands[0]);
    const auto bound = [&](bool inputs) {
        return std::any_of(element.callParams.begin(), element.callParams.end(),
                           [&](const CCallParam& p) { return !(inputs ? p.input : p.output).empty(); });
    };
    if (bound(true)) EmitCopyBranch(element, instance.tag->name, true);
    EmitCall(element);
    if (bound(false)) EmitCopyBranch(element, instance.tag->name, false);
}

namespace {

// Instructions encoded alike in ladder and Structured Text units; false for the kinds
// the generators handle themselves or that produce no code.
bool EmitCommon(RungCoder& coder, const CElement& element) {
    const int kind = element.kind;
    const uint8_t code = InstructionCodeForKind(kind);
    if (code == kXic || code == kXio || code == kOte || code == kOtl || code == kOtu || code == kOns)
        coder.EmitBitInstruction(code, element);
    else if (code == kOsr || code == kOsf) coder.EmitOneShot(element);
    else if (IsTimerKind(kind)) coder.EmitTimerCounter(element);
    else if (IsGeneralKind(kind)) coder.EmitGeneral(element);
    else if (code == kRdr || code == kWriteRegister) coder.EmitRegister(element);
    else if (code == kJmp) coder.EmitJump(element);
    else if (code == kRfb) coder.EmitSimple(kRfb);
    else return false;
    return true;
}

void GenerateLadderElements(RungCoder& coder, const CRung& rungOrLeg) {
    for (const auto& element : rungOrLeg.elements) {
        switch (element->kind) {
            case kKindRung: coder.EmitSimple(kRung); break;
            case kKindBranchEnd: coder.EmitSimple(kBnd); break;
            case kKindBranchLevel: break;  // its NXB comes with the branch
            case kKindBranch:
                coder.EmitSimple(kBst);
                for (size_t level = 0; level < element->legs.size(); ++level) {
                    if (level == 1) coder.EmitSimple(kNxb);
                    else if (level > 1) coder.EmitSimple(kNxbMore);
                    GenerateLadderElements(coder, *element->legs[level]);
                }
                break;
            case kKindJFB: coder.EmitCallWithCopies(*element); break;
            default: EmitCommon(coder, *element); break;
        }
    }
}

}  // namespace

bool EmitCommonInstruction(RungCoder& coder, const CElement& element) { return EmitCommon(coder, element); }

void GenerateLadderRung(RungCoder& coder, const CRung& rung) {
    GenerateLadderElements(coder, rung);
    coder.EmitSimple(kRnd);
}

}  // namespace pontra
