// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StTextBuffer.h"

#include <algorithm>

#include "model/Unit.h"

namespace pontra {

namespace {

std::string NormalizeBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// Cuts every line of `text` longer than the model holds into pieces of that length, as
// the component importer does; `mark`, an offset into `text`, follows (a mark at a cut
// goes behind the new line break).
std::string CutLongLines(const std::string& text, size_t& mark) {
    std::string out;
    out.reserve(text.size() + text.size() / kMaxSTLineLength);
    size_t column = 0, moved = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && column == kMaxSTLineLength) {
            out.push_back('\n');
            column = 0;
        }
        if (i == mark) moved = out.size();
        out.push_back(c);
        column = c == '\n' ? 0 : column + 1;
    }
    mark = moved == std::string::npos ? out.size() : moved;
    return out;
}

}  // namespace

const std::vector<size_t>& StTextBuffer::Starts() const {
    if (!startsValid_) {
        starts_.assign(1, 0);
        for (size_t i = 0; i + 1 < lines_.size(); ++i)
            starts_.push_back(starts_.back() + lines_[i].size() + 1);
        startsValid_ = true;
    }
    return starts_;
}

size_t StTextBuffer::Length() const {
    return lines_.empty() ? 0 : Starts().back() + lines_.back().size();
}

size_t StTextBuffer::LineOf(size_t pos) const {
    const auto& starts = Starts();
    return static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), pos) - starts.begin()) - 1;
}

size_t StTextBuffer::LineStart(size_t line) const {
    const auto& starts = Starts();
    return line < starts.size() ? starts[line] : Length();
}

void StTextBuffer::Locate(size_t pos, size_t& line, size_t& column) const {
    pos = std::min(pos, Length());
    line = LineOf(pos);
    column = pos - Starts()[line];
}

std::string StTextBuffer::Text(size_t from, size_t to) const {
    to = std::min(to, Length());
    std::string out;
    if (from >= to) return out;
    size_t line, column;
    Locate(from, line, column);
    out.reserve(to - from);
    for (size_t left = to - from; left > 0; ++line, column = 0) {
        const std::string& l = lines_[line];
        const size_t take = std::min(left, l.size() - column);
        out.append(l, column, take);
        left -= take;
        if (left > 0) {
            out.push_back('\n');
            --left;
        }
    }
    return out;
}

size_t StTextBuffer::Apply(size_t from, size_t to, const std::string& text) {
    if (lines_.empty()) lines_.emplace_back();
    size_t l1, c1, l2, c2;
    Locate(from, l1, c1);
    Locate(std::max(from, to), l2, c2);
    const std::string tail = lines_[l2].substr(c2);
    std::vector<std::string> pieces;
    for (size_t start = 0;;) {
        const size_t brk = text.find('\n', start);
        pieces.push_back(text.substr(start, brk == std::string::npos ? std::string::npos : brk - start));
        if (brk == std::string::npos) break;
        start = brk + 1;
    }
    lines_[l1].resize(c1);
    lines_[l1] += pieces[0];
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(l1) + 1,
                 lines_.begin() + static_cast<std::ptrdiff_t>(l2) + 1);
    if (pieces.size() == 1) {
        lines_[l1] += tail;
    } else {
        pieces.back() += tail;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(l1) + 1,
                      std::make_move_iterator(pieces.begin() + 1), std::make_move_iterator(pieces.end()));
    }
    startsValid_ = false;
    ++version_;
    return from + text.size();
}

size_t StTextBuffer::Replace(size_t from, size_t to, std::string_view text, Record record) {
    const size_t length = Length();
    from = std::min(from, length);
    to = std::clamp(to, from, length);
    std::string inserted = NormalizeBreaks(text);
    if (from == to && inserted.empty()) return from;
    size_t caretAfter = std::string::npos;
    if (!lines_.empty()) {
        // A line the edit makes longer than the model holds is cut into pieces: the
        // replaced range then reaches to the end of its last line.
        size_t l1, c1, l2, c2;
        Locate(from, l1, c1);
        Locate(to, l2, c2);
        size_t longest = 0, run = c1;
        for (char c : inserted) run = c == '\n' ? (longest = std::max(longest, run), 0) : run + 1;
        longest = std::max(longest, run + lines_[l2].size() - c2);
        if (longest > kMaxSTLineLength) {
            const std::string joined = lines_[l1].substr(0, c1) + inserted + lines_[l2].substr(c2);
            size_t mark = c1 + inserted.size();
            const std::string cut = CutLongLines(joined, mark);
            inserted = cut.substr(c1);
            to = Starts()[l2] + lines_[l2].size();
            caretAfter = from + (mark - c1);
        }
    }
    Change change{from, Text(from, to), inserted};
    size_t end = Apply(from, to, inserted);
    if (caretAfter != std::string::npos) end = caretAfter;

    const bool join =
        (record == Record::Typing && typingOpen_) || (record == Record::Join && !steps_.empty());
    if (join) {
        steps_.back().changes.push_back(std::move(change));
    } else {
        steps_.push_back(Step{{std::move(change)}});
        if (steps_.size() > kMaxUndoSteps) steps_.erase(steps_.begin());
    }
    if (record == Record::Typing) typingOpen_ = true;
    if (record == Record::Step) typingOpen_ = false;
    return end;
}

size_t StTextBuffer::Undo() {
    typingOpen_ = false;
    if (steps_.empty()) return 0;
    Step step = std::move(steps_.back());
    steps_.pop_back();
    size_t caret = 0;
    for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it)
        caret = Apply(it->pos, it->pos + it->inserted.size(), it->removed);
    return caret;
}

}  // namespace pontra
