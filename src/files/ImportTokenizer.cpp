// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ImportTokenizer.h"

#include <algorithm>

namespace pontra {

namespace {

// Where each line starts, as the scanner splits the text: at "\n"; a "\r" before it
// stays in the line, where the scanner skips it as a blank and an attribute keeps it.
std::vector<size_t> LineStarts(std::string_view text) {
    std::vector<size_t> starts;
    // Sized once: growing by doubling would hold two lists of a file of empty lines.
    starts.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    for (size_t start = 0; start < text.size();) {
        starts.push_back(start);
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return starts;
}

}  // namespace

ImportTokenizer::ImportTokenizer(std::string_view text)
    : text_(text), lineStarts_(LineStarts(text)), scanner_(text, ScanOptions{true, true}) {}

size_t ImportTokenizer::LineStart(int line) const {
    if (line < 1) return 0;
    if (static_cast<size_t>(line) > lineStarts_.size()) return text_.size();
    return lineStarts_[static_cast<size_t>(line - 1)];
}

int ImportTokenizer::LineOf(size_t offset) const {
    const auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    return std::max(1, static_cast<int>(it - lineStarts_.begin()));
}

std::string_view ImportTokenizer::Slice(size_t start, size_t end) const {
    start = std::min(start, text_.size());
    end = std::clamp(end, start, text_.size());
    return text_.substr(start, end - start);
}

ImportToken ImportTokenizer::ScanRaw() {
    Token raw = scanner_.getToken();
    ImportToken token;
    token.kind = raw.kind;
    token.line = raw.line;
    if (raw.text.empty()) {
        token.start = token.end = text_.size();
        return token;
    }
    token.text = std::move(raw.text);
    token.start = std::min(LineStart(scanner_.StartLine()) + static_cast<size_t>(scanner_.StartColumn()), text_.size());
    token.end = std::min(LineStart(raw.line) + static_cast<size_t>(raw.column), text_.size());
    return token;
}

ImportToken ImportTokenizer::Scan() {
    ImportToken token;
    if (rawAhead_) {
        token = std::move(*rawAhead_);
        rawAhead_.reset();
    } else {
        token = ScanRaw();
    }
    if (token.text != "-") return token;
    ImportToken next = ScanRaw();
    if (!next.IsNumber() || next.IsEnd()) {
        rawAhead_ = std::move(next);
        return token;
    }
    next.text = "-" + next.text;
    next.start = token.start;
    return next;
}

const ImportToken& ImportTokenizer::Current() {
    if (!current_) current_ = Scan();
    return *current_;
}

const ImportToken& ImportTokenizer::Following() {
    if (Current().IsEnd()) return *current_;
    if (!following_) following_ = Scan();
    return *following_;
}

void ImportTokenizer::Advance() {
    if (Current().IsEnd()) return;
    if (following_) {
        current_ = std::move(following_);
        following_.reset();
    } else {
        current_ = Scan();
    }
}

}  // namespace pontra
