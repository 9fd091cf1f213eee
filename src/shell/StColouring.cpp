// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StColouring.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "shell/StTextBuffer.h"
#include "st/Lexer.h"

namespace pontra {

namespace {

constexpr std::array<std::string_view, 28> kColouringWords = {
    "OF",  "AT",   "CASE",  "ELSE",   "END_CASE", "FOR",   "TO",         "BY",     "DO",    "END_FOR",
    "IF",  "THEN", "ELSIF", "END_IF", "REPEAT",   "UNTIL", "END_REPEAT", "RETAIN", "WHILE", "END_WHILE",
    "NEG", "ABS",  "CLR",   "NOT",    "RETURN",   "EXIT",  "TRUE",       "FALSE"};

// What the colouring needs of a scanned token: where it stands and what it can do.
enum class Role : uint8_t {
    Other,
    Paint,
    LineComment,
    SlashOpen,
    SlashClose,
    ParenOpen,
    ParenClose,
    Terminator
};

struct Scanned {
    size_t first;  // position of the token's first character
    size_t end;    // position just behind it
    int line;
    Role role;
};

// Keywords and colouring words have no lower-case letters: most names are settled by
// that alone, without a search through the word lists.
bool HasLowerCase(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

Role RoleOf(const Token& t, const StandardFunctionTest& isStandardFunction) {
    if (t.text.empty()) return Role::Terminator;
    if (t.kind == kTokWord) {  // only names can be keywords, colouring words or functions
        const bool word = !HasLowerCase(t.text) && (IsKeyword(t.text) || IsColouringWord(t.text));
        return word || isStandardFunction(t.text) ? Role::Paint : Role::Other;
    }
    if (t.kind != kTokOperator || t.text.size() != 2) return Role::Other;
    if (t.text == "//") return Role::LineComment;
    if (t.text == "/*") return Role::SlashOpen;
    if (t.text == "*/") return Role::SlashClose;
    if (t.text == "(*") return Role::ParenOpen;
    if (t.text == "*)") return Role::ParenClose;
    return Role::Other;
}

// The passes drop tokens by compacting the one list in place, so that a run over a long
// text allocates little.
class Colouring {
public:
    explicit Colouring(const StTextBuffer& text) : text_(text) {}

    std::vector<ColourRange> Run(const StandardFunctionTest& isStandardFunction) {
        Scan(isStandardFunction);
        DropLineComments();
        DropBlockComments(Role::SlashOpen, Role::SlashClose);
        DropBlockComments(Role::ParenOpen, Role::ParenClose);
        const std::vector<ColourRange> comments = MergedComments();
        // What is left after the comment passes lies outside every comment; both lists
        // are in text order.
        std::vector<ColourRange> keywords;
        for (const Scanned& s : tokens_)
            if (s.role == Role::Paint) keywords.push_back({s.first, s.end, StFormat::Keyword});
        std::vector<ColourRange> ranges;
        ranges.reserve(comments.size() + keywords.size());
        std::merge(comments.begin(), comments.end(), keywords.begin(), keywords.end(),
                   std::back_inserter(ranges),
                   [](const auto& a, const auto& b) { return a.begin < b.begin; });
        return ranges;
    }

private:
    void Scan(const StandardFunctionTest& isStandardFunction) {
        Scanner scanner(text_.Lines());
        tokens_.reserve(text_.Length() / 4 + 1);
        for (;;) {
            const Token t = scanner.getToken();
            size_t behind = 0;
            if (t.line > 0)
                behind = text_.LineStart(static_cast<size_t>(t.line - 1)) + static_cast<size_t>(t.column);
            const size_t first = behind >= t.text.size() ? behind - t.text.size() : 0;
            tokens_.push_back({first, behind, t.line, RoleOf(t, isStandardFunction)});
            if (t.text.empty()) break;
        }
    }

    size_t LineEnd(int line) const {
        const size_t l = static_cast<size_t>(line - 1);
        return text_.LineStart(l) + text_.Lines()[l].size();
    }

    void DropLineComments() {
        size_t kept = 0;
        for (size_t i = 0; i < tokens_.size();) {
            const Scanned s = tokens_[i];
            if (s.role == Role::LineComment) {
                comments_.push_back({s.first, LineEnd(s.line), StFormat::Comment});
                for (++i;
                     i < tokens_.size() && tokens_[i].line == s.line && tokens_[i].role != Role::Terminator;)
                    ++i;
                continue;
            }
            tokens_[kept++] = tokens_[i++];
        }
        tokens_.resize(kept);
    }

    // Outside a comment the opener is dropped and remembered; inside, every token is
    // dropped and the closer ends the comment.
    void DropBlockComments(Role opener, Role closer) {
        size_t kept = 0;
        bool inside = false;
        size_t from = 0;
        for (size_t i = 0; i < tokens_.size(); ++i) {
            const Scanned s = tokens_[i];
            if (!inside) {
                if (s.role == opener) {
                    inside = true;
                    from = s.first;
                } else {
                    tokens_[kept++] = s;
                }
            } else if (s.role == closer) {
                inside = false;
                comments_.push_back({from, s.end, StFormat::Comment});
            }
        }
        if (inside) comments_.push_back({from, text_.Length(), StFormat::Comment});
        tokens_.resize(kept);
    }

    std::vector<ColourRange> MergedComments() {
        std::sort(comments_.begin(), comments_.end(),
                  [](const auto& a, const auto& b) { return a.begin < b.begin; });
        std::vector<ColourRange> merged;
        for (const ColourRange& c : comments_) {
            if (!merged.empty() && c.begin <= merged.back().end)
                merged.back().end = std::max(merged.back().end, c.end);
            else
                merged.push_back(c);
        }
        return merged;
    }

    const StTextBuffer& text_;
    std::vector<Scanned> tokens_;
    std::vector<ColourRange> comments_;
};

}  // namespace

bool IsColouringWord(std::string_view text) {
    return std::find(kColouringWords.begin(), kColouringWords.end(), text) != kColouringWords.end();
}

std::vector<ColourRange> ColourText(const StTextBuffer& text,
                                    const StandardFunctionTest& isStandardFunction) {
    return Colouring(text).Run(isStandardFunction);
}

}  // namespace pontra
