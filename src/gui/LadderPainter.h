// SPDX-License-Identifier: GPL-3.0-or-later
// The ladder symbols, each drawn into a rectangle whose vertical centre is the wire:
// the editor draws them into cells, printing into pages, the instruction bar into icons.
#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace pontra::gui {

// Line width for a rectangle of this height (symbols stay crisp at every zoom).
double LadderPenWidth(const QRectF& rect);

// A wire across the rectangle at its vertical centre, as thick as a symbol of the
// rectangle's height draws its wires.
void PaintWire(QPainter& painter, const QRectF& rect, const QColor& color);
// -| |- ; negated: -|/|- ; `label` (e.g. "ONS") written small between the bars. The wire
// into the contact takes `wireIn` when given (online: the power before the contact).
void PaintContact(QPainter& painter, const QRectF& rect, bool negated, const QColor& color, const QString& label = {},
                  const QColor& wireIn = QColor());
// -( )- with an optional letter inside: "L", "U".
void PaintCoil(QPainter& painter, const QRectF& rect, const QString& letter, const QColor& color);
// A box instruction's frame with its caption bar: `rect` is the whole box, `header` the
// caption bar's height; wires enter at `wireY` on the left and leave on the right.
void PaintBoxFrame(QPainter& painter, const QRectF& rect, double header, const QColor& frame, const QColor& fill,
                   const QColor& headerFill);
// A power rail: a vertical bar filling the rectangle's width at its horizontal centre.
void PaintRail(QPainter& painter, const QRectF& rect, const QColor& color);
// A branch's vertical line down the middle of `rect`; the rectangle's width is the
// line's width.
void PaintBranchSide(QPainter& painter, const QRectF& rect, const QColor& color);

}  // namespace pontra::gui
