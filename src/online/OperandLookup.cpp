// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/OperandLookup.h"

#include <cctype>

#include "build/OperandScope.h"
#include "model/ValueStyle.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra {

const OperandLookup::Entry& OperandLookup::Look(std::string_view text) {
    const auto found = cache_.find(std::string(text));
    if (found != cache_.end()) return found->second;
    Entry entry;
    std::string message;
    const bool numeric = !text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-' || text[0] == '+');
    if (numeric && ParseOperandLiteral(text, entry.literalValue, message)) {
        entry.literal = true;
    } else if (!text.empty() && text != "?") {
        const UnitScope scope = unit_ ? FunctionBlockScope(frame_.project(), *unit_) : MainProgramScope(frame_.project());
        const TagRef ref = FindOperandTag(scope, text);
        entry.declared = ref.tag;
        if (ref) entry.resolved = ResolveAlias(scope, ref).tag;
    }
    // A view shows a bounded number of operands; a cache that grew past that is reset.
    if (cache_.size() > 20000) cache_.clear();
    return cache_.emplace(std::string(text), entry).first->second;
}

const CTag* OperandLookup::Declared(std::string_view text) { return Look(text).declared; }

const CTag* OperandLookup::Resolved(std::string_view text) { return Look(text).resolved; }

std::string OperandLookup::Description(std::string_view text) {
    const Entry& e = Look(text);
    if (e.declared && !e.declared->description.empty()) return e.declared->description;
    return e.resolved ? e.resolved->description : std::string();
}

std::optional<int32_t> OperandLookup::LiveValue(std::string_view text) {
    const Entry& e = Look(text);
    if (e.literal) return e.literalValue;
    if (!e.resolved) return std::nullopt;
    OnlineSession& session = frame_.online();
    return session.LiveValue(*e.resolved, session.InstanceBase(unit_));
}

std::string OperandLookup::LiveText(std::string_view text) {
    const Entry& e = Look(text);
    if (e.literal) return std::string(text);
    if (!e.resolved) return "...";
    OnlineSession& session = frame_.online();
    return session.ValueText(*e.resolved, session.InstanceBase(unit_));
}

}  // namespace pontra
