// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/ScenarioParser.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

namespace pontra::scenario {

namespace {

struct Token {
    enum Kind { Word, Quoted, Operator } kind = Word;
    std::string text;
    SourcePosition at;
};

struct ParseFailure {
    SourcePosition at;
    std::string message;
};

bool IsOperatorChar(char c) { return c == '=' || c == '<' || c == '>' || c == '!'; }

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Splits one line into tokens; a "#" or "//" that starts a token begins a comment (so
// values such as 16#FF keep their "#").
std::vector<Token> Tokenize(std::string_view line, int lineNumber) {
    std::vector<Token> tokens;
    size_t i = 0;
    auto at = [&](size_t column) { return SourcePosition{lineNumber, static_cast<int>(column) + 1}; };
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        if (c == '#' || line.substr(i, 2) == "//") break;
        if (c == '"') {
            const size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos)
                throw ParseFailure{at(i), "the quoted name has no closing \""};
            tokens.push_back({Token::Quoted, std::string(line.substr(i + 1, end - i - 1)), at(i)});
            i = end + 1;
            continue;
        }
        if (IsOperatorChar(c)) {
            size_t end = i + 1;
            if (end < line.size() && (line[end] == '=' || (c == '<' && line[end] == '>'))) ++end;
            tokens.push_back({Token::Operator, std::string(line.substr(i, end - i)), at(i)});
            i = end;
            continue;
        }
        size_t end = i;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '"' &&
               !IsOperatorChar(line[end]))
            ++end;
        tokens.push_back({Token::Word, std::string(line.substr(i, end - i)), at(i)});
        i = end;
    }
    return tokens;
}

// The tokens of one statement, read front to back.
class Cursor {
public:
    Cursor(const std::vector<Token>& tokens, SourcePosition end) : tokens_(tokens), end_(end) {}

    bool Done() const { return next_ == tokens_.size(); }
    SourcePosition Here() const { return Done() ? end_ : tokens_[next_].at; }
    const Token* Peek() const { return Done() ? nullptr : &tokens_[next_]; }
    bool PeekKeyword(std::string_view keyword) const {
        return Peek() && Peek()->kind == Token::Word && Upper(Peek()->text) == keyword;
    }
    const Token& Take(std::string_view what) {
        if (Done()) throw ParseFailure{end_, what.empty() ? "the line ends too early" : std::string(what) + " expected"};
        return tokens_[next_++];
    }
    void Keyword(std::string_view keyword) {
        const SourcePosition at = Here();
        if (!PeekKeyword(keyword)) throw ParseFailure{at, std::string(keyword) + " expected"};
        ++next_;
    }
    void Finish() {
        if (!Done()) throw ParseFailure{Here(), "unexpected '" + tokens_[next_].text + "' after the statement"};
    }

private:
    const std::vector<Token>& tokens_;
    SourcePosition end_;
    size_t next_ = 0;
};

std::string TagName(Cursor& cursor) {
    const Token& t = cursor.Take("a tag name");
    if (t.kind != Token::Word) throw ParseFailure{t.at, "a tag name expected, not '" + t.text + "'"};
    return t.text;
}

// A count of milliseconds or scans: decimal digits only, at most `limit`.
uint64_t WholeNumber(const std::string& digits, SourcePosition at, uint64_t limit, const char* what,
                     const std::string& tooLarge = {}) {
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw ParseFailure{at, std::string(what) + " must be a whole number, not '" + digits + "'"};
    uint64_t value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit)
            throw ParseFailure{at, tooLarge.empty() ? std::string(what) + " is larger than " + std::to_string(limit)
                                                    : tooLarge};
    }
    return value;
}

// "250 ms", "250ms", "1.5 s", "2 min": a time of whole milliseconds, more than 0.
uint64_t Duration(Cursor& cursor) {
    const Token& number = cursor.Take("a time (for example 250 ms)");
    if (number.kind != Token::Word) throw ParseFailure{number.at, "a time expected, not '" + number.text + "'"};
    size_t split = 0;
    while (split < number.text.size() && (std::isdigit(static_cast<unsigned char>(number.text[split])) ||
                                           number.text[split] == '.'))
        ++split;
    std::string amount = number.text.substr(0, split);
    std::string unit = Upper(number.text.substr(split));
    SourcePosition unitAt = number.at;
    if (unit.empty()) {
        unitAt = cursor.Here();
        const Token& u = cursor.Take("a time unit (ms, s or min)");
        unit = Upper(u.text);
    }
    uint64_t scale;
    if (unit == "MS") scale = 1;
    else if (unit == "S") scale = 1000;
    else if (unit == "MIN") scale = 60'000;
    else throw ParseFailure{unitAt, "unknown time unit '" + unit + "' (ms, s or min)"};
    const size_t dot = amount.find('.');
    const std::string whole = amount.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : amount.substr(dot + 1);
    if (dot != std::string::npos && fraction.empty())
        throw ParseFailure{number.at, "a time must be a number, not '" + amount + "'"};
    const uint64_t limit = kMaxStepMilliseconds / scale;
    const std::string tooLong = "the time is longer than a day";
    uint64_t ms = WholeNumber(whole.empty() ? "0" : whole, number.at, limit, "the time", tooLong) * scale;
    if (!fraction.empty()) {
        uint64_t part = WholeNumber(fraction, number.at, UINT32_MAX, "the time");
        uint64_t divisor = 1;
        for (size_t i = 0; i < fraction.size(); ++i) {
            if (divisor > scale * 1000) throw ParseFailure{number.at, "the time is not a whole number of milliseconds"};
            divisor *= 10;
        }
        if ((part * scale) % divisor != 0)
            throw ParseFailure{number.at, "the time is not a whole number of milliseconds"};
        ms += part * scale / divisor;
    }
    if (ms == 0) throw ParseFailure{number.at, "the time must be more than 0 ms"};
    if (ms > kMaxStepMilliseconds) throw ParseFailure{number.at, tooLong};
    return ms;
}

Comparison ComparisonOf(const Token& t) {
    static const std::pair<const char*, Comparison> kOperators[] = {
        {"=", Comparison::Equal},         {"<>", Comparison::NotEqual},    {"<", Comparison::Less},
        {"<=", Comparison::LessOrEqual}, {">", Comparison::Greater},      {">=", Comparison::GreaterOrEqual},
    };
    if (t.kind == Token::Operator)
        for (const auto& [text, comparison] : kOperators)
            if (t.text == text) return comparison;
    throw ParseFailure{t.at, "a comparison (=, <>, <, <=, >, >=) expected, not '" + t.text + "'"};
}

std::string ValueText(Cursor& cursor) {
    const Token& t = cursor.Take("a value");
    if (t.kind != Token::Word) throw ParseFailure{t.at, "a value expected, not '" + t.text + "'"};
    return t.text;
}

Condition ReadCondition(Cursor& cursor) {
    Condition c;
    c.tagAt = cursor.Here();
    c.tag = TagName(cursor);
    c.comparison = ComparisonOf(cursor.Take("a comparison (=, <>, <, <=, >, >=)"));
    c.valueAt = cursor.Here();
    c.value = ValueText(cursor);
    if (const Token* t = cursor.Peek(); t && t->kind == Token::Word && t->text == "+/-") {
        if (c.comparison != Comparison::Equal) throw ParseFailure{t->at, "a tolerance (+/-) goes only with ="};
        cursor.Take("");
        c.toleranceAt = cursor.Here();
        c.tolerance = ValueText(cursor);
    }
    return c;
}

Step ReadStep(const std::string& keyword, SourcePosition at, Cursor& cursor) {
    Step step;
    step.at = at;
    if (keyword == "SET") {
        step.kind = StepKind::Set;
        step.condition.tagAt = cursor.Here();
        step.condition.tag = TagName(cursor);
        const Token& op = cursor.Take("=");
        if (op.kind != Token::Operator || op.text != "=") throw ParseFailure{op.at, "= expected, not '" + op.text + "'"};
        step.condition.valueAt = cursor.Here();
        step.condition.value = ValueText(cursor);
    } else if (keyword == "RUN") {
        const Token* number = cursor.Peek();
        if (number && number->kind == Token::Word) {
            // "RUN 3 SCANS" or "RUN 1 SCAN"
            Cursor probe = cursor;
            probe.Take("");
            if (probe.PeekKeyword("SCANS") || probe.PeekKeyword("SCAN")) {
                step.kind = StepKind::RunScans;
                step.scans = WholeNumber(number->text, number->at, kMaxStepScans, "the number of scans");
                if (step.scans == 0) throw ParseFailure{number->at, "the number of scans must be more than 0"};
                cursor.Take("");
                cursor.Take("");
                cursor.Finish();
                return step;
            }
        }
        step.kind = StepKind::RunTime;
        step.milliseconds = Duration(cursor);
    } else if (keyword == "EXPECT") {
        step.kind = StepKind::Expect;
        step.condition = ReadCondition(cursor);
    } else if (keyword == "WAIT") {
        step.kind = StepKind::WaitUntil;
        cursor.Keyword("UNTIL");
        step.condition = ReadCondition(cursor);
        cursor.Keyword("WITHIN");
        step.milliseconds = Duration(cursor);
    } else if (keyword == "PULSE") {
        step.kind = StepKind::Pulse;
        step.condition.tagAt = cursor.Here();
        step.condition.tag = TagName(cursor);
        cursor.Keyword("FOR");
        step.milliseconds = Duration(cursor);
    } else {
        throw ParseFailure{at, "unknown statement '" + keyword +
                                   "' (SET, RUN, EXPECT, WAIT UNTIL, PULSE, TEST, SETUP or END)"};
    }
    cursor.Finish();
    return step;
}

}  // namespace

std::optional<ScenarioFile> ScenarioParser::Parse(std::string_view text, const std::string& path,
                                                  ScenarioError& error) {
    ScenarioFile file;
    file.path = path;
    enum class Block { None, Setup, Test } block = Block::None;
    SourcePosition blockAt;
    bool hadSetup = false;
    std::set<std::string> names;
    int lineNumber = 0;
    try {
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            start = end + 1;
            ++lineNumber;
            const std::vector<Token> tokens = Tokenize(line, lineNumber);
            if (tokens.empty()) continue;
            Cursor cursor(tokens, {lineNumber, static_cast<int>(line.size()) + 1});
            const Token& first = cursor.Take("");
            if (first.kind != Token::Word) throw ParseFailure{first.at, "a statement expected, not '" + first.text + "'"};
            const std::string keyword = Upper(first.text);
            if (keyword == "SETUP" || keyword == "TEST") {
                if (block != Block::None)
                    throw ParseFailure{first.at, keyword + " inside a block: END expected before it"};
                if (keyword == "SETUP") {
                    if (hadSetup) throw ParseFailure{first.at, "a file has only one SETUP block"};
                    if (!file.tests.empty()) throw ParseFailure{first.at, "SETUP must come before the first TEST"};
                    hadSetup = true;
                    block = Block::Setup;
                } else {
                    const SourcePosition nameAt = cursor.Here();
                    const Token& name = cursor.Take("the test's name in double quotes");
                    if (name.kind != Token::Quoted)
                        throw ParseFailure{name.at, "the test's name must be in double quotes"};
                    if (name.text.find_first_not_of(" \t") == std::string::npos)
                        throw ParseFailure{name.at, "the test's name is empty"};
                    if (!names.insert(name.text).second)
                        throw ParseFailure{nameAt, "a test named \"" + name.text + "\" comes earlier in this file"};
                    file.tests.push_back({name.text, first.at, {}});
                    block = Block::Test;
                }
                blockAt = first.at;
                cursor.Finish();
                continue;
            }
            if (keyword == "END") {
                if (block == Block::None) throw ParseFailure{first.at, "END without TEST or SETUP"};
                cursor.Finish();
                block = Block::None;
                continue;
            }
            Step step = ReadStep(keyword, first.at, cursor);
            if (block == Block::None)
                throw ParseFailure{first.at, "a step must be inside a TEST or SETUP block"};
            (block == Block::Setup ? file.setup : file.tests.back().steps).push_back(std::move(step));
        }
        if (block != Block::None)
            throw ParseFailure{blockAt, std::string(block == Block::Setup ? "SETUP" : "TEST") + " has no END"};
        if (file.tests.empty()) throw ParseFailure{{1, 1}, "the file has no TEST"};
    } catch (const ParseFailure& failure) {
        error = {path, failure.at, failure.message};
        return std::nullopt;
    }
    return file;
}

}  // namespace pontra::scenario
