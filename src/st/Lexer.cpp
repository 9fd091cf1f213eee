// SPDX-License-Identifier: GPL-3.0-or-later
#include "st/Lexer.h"

#include <array>
#include <cstdio>

#include "st/TokenPasses.h"

namespace pontra {

namespace {

// Character classes are ASCII only: bytes above 127 start no token.
bool IsLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsNameChar(int c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
bool IsOneOf(int c, std::string_view set) { return c > 0 && set.find(static_cast<char>(c)) != std::string_view::npos; }

constexpr std::array<std::string_view, 14> kOperatorPairs = {"(*", "**", "/*", "*)", ":=", "<=", ">=",
                                                            "..", "<>", "=>", ">>", "<<", "//", "*/"};

bool IsOperatorPair(int first, int second) {
    if (second <= 0) return false;
    const char pair[2] = {static_cast<char>(first), static_cast<char>(second)};
    for (auto p : kOperatorPairs)
        if (p == std::string_view(pair, 2)) return true;
    return false;
}

constexpr std::string_view kKeywords[] = {
    "ACTION",      "END_ACTION",     "ARRAY",        "OF",           "AT",         "CASE",
    "ELSE",        "END_CASE",       "CONFIGURATION", "END_CONFIGURATION", "CONSTANT", "EXIT",
    "FOR",         "TO",             "BY",           "DO",           "END_FOR",    "FUNCTION",
    "END_FUNCTION", "FUNCTION_BLOCK", "END_FUNCTION_BLOCK", "IF",    "THEN",       "ELSIF",
    "END_IF",      "INITIAL_STEP",   "END_STEP",     "PROGRAM",      "WITH",       "END_PROGRAM",
    "READ_ONLY",   "READ_WRITE",     "REPEAT",       "UNTIL",        "END_REPEAT", "RESOURCE",
    "ON",          "END_RESOURCE",   "RETAIN",       "RETURN",       "STEP",       "STRUCT",
    "END_STRUCT",  "TASK",           "FROM",         "END_TRANSITION", "TYPE",     "END_TYPE",
    "VAR",         "END_VAR",        "VAR_INPUT",    "VAR_OUTPUT",   "VAR_IN_OUT", "VAR_EXTERNAL",
    "VAR_ACCESS",  "VAR_GLOBAL",     "WHILE",        "END_WHILE"};
static_assert(std::size(kKeywords) == 58);

}  // namespace

std::string FormatCompilerError(int line, std::string_view routine, std::string_view message) {
    return "Error at line " + std::to_string(line) + " : " + std::string(routine) + " : " + std::string(message);
}

bool Scanner::NextLine(std::string_view& line) {
    if (lines_) {
        if (static_cast<size_t>(lineCounter_) >= lines_->size()) return false;
        line = (*lines_)[static_cast<size_t>(lineCounter_)];
        return true;
    }
    if (textPos_ >= text_.size()) return false;
    size_t end = text_.find('\n', textPos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(textPos_, end - textPos_);
    textPos_ = end + 1;
    return true;
}

int Scanner::Next() {
    if (pos_ < buffer_.size()) return static_cast<unsigned char>(buffer_[pos_++]);
    std::string_view line;
    if (endOfText_ || !NextLine(line)) {
        endOfText_ = true;
        return -1;
    }
    // A line is read whole but at most its first 512 characters are kept. Its line end
    // is always kept, so that a token never runs on into the next line.
    buffer_.assign(line.substr(0, options_.wholeLines ? line.size() : std::min(line.size(), kScanLineLimit)));
    buffer_.push_back('\n');
    ++lineCounter_;
    pos_ = 0;
    return static_cast<unsigned char>(buffer_[pos_++]);
}

// scanner: start -> name | number | operator -> done
Token Scanner::getToken() {
    Token token;
    enum class State { Start, Name, Number, Operator } state = State::Start;
    int first = 0;
    auto store = [&](int c) {
        if (token.text.size() < kTokenTextLimit) token.text.push_back(static_cast<char>(c));
    };
    auto giveBack = [&](int c) {
        if (c >= 0) GiveBack();
    };
    for (bool done = false; !done;) {
        const int c = Next();
        switch (state) {
        case State::Start:
            if (c >= 0 && c != ' ' && c != '\t' && c != '\n' && c != '\r') {
                startLine_ = lineCounter_;
                startColumn_ = static_cast<int>(pos_) - 1;
            }
            if (c < 0) {
                done = true;
            } else if (c == '{' && options_.attributes) {
                token.text.push_back('{');
                for (int a = Next(); a >= 0; a = Next()) {
                    if (a == '}') {
                        GiveBack();
                        break;
                    }
                    token.text.push_back(static_cast<char>(a));
                }
                token.kind = kTokUnknown;
                done = true;
            } else if (IsOneOf(c, "+-#)[],;&")) {
                store(c);
                token.kind = kTokOperator;
                done = true;
            } else if (IsOneOf(c, "/(*.:<>=%")) {
                store(c);
                first = c;
                state = State::Operator;
            } else if (IsDigit(c)) {
                store(c);
                state = State::Number;
            } else if (IsLetter(c) || c == '_') {
                store(c);
                state = State::Name;
            } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
                store(c);
                token.kind = kTokUnknown;
                done = true;
            }
            break;
        case State::Name:
            if (IsNameChar(c)) {
                store(c);
            } else {
                giveBack(c);
                token.kind = kTokWord;
                done = true;
            }
            break;
        case State::Number:
            if (IsDigit(c)) {
                store(c);
            } else {
                giveBack(c);
                token.kind = kTokLiteral;
                done = true;
            }
            break;
        case State::Operator:
            token.kind = kTokOperator;
            done = true;
            if (first == '%') {
                if (c == 'R') {
                    store(c);
                    const int after = Next();
                    if (after == 'C')
                        store(after);
                    else
                        giveBack(after);
                } else {
                    giveBack(c);
                }
            } else if (IsOperatorPair(first, c)) {
                store(c);
            } else {
                giveBack(c);
            }
            break;
        }
    }
    token.line = lineCounter_;
    token.column = static_cast<int>(pos_);
    return token;
}

bool IsKeyword(std::string_view text) {
    for (auto k : kKeywords)
        if (k == text) return true;
    return false;
}

void ClassifyKeyword(Token& token) {
    if (token.kind == kTokWord) token.kind = IsKeyword(token.text) ? kTokKeyword : kTokIdentifier;
}

const Token* GetNextToken(const TokenList& tokens, size_t index, const CompilerErrorFn& error) {
    if (index >= tokens.size()) {
        error(0, "GetNextToken", "Not enough tokens");
        return nullptr;
    }
    if (!tokens[index]) {
        error(0, "GetNextToken", "Invalid token");
        return nullptr;
    }
    return tokens[index].get();
}

TokenList Tokenize(const std::vector<std::string>& lines, const CompilerErrorFn& error) {
    TokenList tokens;
    Scanner scanner(lines);
    for (;;) {
        auto token = std::make_unique<Token>(scanner.getToken());
        const bool end = token->text.empty();
        tokens.push_back(std::move(token));
        if (end) break;
    }
    RunTokenPasses(tokens, error);
    return tokens;
}

}  // namespace pontra
