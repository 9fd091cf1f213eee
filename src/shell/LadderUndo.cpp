// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LadderUndo.h"

#include "shell/CommandGuards.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

RungList CopyRungs(const RungList& rungs) {
    RungList copy;
    copy.reserve(rungs.size());
    for (const auto& r : rungs) copy.push_back(CopyRung(*r, nullptr));
    return copy;
}

}  // namespace

void LadderUndo::SaveUndo(CMainFrame& frame, const LadderViewState& view) {
    if (static_cast<int>(snapshots_.size()) > kMaxSnapshots - 1 && index_ > kMaxSnapshots - 1) {
        snapshots_.erase(snapshots_.begin());
        if (index_ > kMaxSnapshots) frame.host().Message("IndexUndo > 10 !!!");
        --index_;
    }
    auto snapshot = std::make_unique<CUndo>();
    snapshot->rungs = CopyRungs(*view.rungs);
    snapshot->currentRung = view.currentRung;
    if (view.selected) {
        snapshot->x = view.selected->rect.left * view.cellWidth / 100;
        snapshot->y = view.selected->rect.top * view.cellHeight / 100;
        snapshot->place = PlaceOf(*view.rungs, view.selected);
    }
    const size_t at = std::min(static_cast<size_t>(index_), snapshots_.size());
    snapshots_.insert(snapshots_.begin() + static_cast<std::ptrdiff_t>(at), std::move(snapshot));
    ++index_;
    frame.SetModified(true);
}

LadderUndo::Outcome LadderUndo::Undo(CMainFrame& frame, LadderViewState& view, bool focusInView) {
    if (!PassesBusyGuard(frame, Command::Undo)) return Outcome::Ignored;
    if (!focusInView) return Outcome::PassToFocus;
    if (!PassesDebugGuard(frame, Command::Undo)) return Outcome::Refused;
    if (index_ == 0) return Outcome::Nothing;
    --index_;
    const auto at = snapshots_.begin() + index_;
    const CUndo& snapshot = **at;

    RungList& rungs = *view.rungs;
    for (auto& r : rungs) DeleteRungContents(*r);
    rungs = CopyRungs(snapshot.rungs);
    view.currentRung = snapshot.currentRung;
    view.selected = rungs.empty() || rungs[0]->elements.empty() ? nullptr : rungs[0]->elements[0].get();
    CElement* clicked = view.elementAt ? view.elementAt(snapshot.x, snapshot.y) : nullptr;
    if (!clicked) clicked = ElementAt(rungs, snapshot.place);
    if (clicked) view.selected = clicked;

    snapshots_.erase(at);
    frame.SetModified(true);
    return Outcome::Undone;
}

}  // namespace pontra
