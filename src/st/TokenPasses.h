// SPDX-License-Identifier: GPL-3.0-or-later
// The token passes of the lexer, run in their fixed order over a scanned token list.
#pragma once

#include "st/Lexer.h"

namespace pontra {

void RunTokenPasses(TokenList& tokens, const CompilerErrorFn& error);

}  // namespace pontra
