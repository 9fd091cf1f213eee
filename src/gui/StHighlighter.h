// SPDX-License-Identifier: GPL-3.0-or-later
// Paints the Structured Text editor's blocks in the core's colours (keyword, comment,
// plain). The core colours the whole text after every change; this only carries its
// ranges to the blocks Qt shows. A block is painted when its text changes or when it is
// in view and its ranges differ from what it was last painted with, so that a comment
// opened far above recolours only what can be seen, and the rest when it scrolls in.
#pragma once

#include <functional>
#include <vector>

#include <QSyntaxHighlighter>

#include "shell/StColouring.h"

namespace pontra::gui {

class StHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    // `colours` are the core's ranges of the whole text (positions as in the document);
    // `inView` tells whether a block number can be seen now.
    StHighlighter(QTextDocument* document, const std::vector<ColourRange>& colours,
                  std::function<bool(int block)> inView);

    // Repaints each block in [first, last] whose ranges changed since it was painted.
    void RefreshBlocks(int first, int last);

protected:
    void highlightBlock(const QString& text) override;

private:
    struct Span {
        int start, length;
        StFormat format;
        bool operator==(const Span&) const = default;
    };
    std::vector<Span> SpansOf(int position, int length) const;

    const std::vector<ColourRange>& colours_;
    std::function<bool(int)> inView_;
};

}  // namespace pontra::gui
