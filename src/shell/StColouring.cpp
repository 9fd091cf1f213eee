#include "shell/StColouring.h"

#include <algorithm>
#include <array>

#include "shell/StTextBuffer.h"
#include "st/Lexer.h"

namespace pontra {

namespace {

constexpr std::array<std::string_view, 28> kColouringWords = {
    "OF",  "AT",   "CASE",  "ELSE",   "END_CASE", "FOR",   "TO",         "BY",     "DO",    "END_FOR",
    "IF",  "THEN", "ELSIF", "END_IF", "REPEAT",   "UNTIL", "END_REPEAT", "RETAIN", "WHILE", "END_WHILE",
    "NEG", "ABS",  "CLR",   "NOT",    "RETURN",   "EXIT",  "TRUE",       "FALSE"};

struct Scanned {
    Token token;
    size_t first; // position of the token's first character
    size_t end;   // position just behind it
};

class Colouring {
public:
    explicit Colouring(const StTextBuffer& text) : text_(text) {}

    std::vector<ColourRange> Run(const StandardFunctionTest& isStandardFunction) {
        Scan();
        DropLineComments();
        DropBlockComments("/*", "*/");
        DropBlockComments("(*", "*)");
        std::vector<ColourRange> ranges = MergedComments();
        for (const Scanned& s : tokens_) {
            const Token& t = s.token;
            if (t.kind != kTokWord) continue; // only names can be keywords, colouring words or functions
            if (IsKeyword(t.text) || IsColouringWord(t.text) || isStandardFunction(t.text))
                ranges.push_back({s.first, s.end, StFormat::Keyword});
        }
        // What is left after the comment passes lies outside every comment.
        std::sort(ranges.begin(), ranges.end(),
                  [](const auto& a, const auto& b) { return a.begin < b.begin; });
        return ranges;
    }

private:
    void Scan() {
        Scanner scanner(text_.Lines());
        for (;;) {
            Token t = scanner.getToken();
            const bool end = t.text.empty();
            size_t behind = 0;
            if (t.line > 0)
                behind = text_.LineStart(static_cast<size_t>(t.line - 1)) + static_cast<size_t>(t.column);
            const size_t first = behind >= t.text.size() ? behind - t.text.size() : 0;
            tokens_.push_back({std::move(t), first, behind});
            if (end) break;
        }
    }

    size_t LineEnd(int line) const {
        const size_t l = static_cast<size_t>(line - 1);
        return text_.LineStart(l) + text_.Lines()[l].size();
    }

    void DropLineComments() {
        std::vector<Scanned> out;
        out.reserve(tokens_.size());
        for (size_t i = 0; i < tokens_.size();) {
            const Scanned& s = tokens_[i];
            if (s.token.text == "//") {
                comments_.push_back({s.first, LineEnd(s.token.line), StFormat::Comment});
                const int line = s.token.line;
                for (++i;
                     i < tokens_.size() && tokens_[i].token.line == line && !tokens_[i].token.text.empty();)
                    ++i;
                continue;
            }
            out.push_back(std::move(tokens_[i++]));
        }
        tokens_ = std::move(out);
    }

    // Outside a comment the opener is dropped and remembered; inside, every token is
    // dropped and the closer ends the comment.
    void DropBlockComments(std::string_view opener, std::string_view closer) {
        std::vector<Scanned> out;
        out.reserve(tokens_.size());
        bool inside = false;
        size_t from = 0;
        for (Scanned& s : tokens_) {
            if (!inside) {
                if (s.token.text == opener) {
                    inside = true;
                    from = s.first;
                } else {
                    out.push_back(std::move(s));
                }
            } else if (s.token.text == closer) {
                inside = false;
                comments_.push_back({from, s.end, StFormat::Comment});
            }
        }
        if (inside) comments_.push_back({from, text_.Length(), StFormat::Comment});
        tokens_ = std::move(out);
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

} // namespace

bool IsColouringWord(std::string_view text) {
    return std::find(kColouringWords.begin(), kColouringWords.end(), text) != kColouringWords.end();
}

std::vector<ColourRange> ColourText(const StTextBuffer& text,
                                    const StandardFunctionTest& isStandardFunction) {
    return Colouring(text).Run(isStandardFunction);
}

} // namespace pontra
