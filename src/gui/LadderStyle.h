// SPDX-License-Identifier: GPL-3.0-or-later
// The ladder's colours, pens and fonts, in one place for the editor, printing and the
// instruction bar's icons.
#pragma once

#include <QColor>
#include <QFont>

namespace pontra::gui {

struct LadderStyle {
    QColor background{255, 255, 255};
    QColor ink{30, 30, 30};              // symbols and wires offline
    QColor rail{40, 40, 40};
    QColor energised{0, 160, 40};        // online: power flows
    QColor deenergised{20, 30, 140};     // online: no power
    QColor operand{0, 0, 0};
    QColor description{120, 120, 120};   // the grey line under an operand
    QColor liveValue{150, 70, 0};
    QColor comment{0, 110, 60};
    QColor rungNumber{90, 90, 90};
    QColor gutter{244, 245, 247};
    QColor boxFill{252, 252, 246};
    QColor boxHeader{232, 236, 244};
    QColor selection{51, 122, 220};
    QColor selectionFill{214, 230, 252};
    QColor found{255, 236, 140};
    QColor error{210, 30, 30};
    QColor errorFill{255, 222, 222};
    QColor damaged{200, 40, 40};
    QColor dropMarker{51, 122, 220};

    QFont operandFont;      // operand names
    QFont descriptionFont;  // smaller, for descriptions and live values
    QFont captionFont;      // box mnemonics
    QFont commentFont;
    QFont numberFont;

    // Fonts sized for `scale` (1.0 = 100 % zoom), in pixels so printing and the screen agree.
    static LadderStyle Make(double scale);
};

}  // namespace pontra::gui
