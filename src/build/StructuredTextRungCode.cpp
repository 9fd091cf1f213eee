// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/StructuredTextRungCode.h"

#include "model/Types.h"

namespace pontra {

using namespace image;

namespace {

constexpr int kKindAnd = 24;
constexpr int kKindOr = 25;
constexpr int kKindXor = 26;
constexpr int kKindNot = 41;

bool IsBitOperation(const CElement& element) {
    const int kind = element.kind;
    return (kind == kKindAnd || kind == kKindOr || kind == kKindXor || kind == kKindNot) && element.operandCount >= 2 &&
           element.operands[1] == kBitOperationMarker;
}

void EmitBitOperation(RungCoder& coder, const CElement& element) {
    const std::string& operand = element.operands[0];
    if (operand.empty()) {
        if (element.kind != kKindNot) return coder.Fail(element, 0, operand);
        coder.EmitSimple(kNotRungCondition);
        coder.Emit(0);
        return;
    }
    const uint8_t code = element.kind == kKindAnd ? kAndBit
                         : element.kind == kKindOr ? kOrBit
                         : element.kind == kKindXor ? kXorBit
                                                    : kNotBit;
    coder.EmitBitInstruction(code, element, 0);
}

}  // namespace

void GenerateStructuredTextRung(RungCoder& coder, const CRung& rung) {
    for (const auto& element : rung.elements) {
        switch (element->kind) {
            case kKindRung: coder.EmitSimple(kRung); break;
            case kKindBranch:
            case kKindBranchEnd:
            case kKindBranchLevel: break;  // Structured Text rungs have no branches
            case kKindJFB: coder.EmitCall(*element); break;
            default:
                if (IsBitOperation(*element)) EmitBitOperation(coder, *element);
                else EmitCommonInstruction(coder, *element);
                break;
        }
    }
    coder.EmitSimple(kRnd);
}

}  // namespace pontra
