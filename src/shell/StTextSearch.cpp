// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StTextSearch.h"

#include <algorithm>
#include <cctype>

namespace pontra {

namespace {

bool SameCharacter(char a, char b, bool matchCase) {
    if (matchCase) return a == b;
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

bool MatchesAt(std::string_view text, size_t at, const TextFindOptions& options) {
    const std::string& what = options.text;
    if (at + what.size() > text.size()) return false;
    for (size_t i = 0; i < what.size(); ++i)
        if (!SameCharacter(text[at + i], what[i], options.matchCase)) return false;
    if (!options.wholeWord) return true;
    const bool before = at > 0 && IsWordCharacter(text[at - 1]);
    const bool after = at + what.size() < text.size() && IsWordCharacter(text[at + what.size()]);
    return !before && !after;
}

}  // namespace

bool IsWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::optional<TextSpan> FindInText(std::string_view text, TextSpan selection,
                                   const TextFindOptions& options) {
    const size_t n = options.text.size();
    if (n == 0 || n > text.size()) return std::nullopt;
    if (options.down) {
        for (size_t at = std::min(selection.second, text.size()); at + n <= text.size(); ++at)
            if (MatchesAt(text, at, options)) return TextSpan{at, at + n};
        return std::nullopt;
    }
    const size_t limit = std::min(selection.first, text.size());
    if (limit < n) return std::nullopt;
    for (size_t at = limit - n + 1; at-- > 0;)
        if (MatchesAt(text, at, options)) return TextSpan{at, at + n};
    return std::nullopt;
}

TextSpan WordAround(std::string_view line, size_t column) {
    column = std::min(column, line.size());
    size_t first = column, last = column;
    while (first > 0 && IsWordCharacter(line[first - 1])) --first;
    while (last < line.size() && IsWordCharacter(line[last])) ++last;
    return {first, last};
}

}  // namespace pontra
