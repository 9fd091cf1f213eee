// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LadderEditing.h"

#include "shell/CommandGuards.h"
#include <algorithm>

#include "model/ElementPlace.h"
#include "model/Naming.h"
#include "shell/LadderView.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

constexpr int kRfbKind = 63;

bool IsLeg(const CRung* list) { return list && list->parent != nullptr; }

// The branch element that owns a leg, with its position in the enclosing list and the
// leg's index among its legs.
struct LegOwner {
    CElement* branch = nullptr;
    int position = -1;
    int leg = -1;
};

LegOwner OwnerOf(const CRung& leg) {
    if (!leg.parent) return {};
    const ElementList& list = leg.parent->elements;
    for (size_t i = 0; i < list.size(); ++i) {
        const RungList& legs = list[i]->legs;
        for (size_t j = 0; j < legs.size(); ++j)
            if (legs[j].get() == &leg) return {list[i].get(), static_cast<int>(i), static_cast<int>(j)};
    }
    return {};
}

int RungIndexOf(LadderView& view, const CElement& element) {
    const CRung* top = TopLevelRung(element);
    RungList& rungs = view.Rungs();
    for (size_t i = 0; i < rungs.size(); ++i)
        if (rungs[i].get() == top) return static_cast<int>(i);
    return -1;
}

CElement* First(const CRung& rung) { return rung.elements.empty() ? nullptr : rung.elements.front().get(); }
CElement* Last(const CRung& rung) { return rung.elements.empty() ? nullptr : rung.elements.back().get(); }

std::unique_ptr<CElement> Structural(int kind) {
    auto element = std::make_unique<CElement>(kind);
    element->operandCount = 0;
    return element;
}

std::unique_ptr<CRung> NewLeg(CRung* parent) {
    auto leg = std::make_unique<CRung>();
    leg->flag = 1;
    leg->parent = parent;
    leg->Append(Structural(kKindBranchLevel));
    return leg;
}

void Select(LadderView& view, CElement* element) {
    view.selected = element;
    if (!element) return;
    if (const int rung = RungIndexOf(view, *element); rung >= 0) view.currentRung = rung;
}

// The guards, then a selection that can be trusted.
bool Begin(LadderView& view) {
    if (!EditGuardsPass(view.frame())) return false;
    NormalizeSelection(view);
    return true;
}

void Finish(LadderView& view) {
    view.frame().SetModified(true);
    view.frame().host().Repaint();
}

void EraseRange(CRung& list, int first, int count) {
    auto begin = list.elements.begin() + first;
    list.elements.erase(begin, begin + count);
}

// Where an element inserted "after the selection" goes: a branch element is followed by
// its close marker, and nothing may come between the two.
size_t InsertionPoint(const CElement& selected) {
    const size_t p = static_cast<size_t>(ElementPosition(selected));
    const ElementList& list = selected.parent->elements;
    if (selected.kind == kKindBranch && p + 1 < list.size() && list[p + 1]->kind == kKindBranchEnd) return p + 2;
    return p + 1;
}

bool OfferedOnBar(const CMainFrame& frame, int kind) {
    for (const BarTab& tab : InstructionBar(frame.project().doc.controllerType))
        for (const BarButton& button : tab.buttons)
            if (button.action == BarButtonAction::InsertElement && button.kind == kind) return true;
    return false;
}

// Deletes the selection inside its list (position > 0). A close marker, or the branch
// element itself, takes the whole branch with it: a branch element never stands without
// its marker.
bool DeleteInList(LadderView& view, CElement& selected, CRung& list, int p) {
    int first = p;
    int count = 1;
    if (selected.kind == kKindBranchEnd && list.elements[p - 1]->kind == kKindBranch) {
        first = p - 1;
        count = 2;
    } else if (selected.kind == kKindBranch && p + 1 < static_cast<int>(list.elements.size()) &&
               list.elements[p + 1]->kind == kKindBranchEnd) {
        count = 2;
    }
    view.SaveUndo();
    EraseRange(list, first, count);
    Select(view, list.elements.empty() ? nullptr : list.elements[first > 0 ? first - 1 : 0].get());
    return true;
}

bool DeleteRungStart(LadderView& view, CRung& rung) {
    RungList& rungs = view.Rungs();
    const int index = RungIndexOf(view, *rung.elements[0]);
    if (index > 0) {
        view.SaveUndo();
        rungs.erase(rungs.begin() + index);
        Select(view, Last(*rungs[index - 1]));
    } else if (rungs.size() > 1) {
        view.SaveUndo();
        rungs.erase(rungs.begin());
        Select(view, First(*rungs[0]));
    } else {
        if (rung.elements.size() <= 1) return false;
        view.SaveUndo();
        EraseRange(rung, 1, static_cast<int>(rung.elements.size()) - 1);
        Select(view, First(rung));
    }
    return true;
}

// The leg start: a branch of three or more legs loses this leg; a two-leg branch is
// dissolved into the other leg's elements, in place of the branch.
bool DeleteLegStart(LadderView& view, CRung& leg) {
    const LegOwner owner = OwnerOf(leg);
    if (!owner.branch) return false;
    RungList& legs = owner.branch->legs;
    CRung& list = *leg.parent;
    view.SaveUndo();
    if (legs.size() >= 3) {
        legs.erase(legs.begin() + owner.leg);
        Select(view, First(*legs[owner.leg == 0 ? 0 : owner.leg - 1]));
        return true;
    }
    const int q = owner.position;
    const bool closed = q + 1 < static_cast<int>(list.elements.size()) && list.elements[q + 1]->kind == kKindBranchEnd;
    size_t at = static_cast<size_t>(q + (closed ? 2 : 1));
    if (legs.size() == 2) {
        const CRung& other = *legs[owner.leg == 0 ? 1 : 0];
        for (size_t i = 1; i < other.elements.size(); ++i) list.Insert(at++, CopyElement(*other.elements[i], &list));
    }
    EraseRange(list, q, closed ? 2 : 1);
    Select(view, list.elements.empty() ? nullptr : list.elements[q > 0 ? q - 1 : 0].get());
    return true;
}

CElement* MovePrevious(LadderView& view, CElement& selected) {
    CRung& list = *selected.parent;
    const int p = ElementPosition(selected);
    if (selected.kind == kKindBranchEnd && p > 0) {
        CElement& branch = *list.elements[p - 1];
        if (branch.kind == kKindBranch && !branch.legs.empty()) return Last(*branch.legs[0]);
    }
    if (p > 0) return list.elements[p - 1].get();
    if (!IsLeg(&list)) {
        const int rung = RungIndexOf(view, selected);
        return rung > 0 ? Last(*view.Rungs()[rung - 1]) : nullptr;
    }
    const LegOwner owner = OwnerOf(list);
    if (!owner.branch) return nullptr;
    if (owner.leg == 0) return owner.position > 0 ? list.parent->elements[owner.position - 1].get() : nullptr;
    return Last(*owner.branch->legs[owner.leg - 1]);
}

CElement* MoveNext(LadderView& view, CElement& selected) {
    CRung& list = *selected.parent;
    const int p = ElementPosition(selected);
    if (p + 1 < static_cast<int>(list.elements.size())) {
        CElement& next = *list.elements[p + 1];
        if (next.kind == kKindBranch && !next.legs.empty())
            if (CElement* start = First(*next.legs[0])) return start;
        return &next;
    }
    if (!IsLeg(&list)) {
        const int rung = RungIndexOf(view, selected);
        RungList& rungs = view.Rungs();
        return rung >= 0 && rung + 1 < static_cast<int>(rungs.size()) ? First(*rungs[rung + 1]) : nullptr;
    }
    const LegOwner owner = OwnerOf(list);
    if (!owner.branch) return nullptr;
    if (owner.leg + 1 < static_cast<int>(owner.branch->legs.size())) return First(*owner.branch->legs[owner.leg + 1]);
    const ElementList& outer = list.parent->elements;
    return owner.position + 1 < static_cast<int>(outer.size()) ? outer[owner.position + 1].get() : nullptr;
}

bool ValidOperandText(std::string_view text) {
    if (text == "?") return true;
    int depth = 0;
    for (char c : text) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || digit || c == '_' || c == '.' || c == '#' || c == '+' || c == '-') continue;
        if (c == '[') ++depth;
        else if (c == ']') --depth;
        else if (c != ',' || depth <= 0) return false;
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

bool EditGuardsPass(CMainFrame& frame) { return PassesGuards(frame, EditAction::LadderEdit); }

void NormalizeSelection(LadderView& view) {
    RungList& rungs = view.Rungs();
    if (!PlaceOf(rungs, view.selected).Valid()) view.selected = rungs.empty() ? nullptr : First(*rungs[0]);
    if (view.selected) {
        view.currentRung = RungIndexOf(view, *view.selected);
    } else {
        const int last = static_cast<int>(rungs.size()) - 1;
        view.currentRung = std::max(0, std::min(view.currentRung, last));
    }
}

bool InsertRung(LadderView& view) {
    if (!Begin(view)) return false;
    RungList& rungs = view.Rungs();
    const int at = std::max(0, std::min(view.currentRung + 1, static_cast<int>(rungs.size())));
    view.SaveUndo();
    rungs.insert(rungs.begin() + at, NewRung());
    Select(view, First(*rungs[at]));
    Finish(view);
    return true;
}

bool InsertBranch(LadderView& view) {
    if (!Begin(view) || !view.selected) return false;
    CRung& list = *view.selected->parent;
    const size_t at = InsertionPoint(*view.selected);
    view.SaveUndo();
    CElement& branch = list.Insert(at, Structural(kKindBranch));
    branch.legs.push_back(NewLeg(&list));
    branch.legs.push_back(NewLeg(&list));
    CElement& end = list.Insert(at + 1, Structural(kKindBranchEnd));
    Select(view, &end);
    Finish(view);
    return true;
}

bool AddBranchLeg(LadderView& view) {
    if (!Begin(view) || !view.selected) return false;
    CRung& leg = *view.selected->parent;
    if (!IsLeg(&leg) || leg.elements.empty() || leg.elements[0]->kind != kKindBranchLevel) return false;
    const LegOwner owner = OwnerOf(leg);
    if (!owner.branch) return false;
    view.SaveUndo();
    RungList& legs = owner.branch->legs;
    legs.insert(legs.begin() + owner.leg + 1, NewLeg(leg.parent));
    Finish(view);
    return true;
}

bool InsertInstruction(LadderView& view, int kind) {
    if (!Begin(view) || !view.selected) return false;
    if (!OfferedOnBar(view.frame(), kind)) return false;
    if (kind == kRfbKind && !view.IsFunctionBlock()) return false;
    CRung& list = *view.selected->parent;
    const size_t at = InsertionPoint(*view.selected);
    view.SaveUndo();
    CElement& element = list.Insert(at, std::make_unique<CElement>(kind));
    Select(view, &element);
    Finish(view);
    return true;
}

bool PressInstructionButton(LadderView& view, const BarButton& button) {
    switch (button.action) {
        case BarButtonAction::InsertRung: return InsertRung(view);
        case BarButtonAction::InsertBranch: return InsertBranch(view);
        case BarButtonAction::AddBranchLeg: return AddBranchLeg(view);
        case BarButtonAction::InsertElement: return InsertInstruction(view, button.kind);
    }
    return false;
}

bool DeleteSelection(LadderView& view) {
    if (!Begin(view) || !view.selected) return false;
    CElement& selected = *view.selected;
    CRung& list = *selected.parent;
    const int p = ElementPosition(selected);
    bool changed = false;
    if (p > 0) changed = DeleteInList(view, selected, list, p);
    else if (!IsLeg(&list)) changed = DeleteRungStart(view, list);
    else changed = DeleteLegStart(view, list);
    if (changed) Finish(view);
    return changed;
}

bool MoveSelection(LadderView& view, MoveKey key) {
    if (!PassesBusyGuard(view.frame(), EditAction::LadderInput)) return false;
    NormalizeSelection(view);
    if (!view.selected) return false;
    CElement& selected = *view.selected;
    RungList& rungs = view.Rungs();
    const bool rungStart = selected.kind == kKindRung && !IsLeg(selected.parent);
    const int rung = view.currentRung;
    CElement* target = nullptr;
    switch (key) {
        case MoveKey::Up:
            if (rungStart) target = rung > 0 ? First(*rungs[rung - 1]) : nullptr;
            else target = MovePrevious(view, selected);
            break;
        case MoveKey::Down:
            if (rungStart) target = rung + 1 < static_cast<int>(rungs.size()) ? First(*rungs[rung + 1]) : nullptr;
            else target = MoveNext(view, selected);
            break;
        case MoveKey::Left: target = MovePrevious(view, selected); break;
        case MoveKey::Right: target = MoveNext(view, selected); break;
        case MoveKey::Home: target = First(*rungs.front()); break;
        case MoveKey::End: target = Last(*rungs.back()); break;
        case MoveKey::PageUp:
        case MoveKey::PageDown: break;
    }
    if (!target || target == &selected) return false;
    Select(view, target);
    return true;
}

bool SelectElement(LadderView& view, CElement* element) {
    if (!element || !PlaceOf(view.Rungs(), element).Valid()) return false;
    Select(view, element);
    return true;
}

bool EditRungComment(LadderView& view, const std::string& comment) {
    if (!Begin(view) || view.Rungs().empty()) return false;
    if (std::string refusal = CheckRungComment(comment); !refusal.empty()) {
        view.frame().host().Message(refusal);
        return false;
    }
    CRung& rung = *view.Rungs()[static_cast<size_t>(view.currentRung)];
    if (rung.comment == comment) return false;
    view.SaveUndo();
    rung.comment = comment;
    Finish(view);
    return true;
}

bool MoveRung(LadderView& view, int from, int to) {
    if (!Begin(view)) return false;
    RungList& rungs = view.Rungs();
    const int count = static_cast<int>(rungs.size());
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) return false;
    view.SaveUndo();
    std::unique_ptr<CRung> moved = std::move(rungs[static_cast<size_t>(from)]);
    rungs.erase(rungs.begin() + from);
    rungs.insert(rungs.begin() + to, std::move(moved));
    Select(view, First(*rungs[static_cast<size_t>(to)]));
    Finish(view);
    return true;
}

bool EditOperand(LadderView& view, CElement& element, int operand, std::string_view input) {
    if (!Begin(view)) return false;
    if (operand < 0 || operand >= element.operandCount || operand >= kMaxOperands) return false;
    if (!PlaceOf(view.Rungs(), &element).Valid()) return false;
    const std::string_view trimmed = Trim(input);
    const std::string text = trimmed.empty() ? std::string("?") : std::string(trimmed);
    if (!ValidOperandText(text)) {
        view.frame().host().Message(kOperandRefusal);
        return false;
    }
    std::string& stored = element.operands[static_cast<size_t>(operand)];
    if (stored == text) return false;
    view.SaveUndo();
    stored = text;
    // Bindings made for another instance do not fit the new one.
    if (element.kind == kKindJFB && operand == 0) element.callParams.clear();
    Finish(view);
    return true;
}

}  // namespace pontra
