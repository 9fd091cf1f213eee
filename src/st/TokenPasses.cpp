// SPDX-License-Identifier: GPL-3.0-or-later
#include "st/TokenPasses.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "model/CompilerQuirks.h"

namespace pontra {

namespace {

// Every pass compacts the list in place: the surviving tokens move down over the ones
// dropped or joined, so that deleting and joining stay linear in the length of the text
// and no pass allocates a second list. The write position never passes the read
// position, so a token is always read before its place is written.

bool IsTerminator(const Token& t) { return t.text.empty(); }
bool Is(const Token& t, std::string_view text) { return t.text == text; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Moves the token at `from` to the write position `w` (never behind it) and advances
// `w`; a dropped token still in that place goes.
void Keep(TokenList& tokens, size_t& w, size_t from) {
    if (w != from) tokens[w] = std::move(tokens[from]);
    ++w;
}

// pass 1: "//" up to the end of its line
void DropLineComments(TokenList& tokens) {
    size_t w = 0;
    for (size_t i = 0; i < tokens.size();) {
        if (Is(*tokens[i], "//")) {
            const int line = tokens[i]->line;
            for (++i; i < tokens.size() && tokens[i]->line == line && !IsTerminator(*tokens[i]);) ++i;
            continue;
        }
        Keep(tokens, w, i++);
    }
    tokens.resize(w);
}

// passes 2 and 3: opener ... closer, not nested; an open comment swallows the rest
void DropBlockComments(TokenList& tokens, std::string_view opener, std::string_view closer) {
    size_t w = 0;
    for (size_t i = 0; i < tokens.size();) {
        if (Is(*tokens[i], opener)) {
            for (++i; i < tokens.size() && !Is(*tokens[i], closer);) ++i;
            if (i < tokens.size()) ++i;  // the closer
            continue;
        }
        Keep(tokens, w, i++);
    }
    tokens.resize(w);
}

// pass 4
void ClassifyKeywords(TokenList& tokens) {
    for (auto& t : tokens) ClassifyKeyword(*t);
}

// pass 5: name "[" ... "]" becomes one identifier; brackets do not nest
void JoinArrayReferences(TokenList& tokens) {
    size_t w = 0;
    for (size_t i = 0; i < tokens.size();) {
        const size_t at = i++;
        Token& t = *tokens[at];
        if (t.kind == kTokIdentifier && i < tokens.size() && Is(*tokens[i], "[")) {
            while (i < tokens.size() && !IsTerminator(*tokens[i])) {
                const Token& part = *tokens[i++];
                t.text += part.text;
                t.line = part.line;
                t.column = part.column;
                if (Is(part, "]")) break;
            }
        }
        Keep(tokens, w, at);
    }
    tokens.resize(w);
}

class LiteralPass {
public:
    LiteralPass(TokenList& tokens, const CompilerErrorFn& error) : in_(tokens), error_(error) {}

    // pass 6: ".", "#" and "%R"/"%RC"
    void Run() {
        for (i_ = 0; i_ < in_.size();) {
            const Token& t = *in_[i_];
            if (Is(t, ".") && JoinDot()) continue;
            if (Is(t, "#") && out_ > 0 && JoinHash()) continue;
            if ((Is(t, "%R") || Is(t, "%RC")) && JoinRegister()) continue;
            Keep(in_, out_, i_++);
        }
        in_.resize(out_);
    }

private:
    // The kept tokens are the first out_ of the list.
    Token& LastKept() { return *in_[out_ - 1]; }

    const Token* Ahead(size_t k) const { return i_ + k < in_.size() ? in_[i_ + k].get() : nullptr; }

    void Absorb(Token& into, size_t count) {
        for (size_t k = 1; k <= count; ++k) {
            into.text += in_[i_ + k]->text;
            into.line = in_[i_ + k]->line;
            into.column = in_[i_ + k]->column;
        }
    }

    bool JoinDot() {
        const Token& dot = *in_[i_];
        const Token* right = Ahead(1);
        if (out_ == 0 || !right) return false;
        Token& left = LastKept();
        if (left.line != dot.line || right->line != dot.line) return false;
        if (left.kind == kTokLiteral && left.type.empty() && right->kind == kTokLiteral && right->type.empty()) {
            left.text += "." + right->text;
            left.line = right->line;
            left.column = right->column;
            left.type = "REAL";
            i_ += 2;
            JoinExponent(left);
            return true;
        }
        if (left.kind == kTokIdentifier && (right->kind == kTokIdentifier || right->kind == kTokLiteral)) {
            left.text += "." + right->text;
            left.column += static_cast<int>(1 + right->text.size());
            i_ += 2;
            return true;
        }
        return false;
    }

    void JoinExponent(Token& real) {
        const Token* e = Ahead(0);
        if (!e) return;
        const Token* sign = Ahead(1);
        const Token* digits = Ahead(2);
        if ((Is(*e, "e") || Is(*e, "E")) && sign && (Is(*sign, "+") || Is(*sign, "-")) && digits &&
            digits->kind == kTokLiteral) {
            real.text += e->text + sign->text + digits->text;
            real.line = digits->line;
            real.column = digits->column;
            i_ += 3;
            return;
        }
        const std::string& s = e->text;
        if (e->kind == kTokIdentifier && s.size() > 1 && (s[0] == 'e' || s[0] == 'E') &&
            std::all_of(s.begin() + 1, s.end(), IsDigit)) {
            real.text += s;
            real.line = e->line;
            real.column = e->column;
            i_ += 1;
        }
    }

    bool JoinHash() {
        const std::string& prefix = LastKept().text;
        if (prefix == "16" || prefix == "8" || prefix == "2") return makeToken_BinOctHex(prefix);
        if (prefix == "T" || prefix == "t" || prefix == "time" || prefix == "TIME") return makeToken_Time();
        return false;
    }

    bool JoinRegister() {
        const Token* number = Ahead(1);
        if (!number || number->kind != kTokLiteral) return false;
        Absorb(*in_[i_], 1);
        in_[i_]->kind = kTokRegisterReference;
        Keep(in_, out_, i_);
        i_ += 2;
        return true;
    }

    void Report(const char* routine, const std::string& message) { error_(in_[i_]->line, routine, message); }

    void MakeLiteral(const std::string& text, const char* type, size_t lastAbsorbed) {
        Token& literal = LastKept();
        literal.text = text;
        literal.kind = kTokLiteral;
        literal.type = type;
        literal.line = in_[i_ + lastAbsorbed]->line;
        literal.column = in_[i_ + lastAbsorbed]->column;
        i_ += lastAbsorbed + 1;
    }

    // Based numbers keep the low 32 bits and are written as a signed DINT value.
    bool makeToken_BinOctHex(const std::string& prefix) {
        const int base = prefix == "16" ? 16 : prefix == "8" ? 8 : 2;
        auto digitValue = [base](char c) -> int {
            int v = IsDigit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 99;
            return v < base ? v : -1;
        };
        auto allDigits = [&](const Token* t) {
            return t && !IsTerminator(*t) &&
                   std::all_of(t->text.begin(), t->text.end(), [&](char c) { return digitValue(c) >= 0; });
        };
        size_t count = 0;
        if (base == 16) {
            while (allDigits(Ahead(count + 1))) ++count;
        } else if (allDigits(Ahead(1))) {
            count = 1;
        }
        if (count == 0) {
            Report("makeToken_BinOctHex",
                   "Expect base " + prefix + " literals number after '" + prefix + "#'");
            return false;
        }
        uint32_t value = 0;
        for (size_t k = 1; k <= count; ++k)
            for (char c : in_[i_ + k]->text) value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digitValue(c));
        MakeLiteral(std::to_string(static_cast<int32_t>(value)), "DINT", count);
        return true;
    }

    bool makeToken_Time() {
        const Token* number = Ahead(1);
        const Token* unit = Ahead(2);
        if (!number || number->kind != kTokLiteral || !unit || unit->kind != kTokIdentifier) {
            Report("makeToken_Time", "Illegal duration constant");
            return false;
        }
        std::string message;
        const std::optional<int64_t> ms = DurationValue(number->text + unit->text, message);
        if (!ms) {
            Report("makeToken_Time", message);
            return false;
        }
        MakeLiteral(std::to_string(*ms), "TIME", 2);
        return true;
    }

    // Runs of digits and of letters; any other character only separates runs.
    static std::optional<int64_t> DurationValue(const std::string& text, std::string& message) {
        constexpr int64_t kCap = INT64_C(1) << 40;  // far beyond any 32-bit duration; keeps the sums exact
        static constexpr std::string_view kUnits[] = {"d", "h", "m", "s", "ms"};
        int64_t parts[5] = {0, 0, 0, 0, 0};
        int64_t pending = 0;
        bool hasPending = false;
        int lastUnit = -1;
        for (size_t i = 0; i < text.size();) {
            if (IsDigit(text[i])) {
                int64_t v = 0;
                for (; i < text.size() && IsDigit(text[i]); ++i) v = std::min(kCap, v * 10 + (text[i] - '0'));
                pending = v;
                hasPending = true;
            } else if (IsAsciiLetter(text[i])) {
                const size_t start = i;
                while (i < text.size() && IsAsciiLetter(text[i])) ++i;
                const std::string_view run(text.data() + start, i - start);
                if (!hasPending) {
                    message = "Illegal duration constant: Expecting DIGIT";
                    return std::nullopt;
                }
                const auto found = std::find(std::begin(kUnits), std::end(kUnits), run);
                if (found == std::end(kUnits)) {
                    message = "Illegal duration constant: Expecting 'd', 'h', 'm', 's' or 'ms'";
                    return std::nullopt;
                }
                const int unit = static_cast<int>(found - std::begin(kUnits));
                if (unit <= lastUnit) {
                    message = "Illegal duration constant";
                    return std::nullopt;
                }
                parts[unit] = pending;
                hasPending = false;
                lastUnit = unit;
            } else {
                ++i;
            }
        }
        return (((parts[0] * 24 + parts[1]) * 60 + parts[2]) * 60 + parts[3]) * 1000 + parts[4];
    }

    TokenList& in_;
    const CompilerErrorFn& error_;
    size_t out_ = 0;  // tokens kept so far
    size_t i_ = 0;
};

// pass 7
void TypeLiterals(TokenList& tokens) {
    for (auto& t : tokens) {
        if (t->kind == kTokLiteral && t->type.empty()) {
            t->type = "DINT";
        } else if (t->text == "FALSE" || t->text == "TRUE") {
            // A one-character assignment: GCC 12's -Wrestrict report on it is false.
            PONTRA_GCC_STRING_WRESTRICT_BEGIN
            t->text = t->text == "TRUE" ? "1" : "0";
            PONTRA_GCC_STRING_WRESTRICT_END
            t->kind = kTokLiteral;
            t->type = "BOOL";
        }
    }
}

// pass 8: a sign joins its number where no operand can stand before it
void JoinSignedNumbers(TokenList& tokens) {
    size_t w = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = *tokens[i];
        const bool sign = t.kind == kTokOperator && (Is(t, "+") || Is(t, "-"));
        if (sign && i + 1 < tokens.size() && tokens[i + 1]->kind == kTokLiteral) {
            bool join = w == 0;
            if (!join) {
                const Token& before = *tokens[w - 1];
                join = (before.kind == kTokOperator && !Is(before, ")") && !Is(before, "]")) ||
                       (before.kind == kTokKeyword && (Is(before, "TO") || Is(before, "BY")));
            }
            if (join) {
                tokens[i + 1]->text = t.text + tokens[i + 1]->text;
                continue;
            }
        }
        Keep(tokens, w, i);
    }
    tokens.resize(w);
}

}  // namespace

void RunTokenPasses(TokenList& tokens, const CompilerErrorFn& error) {
    DropLineComments(tokens);
    DropBlockComments(tokens, "(*", "*)");
    DropBlockComments(tokens, "/*", "*/");
    ClassifyKeywords(tokens);
    JoinArrayReferences(tokens);
    LiteralPass(tokens, error).Run();
    TypeLiterals(tokens);
    JoinSignedNumbers(tokens);
}

}  // namespace pontra
