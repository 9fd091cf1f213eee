// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/TypedText.h"

#include "gui/QtText.h"
#include "host/Host.h"
#include "model/TextEncoding.h"

namespace pontra::gui {

std::string UnrepresentableRefusal(const QString& text) {
    const auto failure = Utf8ToCp1252(text.toStdString()).failure;
    const std::string what =
        failure && failure->character ? "The character " + CodePointName(*failure->character) : std::string("This text");
    return what + " cannot be used here.";
}

std::optional<std::string> TypedText(Host& host, const QString& text) {
    auto converted = FromQString(text);
    if (!converted) host.Message(UnrepresentableRefusal(text));
    return converted;
}

}  // namespace pontra::gui
