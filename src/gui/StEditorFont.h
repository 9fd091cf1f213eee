// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor's font, shared by its text and its debug pane so that
// their lines stand level: "Courier New" 13 pixels high (a fixed-pitch face where the
// system has no Courier New).
#pragma once

#include <QFont>

namespace pontra::gui {

QFont StEditorFont();

}  // namespace pontra::gui
