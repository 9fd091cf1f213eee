// SPDX-License-Identifier: GPL-3.0-or-later
// Draws rungs of a laid-out ladder at a scale: the editor draws the rungs in view, the
// printer the rungs of a page. It only draws: where things sit comes from the core's
// LadderLayout, which parts carry power from the core's power flow.
#pragma once

#include <QPointF>

#include <unordered_map>
#include <unordered_set>

#include "gui/LadderStyle.h"
#include "shell/LadderLayout.h"
#include "shell/LadderPowerFlow.h"

class QPainter;

namespace pontra {
class CMainFrame;
class OperandLookup;
}  // namespace pontra

namespace pontra::gui {

struct RenderMarks {
    const CElement* selected = nullptr;
    const CElement* found = nullptr;
    const std::unordered_set<uint64_t>* errors = nullptr;  // ids of elements with verification errors
    int dropBefore = -1;                                   // a rung being dragged lands before this one
    bool showSelection = true;
};

class LadderRenderer {
public:
    LadderRenderer(const LadderLayout& layout, OperandLookup& lookup) : layout_(layout), lookup_(lookup) {}

    void SetScale(double scale);
    double Scale() const { return scale_; }
    const LadderStyle& Style() const { return style_; }
    // Online: the power of each rung (null offline: everything in ink colour).
    void SetPower(const std::unordered_map<const CRung*, RungPower>* power) { power_ = power; }
    void SetLive(bool live) { live_ = live; }

    // Draws rung `index` with its band's top-left (view x 0, its RungTop) at `origin`.
    void PaintRung(QPainter& painter, int index, QPointF origin, const RenderMarks& marks) const;
    // The rails across [top, bottom) in device pixels, for the band at `originX`.
    void PaintRails(QPainter& painter, double originX, double top, double bottom) const;

private:
    void PaintCell(QPainter& painter, const RungLayout& rung, const ElementCell& cell, QPointF rowsOrigin,
                   const RungPower* power, const RenderMarks& marks) const;
    void PaintBoxText(QPainter& painter, const CElement& e, const QRectF& box) const;
    QColor WireColor(bool energised) const;

    const LadderLayout& layout_;
    OperandLookup& lookup_;
    LadderStyle style_ = LadderStyle::Make(1.0);
    double scale_ = 1.0;
    const std::unordered_map<const CRung*, RungPower>* power_ = nullptr;
    bool live_ = false;
};

}  // namespace pontra::gui
