// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FindInProgram.h"

#include "build/OperandScope.h"
#include "shell/LadderEditing.h"
#include "shell/LadderView.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

void Walk(const CRung& list, std::vector<CElement*>& order) {
    for (const auto& element : list.elements) {
        order.push_back(element.get());
        for (const auto& leg : element->legs) Walk(*leg, order);
    }
}

std::string Folded(std::string text, bool matchCase) {
    if (!matchCase)
        for (char& c : text)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

class Matcher {
public:
    Matcher(LadderView& view, const FindOptions& options)
        : options_(options),
          needle_(Folded(options.text, options.matchCase)),
          scope_(view.unit() ? FunctionBlockScope(view.frame().project(), *view.unit())
                             : MainProgramScope(view.frame().project())) {}

    bool Matches(const CElement& element) const {
        for (int i = 0; i < element.operandCount && i < kMaxOperands; ++i)
            if (OperandMatches(element.operands[static_cast<size_t>(i)])) return true;
        return false;
    }

private:
    bool Holds(const std::string& field) const {
        const std::string folded = Folded(field, options_.matchCase);
        return options_.wholeWord ? folded == needle_ : folded.find(needle_) != std::string::npos;
    }

    bool OperandMatches(const std::string& operand) const {
        // Going up only the operand text is compared.
        if (!options_.down) return Holds(operand);
        if (options_.operand && Holds(operand)) return true;
        if (!options_.description && !options_.baseTag) return false;
        const TagRef ref = FindOperandTag(scope_, operand);
        if (!ref) return false;
        if (options_.description && Holds(ref.tag->description)) return true;
        return options_.baseTag && !ref.tag->baseTag.empty() && Holds(ref.tag->baseTag);
    }

    const FindOptions& options_;
    std::string needle_;
    UnitScope scope_;
};

}  // namespace

std::vector<CElement*> SearchOrder(LadderView& view) {
    std::vector<CElement*> order;
    for (const auto& rung : view.Rungs()) Walk(*rung, order);
    return order;
}

CElement* FindNext(LadderView& view, const FindOptions& options, bool wrapped) {
    if (options.text.empty()) return nullptr;
    NormalizeSelection(view);
    const std::vector<CElement*> order = SearchOrder(view);
    const int count = static_cast<int>(order.size());

    // The walk starts beside the starting point. The wrapped pass starts outside the
    // unit, so that it also sees the first (Down) or last (Up) element.
    int start = options.down ? -1 : count;
    if (!wrapped) {
        for (int i = 0; i < count; ++i)
            if (order[static_cast<size_t>(i)] == view.selected) start = i;
    }
    const Matcher matcher(view, options);
    const int step = options.down ? 1 : -1;
    for (int i = start + step; i >= 0 && i < count; i += step) {
        CElement* element = order[static_cast<size_t>(i)];
        if (!matcher.Matches(*element)) continue;
        SelectElement(view, element);
        view.frame().host().Repaint();
        return element;
    }

    Host& host = view.frame().host();
    const std::string reached =
        options.down ? "The end of the program was reached." : "The beginning of the program was reached.";
    if (wrapped) {
        host.Message(reached + " The searching item was not found.");
        return nullptr;
    }
    const std::string question = options.down ? " Do you want continue searching at the beginning?"
                                              : " Do you want continue searching at the end?";
    if (host.AskYesNo(reached + question)) return FindNext(view, options, true);
    return nullptr;
}

}  // namespace pontra
