// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/StHighlighter.h"

#include <algorithm>

#include <QTextBlock>
#include <QTextBlockUserData>
#include <QTextCharFormat>

namespace pontra::gui {

namespace {

QColor ColourOf(uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

// What a block was last painted with; a block without it has not been painted.
class PaintedSpans : public QTextBlockUserData {
public:
    std::vector<int> spans;  // start, length, format, ...
};

StHighlighter::StHighlighter(QTextDocument* document, const std::vector<ColourRange>& colours,
                             std::function<bool(int)> inView)
    : QSyntaxHighlighter(document), colours_(colours), inView_(std::move(inView)) {}

std::vector<StHighlighter::Span> StHighlighter::SpansOf(int position, int length) const {
    std::vector<Span> spans;
    const size_t begin = static_cast<size_t>(position), end = begin + static_cast<size_t>(length);
    auto it = std::upper_bound(colours_.begin(), colours_.end(), begin,
                               [](size_t p, const ColourRange& r) { return p < r.end; });
    for (; it != colours_.end() && it->begin < end; ++it) {
        if (it->format == StFormat::Plain) continue;
        const size_t from = std::max(it->begin, begin), to = std::min(it->end, end);
        if (from < to)
            spans.push_back({static_cast<int>(from - begin), static_cast<int>(to - from), it->format});
    }
    return spans;
}

namespace {

std::vector<int> Flatten(const auto& spans) {
    std::vector<int> flat;
    for (const auto& s : spans) flat.insert(flat.end(), {s.start, s.length, static_cast<int>(s.format)});
    return flat;
}

}  // namespace

void StHighlighter::highlightBlock(const QString& text) {
    const QTextBlock block = currentBlock();
    if (!inView_(block.blockNumber())) {
        // Painted when it scrolls into view.
        setCurrentBlockUserData(nullptr);
        return;
    }
    const std::vector<Span> spans = SpansOf(block.position(), static_cast<int>(text.size()));
    QTextCharFormat keyword, comment;
    keyword.setForeground(ColourOf(kKeywordColour));
    comment.setForeground(ColourOf(kCommentColour));
    for (const Span& s : spans) setFormat(s.start, s.length, s.format == StFormat::Keyword ? keyword : comment);
    auto* painted = new PaintedSpans;
    painted->spans = Flatten(spans);
    setCurrentBlockUserData(painted);
}

void StHighlighter::RefreshBlocks(int first, int last) {
    QTextDocument* doc = document();
    if (!doc) return;
    for (QTextBlock block = doc->findBlockByNumber(std::max(first, 0)); block.isValid() && block.blockNumber() <= last;
         block = block.next()) {
        const auto* painted = static_cast<const PaintedSpans*>(block.userData());
        const int length = std::max(block.length() - 1, 0);
        if (painted && painted->spans == Flatten(SpansOf(block.position(), length))) continue;
        rehighlightBlock(block);
    }
}

}  // namespace pontra::gui
