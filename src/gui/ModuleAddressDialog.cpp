// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ModuleAddressDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/QtText.h"
#include "model/VessaDoc.h"

namespace pontra::gui {

ModuleAddressDialog::ModuleAddressDialog(const std::string& address, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Module"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    field_ = new QLineEdit(ToQString(address), this);
    field_->setMaxLength(15);
    field_->setPlaceholderText(QStringLiteral("127.0.0.1"));
    form->addRow(QStringLiteral("IP Address:"), field_);
    layout->addLayout(form);
    hint_ = new QLabel(this);
    hint_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    layout->addWidget(hint_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
        if (Address()) accept();
    });
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(field_, &QLineEdit::textChanged, this, [this] { Check(); });
    Check();
}

std::optional<std::string> ModuleAddressDialog::Address() const {
    const auto text = FromQString(field_->text().trimmed());
    uint32_t packed = 0;
    if (!text || !ParseModuleAddress(*text, packed)) return std::nullopt;
    return text;
}

bool ModuleAddressDialog::OkEnabled() const {
    return buttons_->button(QDialogButtonBox::Ok)->isEnabled();
}

void ModuleAddressDialog::Check() {
    const bool valid = Address().has_value();
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(valid);
    hint_->setText(valid || field_->text().trimmed().isEmpty()
                       ? QString()
                       : QStringLiteral("Four numbers 0-255 separated by dots"));
}

std::optional<std::string> ModuleAddressDialog::Ask(QWidget* parent, const std::string& address) {
    ModuleAddressDialog dialog(address, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Address();
}

} // namespace pontra::gui
