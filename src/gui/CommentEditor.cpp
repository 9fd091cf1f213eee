// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/CommentEditor.h"

#include <QKeyEvent>

namespace pontra::gui {

CommentEditor::CommentEditor(const QString& text, QWidget* parent) : QPlainTextEdit(text, parent) {
    setTabChangesFocus(true);
    selectAll();
}

bool CommentEditor::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void CommentEditor::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape: Q_EMIT cancelled(); return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() & Qt::ShiftModifier) {
                insertPlainText(QStringLiteral("\n"));
                return;
            }
            Q_EMIT commitRequested();
            return;
        default: QPlainTextEdit::keyPressEvent(event);
    }
}

}  // namespace pontra::gui
