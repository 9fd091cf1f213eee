// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/StLineMargin.h"

#include <QMouseEvent>
#include <QPaintEvent>

#include "gui/StTextEdit.h"

namespace pontra::gui {

StLineMargin::StLineMargin(StTextEdit& editor) : QWidget(&editor), editor_(editor) {}

QSize StLineMargin::sizeHint() const {
    return QSize(editor_.MarginWidth(), 0);
}

void StLineMargin::paintEvent(QPaintEvent* event) {
    editor_.PaintMargin(event, this);
}

// A click in the margin gives the focus to the text, as a click in the text does.
void StLineMargin::mousePressEvent(QMouseEvent* event) {
    editor_.setFocus();
    event->accept();
}

}  // namespace pontra::gui
