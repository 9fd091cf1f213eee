// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/StringDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "gui/TypedText.h"

namespace pontra::gui {

StringDialog::StringDialog(Host& host, const QString& text, const QString& value, Check check, QWidget* parent)
    : QDialog(parent), host_(host), check_(std::move(check)) {
    setWindowTitle(QStringLiteral("String"));
    auto* form = new QFormLayout(this);
    text_ = new QLineEdit(text, this);
    value_ = new QLineEdit(value, this);
    form->addRow(QStringLiteral("String:"), text_);
    form->addRow(QStringLiteral("Value:"), value_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &StringDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StringDialog::reject);
}

void StringDialog::accept() {
    const auto text = TypedText(host_, text_->text());
    if (!text) return;
    const auto value = TypedText(host_, value_->text().trimmed());
    if (!value) return;
    if (check_(*text, *value)) QDialog::accept();
}

}  // namespace pontra::gui
