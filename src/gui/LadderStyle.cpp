// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/LadderStyle.h"

#include <algorithm>

namespace pontra::gui {

namespace {

QFont Font(double pixels, bool bold, bool italic = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(pixels + 0.5)));
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

}  // namespace

LadderStyle LadderStyle::Make(double scale) {
    LadderStyle s;
    s.operandFont = Font(11.5 * scale, true);
    s.descriptionFont = Font(10 * scale, false);
    s.captionFont = Font(12 * scale, true);
    s.commentFont = Font(12 * scale, false, true);
    s.numberFont = Font(12 * scale, false);
    return s;
}

}  // namespace pontra::gui
