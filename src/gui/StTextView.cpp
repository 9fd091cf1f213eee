// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/StTextView.h"

#include <QFontDatabase>
#include <QTextBlock>

#include "gui/QtText.h"
#include "model/Unit.h"

namespace pontra::gui {

StTextView::StTextView(CMainFrame& frame, CUnit& unit, std::string key, QWidget* parent)
    : QPlainTextEdit(parent), unit_(unit), key_(std::move(key)) {
    (void)frame;
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ModelChanged();
}

void StTextView::ModelChanged() {
    QStringList lines;
    for (const std::string& line : unit_.text) lines << ToQString(line);
    setPlainText(lines.join('\n'));
}

bool StTextView::ShowJump(const OutputJump& jump) {
    if (jump.kind != OutputJump::Kind::TextLine || jump.unit != &unit_) return false;
    const QTextBlock block = document()->findBlockByNumber(jump.line - 1);
    if (!block.isValid()) return false;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    centerCursor();
    return true;
}

int StTextView::CurrentLine() const { return textCursor().blockNumber() + 1; }

}  // namespace pontra::gui
