// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LadderLayout.h"

#include <algorithm>
#include <cstdint>

namespace pontra {

using M = LadderMetrics;

ElementShape ShapeOf(const CElement& element) {
    switch (element.kind) {
        case kKindRung: return ElementShape::RungStart;
        case kKindBranchLevel: return ElementShape::LegStart;
        case kKindBranch: return ElementShape::Branch;
        case kKindBranchEnd: return ElementShape::BranchEnd;
        case 2:
        case 3:
        case 10: return ElementShape::Contact;
        case 4:
        case 8:
        case 9: return ElementShape::Coil;
        default: return ElementShape::Box;
    }
}

int BoxLines(const CElement& element) {
    int lines = std::clamp(element.operandCount, 0, kMaxOperands);
    for (int i = lines; i < kMaxOperands; ++i)
        if (!element.labels[static_cast<size_t>(i)].empty()) lines = i + 1;
    return lines;
}

namespace {

int BoxRows(const CElement& element) {
    const int height = M::kBoxHeader + BoxLines(element) * M::kBoxLine + 8;
    return std::max(1, (height + M::kRow - 1) / M::kRow);
}

int CommentHeight(const std::string& comment) {
    if (comment.empty()) return 0;
    const int lines = 1 + static_cast<int>(std::count(comment.begin(), comment.end(), '\n'));
    return std::min(lines, 40) * M::kCommentLine + 4;
}

bool IsOutput(const CElement& e) {
    const ElementShape shape = ShapeOf(e);
    return e.outputInstruction != 0 && shape != ElementShape::RungStart && shape != ElementShape::LegStart &&
           shape != ElementShape::Branch && shape != ElementShape::BranchEnd;
}

// A leg that holds only outputs (and branches of outputs) after its start.
bool OnlyOutputs(const CRung& leg, int depth) {
    if (depth > 64) return false;
    const auto& els = leg.elements;
    for (size_t i = 0; i < els.size(); ++i) {
        const CElement& e = *els[i];
        if (e.kind == kKindBranchLevel && i == 0) continue;
        if (e.kind == kKindBranch) {
            if (e.legs.empty()) return false;
            for (const auto& l : e.legs)
                if (!OnlyOutputs(*l, depth + 1)) return false;
            continue;
        }
        if (e.kind == kKindBranchEnd) continue;
        if (!IsOutput(e)) return false;
    }
    return true;
}

class Builder {
public:
    explicit Builder(RungLayout& out) : out_(out) {}

    // Lays out `list` from (x0, row0); returns its width and rows.
    std::pair<int, int> List(const CRung& list, int x0, int row0, int depth) {
        const size_t listIndex = out_.lists.size();
        out_.lists.push_back({const_cast<CRung*>(&list), {x0, row0 * M::kRow, 0, M::kRow}, depth, false});
        if (depth > 32) {  // deeper than any editor builds: stop instead of recursing on
            out_.damaged = true;
            return {0, 1};
        }
        int x = x0, rows = 1;
        int lastBranchRows = 0;
        const int top = row0 * M::kRow;
        const auto& els = list.elements;
        if (els.empty() || els[0]->kind != (depth == 0 ? kKindRung : kKindBranchLevel)) out_.damaged = true;
        for (size_t i = 0; i < els.size(); ++i) {
            CElement& e = *els[i];
            const auto cell = [&](int w, int h) {
                out_.cells.push_back({&e, const_cast<CRung*>(&list), {x, top, w, h}, depth, false});
                x += w;
            };
            switch (ShapeOf(e)) {
                case ElementShape::RungStart:
                case ElementShape::LegStart:
                    if (i != 0) out_.damaged = true;
                    cell(M::kMarker, M::kRow);
                    break;
                case ElementShape::Branch: {
                    if (i + 1 >= els.size() || els[i + 1]->kind != kKindBranchEnd) out_.damaged = true;
                    if (e.legs.empty()) {
                        out_.damaged = true;
                        cell(M::kMarker, M::kRow);
                        lastBranchRows = 1;
                        break;
                    }
                    const size_t branchCell = out_.cells.size();
                    out_.cells.push_back({&e, const_cast<CRung*>(&list), {x, top, 0, 0}, depth, false});
                    const size_t firstLeg = out_.lists.size();
                    int legRow = row0, widest = 0;
                    for (const auto& leg : e.legs) {
                        const auto [w, r] = List(*leg, x, legRow, depth + 1);
                        widest = std::max(widest, w);
                        legRow += r;
                    }
                    for (size_t l = firstLeg; l < out_.lists.size(); ++l)
                        if (out_.lists[l].depth == depth + 1) out_.lists[l].box.w = x + widest - out_.lists[l].box.x;
                    lastBranchRows = legRow - row0;
                    out_.cells[branchCell].box.h = lastBranchRows * M::kRow;
                    rows = std::max(rows, lastBranchRows);
                    x += widest;
                    break;
                }
                case ElementShape::BranchEnd:
                    if (i == 0 || els[i - 1]->kind != kKindBranch) {
                        out_.damaged = true;
                        lastBranchRows = 1;
                    }
                    cell(M::kMarker, std::max(lastBranchRows, 1) * M::kRow);
                    break;
                case ElementShape::Contact:
                case ElementShape::Coil: cell(M::kCell, M::kRow); break;
                case ElementShape::Box: {
                    const int r = BoxRows(e);
                    cell(M::kBoxCell, r * M::kRow);
                    rows = std::max(rows, r);
                    break;
                }
            }
        }
        out_.lists[listIndex].box.w = x - x0;
        out_.lists[listIndex].box.h = rows * M::kRow;
        return {x - x0, rows};
    }

private:
    RungLayout& out_;
};

// Index of the first top-level element of the trailing output group (elements.size()
// when there is none).
size_t RightGroupStart(const CRung& rung) {
    const auto& els = rung.elements;
    size_t start = els.size();
    while (start > 1) {
        const CElement& e = *els[start - 1];
        if (IsOutput(e)) {
            --start;
            continue;
        }
        if (e.kind == kKindBranchEnd && start >= 3 && els[start - 2]->kind == kKindBranch && !els[start - 2]->legs.empty()) {
            const CElement& branch = *els[start - 2];
            bool outputs = true, any = false;
            for (const auto& leg : branch.legs) {
                outputs = outputs && OnlyOutputs(*leg, 0);
                any = any || leg->elements.size() > 1;
            }
            if (outputs && any) {
                start -= 2;
                continue;
            }
        }
        break;
    }
    return start;
}

void Mix(uint64_t& h, uint64_t v) { h = (h ^ v) * 0x100000001b3ULL; }

void SignList(const CRung& list, uint64_t& h, int depth) {
    Mix(h, list.elements.size());
    if (depth > 64) return;
    for (const auto& e : list.elements) {
        Mix(h, e->id);
        Mix(h, static_cast<uint64_t>(e->kind) << 8 | static_cast<uint64_t>(e->operandCount & 0xFF));
        Mix(h, e->legs.size());
        for (const auto& leg : e->legs) SignList(*leg, h, depth + 1);
    }
}

}  // namespace

LayoutBox RungLayout::Placed(const ElementCell& cell) const {
    LayoutBox b = cell.box;
    if (cell.right) b.x += shift;
    return b;
}

LayoutBox RungLayout::Placed(const ListCell& list) const {
    LayoutBox b = list.box;
    if (list.right) b.x += shift;
    return b;
}

uint64_t RungSignature(const CRung& rung) {
    uint64_t h = 0xcbf29ce484222325ULL;
    SignList(rung, h, 0);
    Mix(h, static_cast<uint64_t>(CommentHeight(rung.comment)));
    return h;
}

RungLayout LayOutRung(const CRung& rung, int rail) {
    RungLayout out;
    const size_t groupStart = RightGroupStart(rung);
    size_t groupCell = SIZE_MAX, groupList = SIZE_MAX;
    {
        // Lay out, noting where the trailing group's first element lands.
        Builder builder(out);
        builder.List(rung, 0, 0, 0);
    }
    if (groupStart < rung.elements.size()) {
        const CElement* first = rung.elements[groupStart].get();
        for (size_t i = 0; i < out.cells.size(); ++i)
            if (out.cells[i].element == first) {
                groupCell = i;
                break;
            }
        // Legs of the group are laid out after its first element.
        const int groupX = groupCell == SIZE_MAX ? 0 : out.cells[groupCell].box.x;
        for (size_t l = 1; l < out.lists.size(); ++l)
            if (out.lists[l].box.x >= groupX && groupList == SIZE_MAX) groupList = l;
        for (size_t i = groupCell; i < out.cells.size(); ++i) out.cells[i].right = true;
        for (size_t l = groupList; l < out.lists.size(); ++l) out.lists[l].right = true;
    }
    out.width = out.lists.empty() ? 0 : out.lists[0].box.w;
    out.rows = out.lists.empty() ? 1 : out.lists[0].box.h / M::kRow;
    out.commentHeight = CommentHeight(rung.comment);
    out.height = out.commentHeight + out.rows * M::kRow + M::kRungGap;
    out.shift = rail > out.width ? rail - out.width : 0;
    out.signature = RungSignature(rung);
    return out;
}

void LadderLayout::Clear() {
    cache_.clear();
    order_.clear();
    rungs_.clear();
    tops_.clear();
    index_.clear();
}

int LadderLayout::Sync(const RungList& rungs) {
    int laidOut = 0;
    std::unordered_map<const CRung*, RungLayout> next;
    next.reserve(rungs.size());
    for (const auto& r : rungs) {
        const uint64_t sig = RungSignature(*r);
        auto found = cache_.find(r.get());
        if (found != cache_.end() && found->second.signature == sig) {
            next.emplace(r.get(), std::move(found->second));
        } else {
            next.emplace(r.get(), LayOutRung(*r));
            ++laidOut;
        }
    }
    cache_ = std::move(next);
    order_.clear();
    rungs_.clear();
    tops_.assign(1, 0);
    index_.clear();
    int widest = 0;
    for (const auto& r : rungs) widest = std::max(widest, cache_.at(r.get()).width);
    rail_ = std::max(M::kMinRail, widest);
    for (const auto& r : rungs) {
        RungLayout& layout = cache_.at(r.get());
        layout.shift = rail_ - layout.width;
        const int index = static_cast<int>(order_.size());
        for (size_t c = 0; c < layout.cells.size(); ++c) index_[layout.cells[c].element] = {index, static_cast<int>(c)};
        order_.push_back(&layout);
        rungs_.push_back(r.get());
        tops_.push_back(tops_.back() + layout.height);
    }
    return laidOut;
}

std::pair<int, int> LadderLayout::VisibleRungs(int top, int bottom) const {
    if (order_.empty()) return {0, 0};
    // tops_[i] is rung i's top; rung i is visible when tops_[i] < bottom and tops_[i+1] > top.
    const auto first = std::upper_bound(tops_.begin() + 1, tops_.end(), top) - (tops_.begin() + 1);
    const auto last = std::lower_bound(tops_.begin(), tops_.end() - 1, bottom) - tops_.begin();
    return {static_cast<int>(std::min<ptrdiff_t>(first, RungCount())), static_cast<int>(std::max<ptrdiff_t>(last, first))};
}

int LadderLayout::RungAt(int y) const {
    if (order_.empty() || y < 0 || y >= TotalHeight()) return -1;
    return static_cast<int>(std::upper_bound(tops_.begin(), tops_.end(), y) - tops_.begin()) - 1;
}

LayoutBox LadderLayout::BoxOf(const CElement* element) const {
    const auto found = index_.find(element);
    if (found == index_.end()) return {};
    const RungLayout& rung = Rung(found->second.first);
    LayoutBox b = rung.Placed(rung.cells[static_cast<size_t>(found->second.second)]);
    b.x += RailLeft();
    b.y += RowsTop(found->second.first);
    return b;
}

int LadderLayout::RungOf(const CElement* element) const {
    const auto found = index_.find(element);
    return found == index_.end() ? -1 : found->second.first;
}

LadderHit LadderLayout::HitTest(int x, int y) const {
    LadderHit hit;
    hit.rung = RungAt(y);
    if (hit.rung < 0) return hit;
    const RungLayout& rung = Rung(hit.rung);
    CRung* list = const_cast<CRung*>(rungs_[static_cast<size_t>(hit.rung)]);
    CElement* start = rung.cells.empty() ? nullptr : rung.cells[0].element;
    hit.list = list;
    const int ry = y - RowsTop(hit.rung), rx = x - RailLeft();
    if (ry < 0) {
        hit.area = LadderHit::Area::Comment;
        hit.element = start;
        return hit;
    }
    if (rx < 0) {
        hit.area = LadderHit::Area::RungNumber;
        hit.element = start;
        return hit;
    }
    // A branch element is never selected: what follows a selection is inserted after it.
    for (const ElementCell& cell : rung.cells)
        if (cell.box.w > 0 && cell.element->kind != kKindBranch && rung.Placed(cell).Contains(rx, ry)) {
            hit.area = LadderHit::Area::Element;
            hit.element = cell.element;
            hit.list = cell.list;
            return hit;
        }
    if (ry >= rung.rows * M::kRow) return hit;  // the gap below the rung
    // On a wire: the deepest list under the point, and its last element left of it.
    const ListCell* under = &rung.lists[0];
    for (const ListCell& l : rung.lists)
        if (l.depth > under->depth && rung.Placed(l).Contains(rx, ry)) under = &l;
    hit.area = LadderHit::Area::Wire;
    hit.list = under->list;
    for (const ElementCell& cell : rung.cells)
        if (cell.list == under->list && cell.element->kind != kKindBranch &&
            (!hit.element || rung.Placed(cell).x <= rx))
            hit.element = cell.element;
    return hit;
}

CElement* LadderLayout::ElementAt(int x, int y) const {
    const LadderHit hit = HitTest(x, y);
    return hit.area == LadderHit::Area::None ? nullptr : hit.element;
}

void LadderLayout::StoreRects() {
    for (int r = 0; r < RungCount(); ++r) {
        const RungLayout& rung = Rung(r);
        const int top = RowsTop(r);
        for (const ElementCell& cell : rung.cells) {
            const LayoutBox b = rung.Placed(cell);
            cell.element->rect = {RailLeft() + b.x, top + b.y, RailLeft() + b.Right(), top + b.Bottom()};
        }
    }
}

}  // namespace pontra
