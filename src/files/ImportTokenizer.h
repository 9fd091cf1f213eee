// SPDX-License-Identifier: GPL-3.0-or-later
// The tokens of a component text file: the Structured Text scanner with attribute
// tokens ("{description = ...") and whole lines, and of the later passes only one: a "-"
// followed by a number becomes a negative number. Tokens are scanned as the reader asks
// for them, so a file of any size needs only its own text in memory.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "st/Lexer.h"

namespace pontra {

struct ImportToken {
    std::string text;  // empty only for the end of the text
    int kind = kTokUnknown;
    int line = 0;      // 1-based line on which the token ends
    size_t start = 0;  // offsets of its first character and behind its last in the file
    size_t end = 0;

    bool IsEnd() const { return text.empty(); }
    // "{alias = X", "{description = X", "{comment = X": the "}" is the next token.
    bool IsAttribute() const { return !text.empty() && text[0] == '{'; }
    bool IsNumber() const { return kind == kTokLiteral; }
    bool IsName() const { return kind == kTokWord; }
};

class ImportTokenizer {
public:
    explicit ImportTokenizer(std::string_view text);
    ImportTokenizer(const ImportTokenizer&) = delete;
    ImportTokenizer& operator=(const ImportTokenizer&) = delete;

    // The token the reader stands on; the end token once the text is used up.
    const ImportToken& Current();
    // The token after the current one.
    const ImportToken& Following();
    // Steps past the current token (never past the end token).
    void Advance();

    // The file's characters between two offsets.
    std::string_view Slice(size_t start, size_t end) const;
    std::string_view Text() const { return text_; }
    // 1-based line of a file offset.
    int LineOf(size_t offset) const;
    // File offset of the start of a 1-based line (the text's size past the last line).
    size_t LineStart(int line) const;

private:
    ImportToken ScanRaw();
    ImportToken Scan();

    std::string_view text_;
    std::vector<size_t> lineStarts_;
    Scanner scanner_;
    std::optional<ImportToken> current_;
    std::optional<ImportToken> following_;
    std::optional<ImportToken> rawAhead_;
};

}  // namespace pontra
