// SPDX-License-Identifier: GPL-3.0-or-later
// The instruction bar's icons, drawn in code: contacts, coils and one-shots with the
// ladder editor's painter (LadderPainter.h), so a button looks like what it inserts;
// boxes with their mnemonic; the rung and branch marks.
#pragma once

#include <QColor>
#include <QIcon>
#include <QRectF>

#include "model/InstructionBar.h"

class QPainter;

namespace pontra::gui {

// The symbol of an element kind (the catalogue's kinds; 1 a rung, 5 a branch) inside
// `box`, lines in `ink`.
void PaintLadderSymbol(QPainter& painter, const QRectF& box, int kind, const QColor& ink);

// The mnemonic (or "Rung", "Branch", "Branch Leg") and the description a button shows
// as its tip.
QString ButtonName(const BarButton& button);
QString ButtonTip(const BarButton& button);

// The instruction bar's icon of a button.
QIcon ButtonIcon(const BarButton& button);

}  // namespace pontra::gui
