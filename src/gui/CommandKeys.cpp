// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/CommandKeys.h"

#include <QKeyEvent>
#include <QString>

namespace pontra::gui {

QList<QKeySequence> ShortcutsOf(const CommandInfo& info) {
    QList<QKeySequence> keys;
    for (std::string_view key : info.accelerators)
        if (!key.empty()) keys << QKeySequence(QString::fromLatin1(key.data(), static_cast<int>(key.size())));
    return keys;
}

std::optional<Command> CommandOfKey(const QKeyEvent& event, uint32_t places) {
    const QKeySequence pressed(event.keyCombination());
    for (const CommandInfo& info : CommandTable())
        if ((info.places & places) && ShortcutsOf(info).contains(pressed)) return info.command;
    return std::nullopt;
}

}  // namespace pontra::gui
