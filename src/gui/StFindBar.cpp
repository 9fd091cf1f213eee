// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/StFindBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "gui/QtText.h"
#include "gui/StTextEdit.h"
#include "shell/StEditor.h"

namespace pontra::gui {

StFindBar::StFindBar(StTextEdit& editor, QWidget* parent)
    : QWidget(parent),
      editor_(editor),
      what_(new QLineEdit(this)),
      matchCase_(new QCheckBox("Match &case", this)),
      wholeWord_(new QCheckBox("Match &whole word only", this)),
      up_(new QRadioButton("&Up", this)),
      down_(new QRadioButton("&Down", this)),
      status_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel("Fi&nd what:", this);
    label->setBuddy(what_);
    auto* next = new QPushButton("&Find Next", this);
    auto* close = new QToolButton(this);
    close->setText("x");
    close->setToolTip("Close");
    down_->setChecked(true);
    layout->addWidget(label);
    layout->addWidget(what_, 1);
    layout->addWidget(next);
    layout->addWidget(matchCase_);
    layout->addWidget(wholeWord_);
    layout->addWidget(up_);
    layout->addWidget(down_);
    layout->addWidget(status_);
    layout->addWidget(close);
    connect(next, &QPushButton::clicked, this, [this] { FindNext(); });
    connect(what_, &QLineEdit::returnPressed, this, [this] { FindNext(); });
    connect(close, &QToolButton::clicked, this, [this] {
        hide();
        editor_.setFocus();
    });
    const StEditor& core = editor_.core();
    what_->setText(ToQString(core.findOptions.text));
    matchCase_->setChecked(core.findOptions.matchCase);
    wholeWord_->setChecked(core.findOptions.wholeWord);
    (core.findOptions.down ? down_ : up_)->setChecked(true);
}

void StFindBar::Open() {
    const QString selected = editor_.textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) what_->setText(selected);
    status_->clear();
    show();
    what_->setFocus();
    what_->selectAll();
}

bool StFindBar::FindNext() {
    StEditor& core = editor_.core();
    const std::optional<std::string> text = FromQString(what_->text());
    core.findOptions.text = text.value_or(std::string());
    core.findOptions.matchCase = matchCase_->isChecked();
    core.findOptions.wholeWord = wholeWord_->isChecked();
    core.findOptions.down = down_->isChecked();
    const bool found = text && core.FindNext(core.findOptions).has_value();
    if (found) {
        status_->clear();
        editor_.ShowCore();
    } else {
        status_->setText(QString(kNotFound).arg(what_->text()));
        QApplication::beep();
    }
    return found;
}

void StFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        editor_.setFocus();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace pontra::gui
