// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/OperandCompletion.h"

#include "build/OperandScope.h"
#include "model/Ladder.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

void Collect(const UnitScope& scope, const TagList& tags, std::string_view allowed, std::vector<OperandCandidate>& out,
             int depth) {
    for (const auto& tag : tags) {
        if (out.size() >= kMaxCandidates) return;
        TagRef ref;
        ref.tag = tag.get();
        const TagRef target = tag->alias.empty() ? ref : ResolveAlias(scope, ref);
        const std::string& type = target ? target.tag->dataType : tag->dataType;
        if (!type.empty() && allowed.find(type) != std::string_view::npos)
            out.push_back({tag->name, type, tag->description.empty() && target ? target.tag->description : tag->description});
        if (depth < 8) Collect(scope, tag->members, allowed, out, depth + 1);
    }
}

}  // namespace

std::vector<OperandCandidate> OperandCandidates(CMainFrame& frame, CUnit* unit, const CElement& element, int operand) {
    std::vector<OperandCandidate> out;
    if (operand < 0 || operand >= kMaxOperands || operand >= element.operandCount) return out;
    const std::string_view allowed = element.allowedTypes[static_cast<size_t>(operand)];
    if (allowed.empty()) return out;
    const UnitScope scope = unit ? FunctionBlockScope(frame.project(), *unit) : MainProgramScope(frame.project());
    for (const TagList* list : scope.lists)
        if (list && list != scope.scratch) Collect(scope, *list, allowed, out, 0);
    return out;
}

}  // namespace pontra
