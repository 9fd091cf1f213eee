// SPDX-License-Identifier: GPL-3.0-or-later
// The one crossing between Qt's Unicode strings and the model's Windows-1252 text.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace pontra::gui {

QString ToQString(std::string_view cp1252);
// None when a character cannot be held in Windows-1252.
std::optional<std::string> FromQString(const QString& text);

}  // namespace pontra::gui
