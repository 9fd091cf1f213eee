// SPDX-License-Identifier: GPL-3.0-or-later
// The in-place line editor of a ladder operand (and of a rung comment): completes the
// names the operand accepts, commits on Enter or Tab, cancels on Escape. The ladder
// editor decides whether a commit is taken; a refused text keeps this open with the
// refusal shown under it.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QStringList>

class QCompleter;

namespace pontra::gui {

class OperandEditor : public QLineEdit {
    Q_OBJECT
public:
    // `names`: what the completer offers (empty: no completer).
    OperandEditor(const QString& text, const QStringList& names, QWidget* parent);

    QCompleter* nameCompleter() const { return completer_; }
    // Shows a refusal under the editor and keeps it open.
    void ShowRefusal(const QString& message);
    QString refusal() const { return refusal_ ? refusal_->text() : QString(); }

Q_SIGNALS:
    void commitRequested(bool next);  // next: Tab, go on to the following operand
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    QCompleter* completer_ = nullptr;
    QLabel* refusal_ = nullptr;
};

}  // namespace pontra::gui
