// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/FindDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "gui/QtText.h"

namespace pontra::gui {

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent),
      text_(new QLineEdit),
      operand_(new QCheckBox("Operand")),
      description_(new QCheckBox("Description")),
      baseTag_(new QCheckBox("Base Tag")),
      wholeWord_(new QCheckBox("Match whole word only")),
      matchCase_(new QCheckBox("Match case")),
      up_(new QRadioButton("Up")),
      down_(new QRadioButton("Down")),
      problem_(new QLabel) {
    setWindowTitle("Find");
    setModal(false);
    problem_->setStyleSheet("color: #b00000");

    auto* form = new QFormLayout;
    form->addRow("Find what:", text_);
    auto* fields = new QGroupBox("Search in");
    auto* fieldLayout = new QVBoxLayout(fields);
    fieldLayout->addWidget(operand_);
    fieldLayout->addWidget(description_);
    fieldLayout->addWidget(baseTag_);
    auto* direction = new QGroupBox("Direction");
    auto* directionLayout = new QVBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);
    auto* row = new QHBoxLayout;
    row->addWidget(fields);
    row->addWidget(direction);

    auto* buttons = new QDialogButtonBox;
    QPushButton* next = buttons->addButton("Find Next", QDialogButtonBox::AcceptRole);
    next->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(row);
    layout->addWidget(wholeWord_);
    layout->addWidget(matchCase_);
    layout->addWidget(problem_);
    layout->addWidget(buttons);

    connect(next, &QPushButton::clicked, this, &FindDialog::OnFindNext);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    auto* f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(f3, &QShortcut::activated, this, &FindDialog::OnFindNext);
    ShowOptions(FindOptions{});
    hide();
}

void FindDialog::ShowOptions(const FindOptions& options) {
    text_->setText(ToQString(options.text));
    operand_->setChecked(options.operand);
    description_->setChecked(options.description);
    baseTag_->setChecked(options.baseTag);
    wholeWord_->setChecked(options.wholeWord);
    matchCase_->setChecked(options.matchCase);
    (options.down ? down_ : up_)->setChecked(true);
    problem_->clear();
}

std::optional<FindOptions> FindDialog::Options() const {
    std::optional<std::string> text = FromQString(text_->text());
    if (!text) return std::nullopt;
    FindOptions options;
    options.text = *text;
    options.operand = operand_->isChecked();
    options.description = description_->isChecked();
    options.baseTag = baseTag_->isChecked();
    options.wholeWord = wholeWord_->isChecked();
    options.matchCase = matchCase_->isChecked();
    options.down = down_->isChecked();
    return options;
}

void FindDialog::OnFindNext() {
    std::optional<FindOptions> options = Options();
    if (!options) {
        problem_->setText("The search text holds a character that a project cannot hold.");
        return;
    }
    problem_->clear();
    Q_EMIT findNext(*options);
}

}  // namespace pontra::gui
