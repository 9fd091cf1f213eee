// SPDX-License-Identifier: GPL-3.0-or-later
// Text typed into a field on its way into the model: a character that Windows-1252
// cannot hold is refused with a message where it was typed.
#pragma once

#include <QString>
#include <optional>
#include <string>

namespace pontra {
class Host;
}

namespace pontra::gui {

// "The character U+2192 cannot be used here."
std::string UnrepresentableRefusal(const QString& text);

// The text in Windows-1252, or none after the refusal was shown through `host`.
std::optional<std::string> TypedText(Host& host, const QString& text);

}  // namespace pontra::gui
