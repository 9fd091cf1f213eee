// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/QtText.h"

#include "model/TextEncoding.h"

namespace pontra::gui {

QString ToQString(std::string_view cp1252) {
    const std::string utf8 = Cp1252ToUtf8(cp1252);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::optional<std::string> FromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    Cp1252Result result = Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    if (!result.ok()) return std::nullopt;
    return std::move(result.text);
}

}  // namespace pontra::gui
