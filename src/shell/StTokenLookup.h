// SPDX-License-Identifier: GPL-3.0-or-later
// The token under a position of the Structured Text editor's text, found with the whole
// lexer (scanner and token passes), so that a name with its members or indices is one
// token, as the compiler sees it.
#pragma once

#include <optional>

#include "st/Lexer.h"

namespace pontra {

class StTextBuffer;

// The lexer's tokens of the text. Literal errors are not reported: the editor is not
// compiling, and a half-typed "16#" is no error yet.
TokenList LexText(const StTextBuffer& text);

struct TokenHit {
    const Token* token = nullptr;
    long long begin = 0;  // position of its first character (before the line for a token joined across lines)
};

// The first token on the line of `p` that ends at or covers it: begin < p <= end.
std::optional<TokenHit> TokenAt(const TokenList& tokens, const StTextBuffer& text, long long p);

}  // namespace pontra
