// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text lexer: the character scanner that cuts a unit's lines into raw
// tokens, and the token passes that fold comments away and join literals, array and
// member references into single tokens. The editor and the component import use the
// scanner on its own; the compiler runs the whole lexer.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pontra {

enum TokenKind : int {
    kTokUnknown = -1,  // a character that starts no token
    kTokWord = 1,      // a name before keyword classification
    kTokLiteral = 2,
    kTokOperator = 3,
    kTokKeyword = 5,
    kTokIdentifier = 6,
    kTokFunctionBlockInstance = 7,
    kTokFunctionName = 8,
    kTokProgramName = 9,
    kTokStandardFunction = 10,
    kTokStandardFunctionBlockInstance = 11,
    kTokRegisterReference = 12,  // "%R" or "%RC" joined with a register number
};

struct Token {
    std::string text;
    int kind = kTokUnknown;
    std::string type;  // literal type (DINT, REAL, BOOL, TIME) or an instance's block type
    int line = 0;      // 1-based line on which the token ends
    int column = 0;    // position in that line just behind the token
};

using TokenList = std::vector<std::unique_ptr<Token>>;

// The one error path of the whole compiler: line, reporting routine, message.
using CompilerErrorFn = std::function<void(int line, const std::string& routine, const std::string& message)>;

// "Error at line %d : %s : %s"
std::string FormatCompilerError(int line, std::string_view routine, std::string_view message);

constexpr size_t kScanLineLimit = 512;  // characters of a line the scanner reads
constexpr size_t kTokenTextLimit = 128;  // characters of a token the scanner stores

// What the component import needs beyond the compiler's scanning; the compiler uses
// the defaults.
struct ScanOptions {
    // Lines are read whole instead of being cut at kScanLineLimit characters.
    bool wholeLines = false;
    // "{" starts a token that takes every character up to, not including, the next "}"
    // (across lines and without the token length limit); the "}" is then a token of its own.
    bool attributes = false;
};

// The character scanner over the lines of one text.
class Scanner {
public:
    explicit Scanner(const std::vector<std::string>& lines, ScanOptions options = {})
        : lines_(&lines), options_(options) {}
    // Over a whole text, split into lines at "\n" as it is read (a last "\n" ends the last
    // line): no copy of the text is made.
    explicit Scanner(std::string_view text, ScanOptions options = {}) : text_(text), options_(options) {}
    // Scans one token; at the end of the text a token with empty text.
    Token getToken();
    // Where the last token began: its line and the position of its first character in
    // that line (the token's line and column give where it ended).
    int StartLine() const { return startLine_; }
    int StartColumn() const { return startColumn_; }

private:
    int Next();  // next character, or -1 at the end of the text
    void GiveBack() { --pos_; }

    // The next line, or false at the end of the text.
    bool NextLine(std::string_view& line);

    const std::vector<std::string>* lines_ = nullptr;  // else the text
    std::string_view text_;
    size_t textPos_ = 0;
    ScanOptions options_;
    int startLine_ = 0;
    int startColumn_ = 0;
    std::string buffer_;
    size_t pos_ = 0;
    int lineCounter_ = 0;
    bool endOfText_ = false;
};

// Scans the whole text, appends the empty terminator and runs the token passes in
// order. Based-number and duration errors are reported through `error`.
TokenList Tokenize(const std::vector<std::string>& lines, const CompilerErrorFn& error);

bool IsKeyword(std::string_view text);
// A Word becomes a Keyword or an Identifier; other kinds are left alone.
void ClassifyKeyword(Token& token);

// The token at `index`; reports "Not enough tokens" or "Invalid token" and gives null.
const Token* GetNextToken(const TokenList& tokens, size_t index, const CompilerErrorFn& error);

}  // namespace pontra
