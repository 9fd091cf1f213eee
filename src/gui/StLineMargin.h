// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor's left margin: the line numbers, and a mark at each line a
// compiler error names.
#pragma once

#include <QWidget>

namespace pontra::gui {

class StTextEdit;

class StLineMargin : public QWidget {
    Q_OBJECT
public:
    explicit StLineMargin(StTextEdit& editor);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    StTextEdit& editor_;
};

}  // namespace pontra::gui
