// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RungText.h"

#include <algorithm>

namespace pontra {

namespace {

void AppendElement(const CElement& e, std::string& out) {
    const int count = std::clamp(e.operandCount, 0, kMaxOperands);
    out += e.mnemonic;
    if (count > 0) {
        out += '(';
        for (int i = 0; i < count; ++i) {
            if (i > 0) out += ',';
            out += e.operands[static_cast<size_t>(i)];
        }
        out += ')';
    }
    out += ";\r\n";
}

// Legs are told by the branch whether they come first, so the text does not depend on
// the parent links of the legs.
void AppendRung(const CRung& rung, bool topLevel, bool firstLeg, std::string& out) {
    for (const auto& element : rung.elements) {
        const CElement& e = *element;
        switch (e.kind) {
        case kKindBranch:
            out += "BST;\r\n";
            for (size_t i = 0; i < e.legs.size(); ++i) AppendRung(*e.legs[i], false, i == 0, out);
            break;
        case kKindBranchLevel:
            if (!firstLeg) out += "NXB;\r\n";
            break;
        case kKindBranchEnd:
            out += "BND;\r\n";
            break;
        case kKindRung:
            out += "RUNG";
            if (!rung.comment.empty()) out += "{comment = " + rung.comment + "}";
            out += ";\r\n";
            break;
        default:
            AppendElement(e, out);
            break;
        }
    }
    if (topLevel) out += "RND;\r\n\r\n";
}

}  // namespace

void AppendRungText(const CRung& rung, std::string& out) { AppendRung(rung, rung.parent == nullptr, true, out); }

std::string RungText(const CRung& rung) {
    std::string out;
    AppendRungText(rung, out);
    return out;
}

}  // namespace pontra
