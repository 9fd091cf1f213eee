// SPDX-License-Identifier: GPL-3.0-or-later
// The one place where the GUI's Unicode strings meet the project's Windows-1252 text.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace pontra::gui {

QString ToQString(std::string_view cp1252);
// None when the text holds a character that Windows-1252 cannot hold.
std::optional<std::string> FromQString(const QString& text);

}  // namespace pontra::gui
