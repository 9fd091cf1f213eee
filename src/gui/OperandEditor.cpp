// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/OperandEditor.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QStringListModel>

namespace pontra::gui {

OperandEditor::OperandEditor(const QString& text, const QStringList& names, QWidget* parent) : QLineEdit(text, parent) {
    setFrame(true);
    selectAll();
    if (!names.isEmpty()) {
        completer_ = new QCompleter(names, this);
        completer_->setCaseSensitivity(Qt::CaseInsensitive);
        completer_->setFilterMode(Qt::MatchStartsWith);
        completer_->setCompletionMode(QCompleter::PopupCompletion);
        completer_->setMaxVisibleItems(12);
        setCompleter(completer_);
    }
}

void OperandEditor::ShowRefusal(const QString& message) {
    if (!refusal_) {
        refusal_ = new QLabel(parentWidget());
        refusal_->setWordWrap(true);
        refusal_->setStyleSheet(QStringLiteral("QLabel { background: #fff3f3; color: #b00000; border: 1px solid #d08080; padding: 2px; }"));
        connect(this, &QObject::destroyed, refusal_, &QObject::deleteLater);
    }
    refusal_->setText(message);
    refusal_->setFixedWidth(std::max(width(), 320));
    refusal_->adjustSize();
    refusal_->move(x(), y() + height() + 2);
    refusal_->show();
    refusal_->raise();
    setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid #d00000; }"));
    setFocus();
}

bool OperandEditor::event(QEvent* event) {
    // Tab belongs to this editor (next operand), not to focus chaining.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // The edit keys act on the text while this editor has the focus.
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void OperandEditor::keyPressEvent(QKeyEvent* event) {
    const bool popup = completer_ && completer_->popup() && completer_->popup()->isVisible();
    switch (event->key()) {
        case Qt::Key_Escape:
            // The first Escape closes an open list, the next one the editor.
            if (popup) completer_->popup()->hide();
            else Q_EMIT cancelled();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A row chosen in the list is completed by the list itself; here the text
            // as typed is taken.
            if (popup) completer_->popup()->hide();
            Q_EMIT commitRequested(false);
            return;
        case Qt::Key_Tab:
            if (popup) completer_->popup()->hide();
            Q_EMIT commitRequested(true);
            return;
        default: break;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace pontra::gui
