// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/WriteTagDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/QtText.h"
#include "gui/TypedText.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

WriteTagDialog::WriteTagDialog(CMainFrame& frame, CUnit* unit, const CTag& tag, QWidget* parent)
    : QDialog(parent), frame_(frame), logic_(frame, unit, tag) {
    setWindowTitle(QStringLiteral("Write Tag"));
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(ToQString(logic_.Label()), this);
    value_ = new QLineEdit(ToQString(logic_.initialText), this);
    value_->selectAll();
    layout->addWidget(label_);
    layout->addWidget(value_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &WriteTagDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &WriteTagDialog::reject);
}

void WriteTagDialog::accept() {
    const auto text = TypedText(frame_.host(), value_->text());
    if (text && logic_.Ok(*text)) QDialog::accept();
}

}  // namespace pontra::gui
