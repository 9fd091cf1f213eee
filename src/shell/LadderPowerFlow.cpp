// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LadderPowerFlow.h"

namespace pontra {

namespace {

bool Flow(const CRung& list, bool power, const OperandValue& value, RungPower& out, int depth) {
    for (const auto& e : list.elements) {
        ElementPower& p = out.elements[e.get()];
        p.in = power;
        if (e->kind == kKindBranch) {
            // The branch's left side carries the input; its close carries what any leg passes.
            p.out = power;
            bool any = false;
            if (depth < 32)  // a leg nested deeper than the editor builds carries nothing
                for (const auto& leg : e->legs) any = Flow(*leg, power, value, out, depth + 1) || any;
            power = power && any;
            continue;
        }
        const std::optional<bool> holds = ConditionHolds(*e, value);
        if (holds) power = power && *holds;
        out.elements[e.get()].out = power;
    }
    out.listEnd[&list] = power;
    return power;
}

std::optional<int32_t> Operand(const CElement& e, int i, const OperandValue& value) {
    if (i >= e.operandCount) return std::nullopt;
    return value(e.operands[static_cast<size_t>(i)]);
}

}  // namespace

std::optional<bool> ConditionHolds(const CElement& e, const OperandValue& value) {
    const auto a = Operand(e, 0, value), b = Operand(e, 1, value), c = Operand(e, 2, value);
    switch (e.kind) {
        case 2: return a && *a != 0;   // XIC
        case 3: return a && *a == 0;   // XIO
        case 10: return a && *a == 0;  // ONS: passes only while its storage bit is still clear
        case 29: return a && b && *a == *b;
        case 30: return a && b && *a != *b;
        case 31: return a && b && *a < *b;
        case 32: return a && b && *a > *b;
        case 33: return a && b && *a <= *b;
        case 34: return a && b && *a >= *b;
        case 27:  // LIM: inside the limits, or outside the circle when low > high
            if (!a || !b || !c) return false;
            return *a <= *c ? (*b >= *a && *b <= *c) : (*b >= *a || *b <= *c);
        case 28: return a && b && c && (*a & *b) == (*c & *b);  // MEQ
        default: return std::nullopt;
    }
}

RungPower ComputeRungPower(const CRung& rung, const OperandValue& value) {
    RungPower out;
    Flow(rung, true, value, out, 0);
    return out;
}

}  // namespace pontra
