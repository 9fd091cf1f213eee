// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StTokenLookup.h"

#include <algorithm>

#include "shell/StTextBuffer.h"

namespace pontra {

TokenList LexText(const StTextBuffer& text) {
    return Tokenize(text.Lines(), [](int, const std::string&, const std::string&) {});
}

std::optional<TokenHit> TokenAt(const TokenList& tokens, const StTextBuffer& text, long long p) {
    if (p < 0 || static_cast<size_t>(p) > text.Length()) return std::nullopt;
    const size_t line = text.LineOf(static_cast<size_t>(p));
    const long long start = static_cast<long long>(text.LineStart(line));
    const int wanted = static_cast<int>(line) + 1;
    // Token lines never decrease along the list: a join keeps the line of its last part.
    auto it = std::lower_bound(tokens.begin(), tokens.end(), wanted,
                               [](const std::unique_ptr<Token>& t, int l) { return t->line < l; });
    for (; it != tokens.end() && (*it)->line == wanted; ++it) {
        const Token& t = **it;
        const long long end = start + t.column;
        const long long begin = end - static_cast<long long>(t.text.size());
        if (begin < p && p <= end) return TokenHit{&t, begin};
    }
    return std::nullopt;
}

}  // namespace pontra
