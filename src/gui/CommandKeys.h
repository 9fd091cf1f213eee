// SPDX-License-Identifier: GPL-3.0-or-later
// The keys of the core's command table as Qt sees them: the main window's actions, the
// context menus of the views and the views' own key handling all read them here.
#pragma once

#include <QKeySequence>
#include <QList>
#include <optional>

#include "shell/CommandTable.h"

class QKeyEvent;

namespace pontra::gui {

// Every accelerator of a command ("Ctrl+Z", "Alt+Backspace").
QList<QKeySequence> ShortcutsOf(const CommandInfo& info);
// The command offered at `places` whose accelerator is the key pressed, if any.
std::optional<Command> CommandOfKey(const QKeyEvent& event, uint32_t places);

}  // namespace pontra::gui
