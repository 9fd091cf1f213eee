// SPDX-License-Identifier: GPL-3.0-or-later
// The GUI's one crossing between Qt's Unicode strings and the model's Windows-1252 text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QString>

namespace pontra::gui {

QString ToQString(std::string_view cp1252);
// None when a character cannot be held in Windows-1252: nothing is replaced silently.
std::optional<std::string> FromQString(const QString& text);

}  // namespace pontra::gui
