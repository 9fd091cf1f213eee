// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Clipboard.h"

#include <algorithm>
#include <optional>
#include <span>

#include "files/Records.h"
#include "shell/CommandGuards.h"
#include "shell/LadderEditing.h"
#include "shell/LadderView.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

std::string AsText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::span<const uint8_t> AsBytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// The guards every clipboard command passes first; a control inside the view that has
// the focus handles the command itself, online or not.
std::optional<ClipboardOutcome> Guard(CMainFrame& frame, bool focusInView, Command command) {
    if (!PassesBusyGuard(frame, command)) return ClipboardOutcome::Ignored;
    if (!focusInView) return ClipboardOutcome::PassToFocus;
    if (!PassesDebugGuard(frame, command)) return ClipboardOutcome::Refused;
    return std::nullopt;
}

// Structure as the editor builds it: kind-1 and kind-7 elements only at the start of a
// rung or leg, every kind-5 element owning legs that start with kind 7 and followed by
// its kind-6 marker, no legs on anything else.
bool WellFormedLeg(const CRung& leg);

bool WellFormedSequence(const ElementList& elements, size_t from) {
    for (size_t i = from; i < elements.size(); ++i) {
        const CElement& e = *elements[i];
        if (e.kind == kKindRung || e.kind == kKindBranchLevel) return false;
        if (e.kind == kKindBranchEnd && (i == from || elements[i - 1]->kind != kKindBranch)) return false;
        if (e.kind == kKindBranch) {
            if (e.legs.empty() || i + 1 >= elements.size() || elements[i + 1]->kind != kKindBranchEnd) return false;
            for (const auto& leg : e.legs)
                if (!WellFormedLeg(*leg)) return false;
        } else if (!e.legs.empty()) {
            return false;
        }
    }
    return true;
}

bool WellFormedLeg(const CRung& leg) {
    return !leg.elements.empty() && leg.elements[0]->kind == kKindBranchLevel && WellFormedSequence(leg.elements, 1);
}

bool WellFormedRung(const CRung& rung) { return rung.elements.empty() || WellFormedSequence(rung.elements, 1); }

bool WellFormedElement(const CElement& e) {
    if (e.kind == kKindRung || e.kind == kKindBranchLevel || e.kind == kKindBranchEnd) return false;
    if (e.kind != kKindBranch) return e.legs.empty();
    if (e.legs.empty()) return false;
    for (const auto& leg : e.legs)
        if (!WellFormedLeg(*leg)) return false;
    return true;
}

void Publish(CMainFrame& frame, const char* format, const std::vector<uint8_t>& bytes) {
    Host& host = frame.host();
    host.EmptyClipboard();
    host.SetClipboard(format, AsText(bytes));
}

// Where elements go in after the selection: directly behind it, or behind the close
// marker when the selection is a branch element, so that no branch is split.
size_t InsertPosition(const CElement& selected) {
    const ElementList& list = selected.parent->elements;
    size_t position = static_cast<size_t>(ElementPosition(selected)) + 1;
    if (selected.kind == kKindBranch && position < list.size() && list[position]->kind == kKindBranchEnd) ++position;
    return position;
}

std::unique_ptr<CElement> CloseMarker() {
    auto marker = std::make_unique<CElement>(kKindBranchEnd);
    marker->operandCount = 0;
    return marker;
}

// The branch element that owns `leg`, in the list that holds it.
CElement* OwnerOfLeg(const CRung& leg) {
    if (!leg.parent) return nullptr;
    for (const auto& e : leg.parent->elements)
        for (const auto& l : e->legs)
            if (l.get() == &leg) return e.get();
    return nullptr;
}

ClipboardOutcome PasteRung(LadderView& view, const CRung& payload) {
    CElement* selected = view.selected;
    CRung* holder = selected->parent;
    const ElementList& elements = payload.elements;
    if (payload.comment == kCopyJfbComment && elements.size() == 2 && elements[0]->kind == kKindRung &&
        elements[1]->kind == kKindJFB) {
        view.SaveUndo();
        view.selected = &holder->Insert(InsertPosition(*selected), CopyElement(*elements[1], holder));
        return ClipboardOutcome::Done;
    }
    if (!elements.empty() && elements[0]->kind == kKindRung) {
        RungList& rungs = view.Rungs();
        view.SaveUndo();
        const size_t at = std::min(static_cast<size_t>(std::max(view.currentRung, -1) + 1), rungs.size());
        auto rung = CopyRung(payload, nullptr);
        rung->flag = 0;
        view.selected = rung->elements[0].get();
        rungs.insert(rungs.begin() + static_cast<std::ptrdiff_t>(at), std::move(rung));
        view.currentRung = static_cast<int>(at);
        return ClipboardOutcome::Done;
    }
    if (!elements.empty() && elements[0]->kind == kKindBranchLevel) {
        // A leg goes only onto the start of a leg.
        if (selected->kind != kKindBranchLevel) return ClipboardOutcome::Nothing;
        CRung* leg = selected->parent;
        CElement* branch = OwnerOfLeg(*leg);
        if (!branch) return ClipboardOutcome::Nothing;
        view.SaveUndo();
        auto copy = CopyRung(payload, leg->parent);
        copy->flag = 1;
        view.selected = copy->elements[0].get();
        auto position = std::find_if(branch->legs.begin(), branch->legs.end(), [&](const auto& l) { return l.get() == leg; });
        branch->legs.insert(position + 1, std::move(copy));
        return ClipboardOutcome::Done;
    }
    if (elements.size() < 2) return ClipboardOutcome::Nothing;
    view.SaveUndo();
    size_t position = InsertPosition(*selected);
    for (size_t i = 1; i < elements.size(); ++i)
        view.selected = &holder->Insert(position++, CopyElement(*elements[i], holder));
    return ClipboardOutcome::Done;
}

ClipboardOutcome PasteElement(LadderView& view, const CElement& payload) {
    CElement* selected = view.selected;
    CRung* holder = selected->parent;
    view.SaveUndo();
    const size_t position = InsertPosition(*selected);
    CElement& inserted = holder->Insert(position, CopyElement(payload, holder));
    if (inserted.kind == kKindBranch) holder->Insert(position + 1, CloseMarker());
    view.selected = &inserted;
    return ClipboardOutcome::Done;
}

ClipboardOutcome CopySelection(LadderView& view, bool focusInView, Command command) {
    CMainFrame& frame = view.frame();
    if (auto refused = Guard(frame, focusInView, command)) return *refused;
    if (frame.commitPendingEdits) frame.commitPendingEdits();
    const CElement* selected = view.selected;
    if (!selected || !selected->parent) return ClipboardOutcome::Nothing;

    std::unique_ptr<CRung> rung;
    std::unique_ptr<CElement> element;
    switch (selected->kind) {
    case kKindRung:
    case kKindBranchLevel:
        rung = CopyRung(*selected->parent, nullptr);
        break;
    case kKindBranchEnd: {
        const int position = ElementPosition(*selected);
        if (position < 1) return ClipboardOutcome::Nothing;
        element = CopyElement(*selected->parent->elements[static_cast<size_t>(position - 1)], nullptr);
        break;
    }
    case kKindJFB:
        rung = std::make_unique<CRung>();
        rung->comment = kCopyJfbComment;
        rung->Append(std::make_unique<CElement>(kKindRung));
        rung->Append(CopyElement(*selected, rung.get()));
        break;
    default:
        element = CopyElement(*selected, nullptr);
        break;
    }
    if (rung) {
        Publish(frame, kClipboardRungFormat, RungToBytes(*rung));
        view.pasteRung = std::move(rung);
        view.pasteElement.reset();
    } else {
        Publish(frame, kClipboardElementFormat, ElementToBytes(*element));
        view.pasteElement = std::move(element);
        view.pasteRung.reset();
    }
    return ClipboardOutcome::Done;
}

}  // namespace

ClipboardOutcome LadderCopy(LadderView& view, bool focusInView) {
    return CopySelection(view, focusInView, Command::Copy);
}

ClipboardOutcome LadderCut(LadderView& view, bool focusInView) {
    const ClipboardOutcome copied = CopySelection(view, focusInView, Command::Cut);
    if (copied == ClipboardOutcome::Done) DeleteSelection(view);
    return copied;
}

ClipboardOutcome LadderPaste(LadderView& view, bool focusInView) {
    CMainFrame& frame = view.frame();
    if (auto refused = Guard(frame, focusInView, Command::Paste)) return *refused;
    Host& host = frame.host();
    const std::optional<std::string> rungData = host.GetClipboard(kClipboardRungFormat);
    const std::optional<std::string> elementData = rungData ? std::nullopt : host.GetClipboard(kClipboardElementFormat);
    if (!rungData && !elementData) return ClipboardOutcome::Nothing;
    if (!view.selected || !view.selected->parent) return ClipboardOutcome::Nothing;

    std::string error;
    ClipboardOutcome outcome = ClipboardOutcome::Nothing;
    if (rungData) {
        auto rung = RungFromBytes(AsBytes(*rungData), error);
        if (rung && !WellFormedRung(*rung)) rung.reset();
        if (!rung) {
            host.Message("The clipboard holds a damaged rung; nothing is pasted." + (error.empty() ? "" : "\r\n" + error));
            return ClipboardOutcome::Nothing;
        }
        view.pasteRung = std::move(rung);
        view.pasteElement.reset();
        outcome = PasteRung(view, *view.pasteRung);
    } else {
        auto element = ElementFromBytes(AsBytes(*elementData), error);
        if (element && !WellFormedElement(*element)) element.reset();
        if (!element) {
            host.Message("The clipboard holds a damaged element; nothing is pasted." +
                         (error.empty() ? "" : "\r\n" + error));
            return ClipboardOutcome::Nothing;
        }
        view.pasteElement = std::move(element);
        view.pasteRung.reset();
        outcome = PasteElement(view, *view.pasteElement);
    }
    if (outcome == ClipboardOutcome::Done) host.Repaint();
    return outcome;
}

}  // namespace pontra
