// SPDX-License-Identifier: GPL-3.0-or-later
// Searching the Structured Text editor's text: "Find Next" of its find dialog, and the
// word a double click selects.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace pontra {

struct TextFindOptions {
    std::string text;  // "Find what:"
    bool matchCase = false;
    bool wholeWord = false;
    bool down = true;
};

// Characters [first, second).
using TextSpan = std::pair<size_t, size_t>;

// Down: the first hit from the end of the selection to the end of the text. Up: the last
// hit that ends at or before the start of the selection. Whole word: the hit is neither
// preceded nor followed by a word character. An empty search text finds nothing.
std::optional<TextSpan> FindInText(std::string_view text, TextSpan selection, const TextFindOptions& options);

// Letters, digits and "_".
bool IsWordCharacter(char c);

// The word around `column` of `line`: from there over word characters in both directions.
TextSpan WordAround(std::string_view line, size_t column);

}  // namespace pontra
