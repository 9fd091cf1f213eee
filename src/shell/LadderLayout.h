// SPDX-License-Identifier: GPL-3.0-or-later
// Where everything of a ladder view sits, without a toolkit: per rung the box of every
// element (conditions in series from the left rail, the trailing outputs against the
// right rail, branch legs stacked under each other, branches nested), the rung's
// height, the rungs' vertical offsets, and hit testing from a point to an element.
//
// Coordinates are view units: pixels at 100 % zoom. The widget only scales them.
// Layouts are cached per rung and recomputed only for rungs whose structure changed
// since the last Sync (a signature of element ids, kinds and legs tells).
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "model/Ladder.h"

namespace pontra {

struct LayoutBox {
    int x = 0, y = 0, w = 0, h = 0;
    int Right() const { return x + w; }
    int Bottom() const { return y + h; }
    bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
    bool Intersects(const LayoutBox& o) const { return x < o.Right() && o.x < Right() && y < o.Bottom() && o.y < Bottom(); }
    bool operator==(const LayoutBox&) const = default;
};

// How an element is drawn.
enum class ElementShape { RungStart, LegStart, Branch, BranchEnd, Contact, Coil, Box };
ElementShape ShapeOf(const CElement& element);

// Sizes in view units.
struct LadderMetrics {
    static constexpr int kGutter = 52;        // rung numbers, left of the left rail
    static constexpr int kMarker = 14;        // rung start, leg start, branch end
    static constexpr int kCell = 140;         // a contact or a coil
    static constexpr int kBoxCell = 220;      // a box instruction
    static constexpr int kRow = 72;           // one row of a rung
    static constexpr int kWireY = 30;         // the wire's height inside a row
    static constexpr int kBoxHeader = 22;     // a box's caption line
    static constexpr int kBoxLine = 36;       // a box's operand line: operand, description, live value
    static constexpr int kCommentLine = 16;   // one line of a rung comment
    static constexpr int kRungGap = 10;       // below every rung
    static constexpr int kMinRail = 900;      // the least distance between the rails
    static constexpr int kRightMargin = 20;   // right of the right rail
};

// Number of operand lines a box shows (operands, or labels such as "Preset"/"Accum").
int BoxLines(const CElement& element);

struct ElementCell {
    CElement* element = nullptr;
    CRung* list = nullptr;     // the rung or leg that holds the element
    LayoutBox box;             // relative to the rung's origin (left rail, top of its first row)
    int depth = 0;             // branch nesting
    bool right = false;        // in the trailing group that sits against the right rail
};

// The extent of one list: the rung itself or a branch leg. A leg's box (and its wire)
// runs from its start to its branch's close; the rung's wire runs on to the right rail.
struct ListCell {
    CRung* list = nullptr;
    LayoutBox box;             // relative to the rung's origin
    int depth = 0;
    bool right = false;
};

struct RungLayout {
    std::vector<ElementCell> cells;   // program order (the order of find and of moves)
    std::vector<ListCell> lists;      // the rung first, then legs in program order
    int width = 0;                    // natural width from the left rail
    int rows = 1;
    int commentHeight = 0;
    int height = 0;                   // the whole band: comment, rows, gap
    // Set when the rung's structure is not one the editor builds (a branch without
    // legs or without its close marker, a leg without its start): it is laid out as
    // far as it goes and the view marks it.
    bool damaged = false;
    uint64_t signature = 0;
    int shift = 0;                    // how far the right group moves to meet the rail
    // The box in rung coordinates with the right group moved against the rail.
    LayoutBox Placed(const ElementCell& cell) const;
    LayoutBox Placed(const ListCell& list) const;
};

// Lays out one rung (no cache). `rail` is the distance between the rails; zero lays out
// at the natural width.
RungLayout LayOutRung(const CRung& rung, int rail = 0);

struct LadderHit {
    enum class Area { None, RungNumber, Comment, Element, Wire };
    Area area = Area::None;
    int rung = -1;
    CElement* element = nullptr;    // Element: the element; Wire: the element before the point
    CRung* list = nullptr;          // the rung or leg under the point
};

class LadderLayout {
public:
    // Brings the layout up to date with `rungs`; lays out again only rungs whose
    // structure changed or that are new. Returns how many rungs were laid out.
    int Sync(const RungList& rungs);
    // Forgets every cached rung (a new project).
    void Clear();

    int RungCount() const { return static_cast<int>(order_.size()); }
    const RungLayout& Rung(int index) const { return *order_[static_cast<size_t>(index)]; }
    int RungTop(int index) const { return tops_[static_cast<size_t>(index)]; }
    // The distance between the rails, shared by all rungs.
    int Rail() const { return rail_; }
    int TotalWidth() const { return LadderMetrics::kGutter + rail_ + LadderMetrics::kRightMargin; }
    int TotalHeight() const { return tops_.empty() ? 0 : tops_.back(); }
    // The x of the left rail in view units.
    static constexpr int RailLeft() { return LadderMetrics::kGutter; }
    // The top of rung `index`'s first row (below its comment).
    int RowsTop(int index) const { return RungTop(index) + Rung(index).commentHeight; }

    // Rungs that intersect [top, bottom): first and one past the last.
    std::pair<int, int> VisibleRungs(int top, int bottom) const;
    // The rung whose band holds y, or -1.
    int RungAt(int y) const;

    // An element's box in view units, or an empty box when it is not laid out.
    LayoutBox BoxOf(const CElement* element) const;
    int RungOf(const CElement* element) const;
    LadderHit HitTest(int x, int y) const;
    // The element a click at (x, y) selects: the element under it, or on a wire the
    // element before the point (the insertion point), or the rung start on its number.
    CElement* ElementAt(int x, int y) const;

    // Writes every element's box into its `rect` in view units (the undo snapshot
    // records the selection's place from it).
    void StoreRects();

private:
    std::unordered_map<const CRung*, RungLayout> cache_;
    std::vector<const RungLayout*> order_;
    std::vector<const CRung*> rungs_;
    std::vector<int> tops_;  // RungCount()+1 offsets
    std::unordered_map<const CElement*, std::pair<int, int>> index_;  // element -> (rung, cell)
    int rail_ = LadderMetrics::kMinRail;
};

// The structural signature of a rung: ids, kinds, operand counts and legs.
uint64_t RungSignature(const CRung& rung);

}  // namespace pontra
