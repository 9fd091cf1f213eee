// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/QtText.h"

#include "model/TextEncoding.h"

namespace pontra::gui {

QString ToQString(std::string_view cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }

std::optional<std::string> FromQString(const QString& text) {
    Cp1252Result result = Utf8ToCp1252(text.toStdString());
    if (!result.ok()) return std::nullopt;
    return std::move(result.text);
}

}  // namespace pontra::gui
