// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/LiveWrites.h"

#include "build/OperandScope.h"
#include "model/Ladder.h"
#include "model/Project.h"
#include "model/Types.h"
#include "model/ValueStyle.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

// Element kinds of the contacts and coils that Toggle Bit works on.
constexpr int kToggleKinds[] = {2, 3, 4, 8, 9}; // XIC, XIO, OTE, OTU, OTL

UnitScope ScopeOf(CMainFrame& frame, CUnit* unit) {
    if (!unit) return MainProgramScope(frame.project());
    return FunctionBlockScope(frame.project(), *unit);
}

const CTag* FindTagOperand(CMainFrame& frame, CUnit* unit, const std::string& text) {
    const UnitScope scope = ScopeOf(frame, unit);
    return ResolveAlias(scope, FindOperandTag(scope, text)).tag;
}

// Sets a BOOL at its address plus `base` to `value`: the bit within its 32-bit word.
void SetBool(CMainFrame& frame, const CTag& tag, int base, int32_t value) {
    const int a = tag.address + base;
    frame.online().WriteValue(a - a % 4, 4, value, tag.bit + 8 * (a % 4));
}

// Inverts a BOOL at its address plus `base`.
bool InvertBool(CMainFrame& frame, const CTag& tag, int base) {
    const auto current = frame.online().LiveValue(tag, base);
    if (!current) return false;
    SetBool(frame, tag, base, *current ? 0 : 1);
    return true;
}

} // namespace

bool ToggleBit(CMainFrame& frame, CUnit* unit, const CElement* selected) {
    OnlineSession& session = frame.online();
    if (!frame.debugMode || !session.DataValid() || !selected) return false;
    if (std::find(std::begin(kToggleKinds), std::end(kToggleKinds), selected->kind) == std::end(kToggleKinds))
        return false;
    const CTag* tag = FindTagOperand(frame, unit, selected->operands[0]);
    if (!tag || tag->dataType != "BOOL") return false;
    return InvertBool(frame, *tag, session.InstanceBase(unit));
}

bool ToggleVariable(CMainFrame& frame, CUnit* unit, const std::string& text) {
    OnlineSession& session = frame.online();
    const int base = session.InstanceBase(unit);
    if (base == -1) return false;
    const CTag* tag = DebugViewVariable(frame, unit, text);
    if (!tag || tag->dataType != "BOOL") return false;
    return InvertBool(frame, *tag, base);
}

const CTag* DebugViewVariable(CMainFrame& frame, CUnit* unit, const std::string& text) {
    const size_t end = text.find_last_not_of(' ');
    return FindTagOperand(frame, unit, end == std::string::npos ? "" : text.substr(0, end + 1));
}

WriteTagDialog::WriteTagDialog(CMainFrame& frame, CUnit* unit, const CTag& tag)
    : frame_(frame), unit_(unit), tag_(tag) {
    const auto value = frame.online().LiveValue(tag, frame.online().InstanceBase(unit));
    initialText = value ? std::to_string(*value) : "...";
}

std::string WriteTagDialog::Label() const {
    std::string label = tag_.name + ": " + tag_.dataType;
    if (!tag_.description.empty()) label += ", " + tag_.description;
    return label;
}

bool WriteTagDialog::Ok(const std::string& text) {
    const int width = ElementaryBits(tag_.dataType);
    int32_t value = 0;
    std::string message;
    if (width == 0) return true;
    if (!ParseValue(width, tag_.style, text, value, message)) {
        frame_.host().Message(message);
        return false;
    }
    OnlineSession& session = frame_.online();
    const int base = session.InstanceBase(unit_);
    if (base == -1) return true;
    // A BOOL is set to the value typed: writing the inverse whatever was typed would set
    // the opposite of what was asked on a running plant. Toggle Bit is the one that inverts.
    if (tag_.dataType == "BOOL") {
        SetBool(frame_, tag_, base, value);
        return true;
    }
    session.WriteValue(base + tag_.address, width / 8, value, 255);
    return true;
}

} // namespace pontra
