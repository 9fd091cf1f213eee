// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/StEditorFont.h"

namespace pontra::gui {

QFont StEditorFont() {
    QFont font("Courier New");
    font.setPixelSize(13);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

}  // namespace pontra::gui
