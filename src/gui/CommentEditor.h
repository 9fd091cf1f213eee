// SPDX-License-Identifier: GPL-3.0-or-later
// The in-place editor of a rung comment: several lines (Shift+Enter starts a new one),
// Enter commits, Escape cancels.
#pragma once

#include <QPlainTextEdit>

namespace pontra::gui {

class CommentEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    CommentEditor(const QString& text, QWidget* parent);

Q_SIGNALS:
    void commitRequested();
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
};

}  // namespace pontra::gui
