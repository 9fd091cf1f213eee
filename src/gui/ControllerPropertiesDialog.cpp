// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ControllerPropertiesDialog.h"

#include <QComboBox>
#include <algorithm>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/QtText.h"
#include "model/ControllerTypes.h"
#include "model/VessaDoc.h"

namespace pontra::gui {

ControllerPropertiesDialog::ControllerPropertiesDialog(uint32_t address, const std::string& type, QWidget* parent)
    : QDialog(parent),
      address_(new QLineEdit(QString::fromStdString(FormatModuleAddress(address)))),
      type_(new QComboBox),
      problem_(new QLabel),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel)) {
    setWindowTitle("Controller Properties");
    for (const char* name : ControllerPropertiesTypes()) type_->addItem(ToQString(name));
    type_->setCurrentIndex(std::max(0, type_->findText(ToQString(type))));
    address_->setInputMask("");
    address_->setPlaceholderText("127.0.0.1");
    problem_->setStyleSheet("color: #b00000");

    auto* form = new QFormLayout;
    form->addRow("Module address:", address_);
    form->addRow("Controller type:", type_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problem_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(address_, &QLineEdit::textChanged, this, &ControllerPropertiesDialog::Validate);
    Validate();
}

bool ControllerPropertiesDialog::CanAccept() const {
    uint32_t address = 0;
    return ParseModuleAddress(address_->text().trimmed().toStdString(), address);
}

void ControllerPropertiesDialog::Validate() {
    const bool ok = CanAccept();
    problem_->setText(ok ? QString() : "The module address is four numbers 0-255: A.B.C.D");
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(ok);
}

ControllerPropertiesChoice ControllerPropertiesDialog::Choice() const {
    ControllerPropertiesChoice choice;
    ParseModuleAddress(address_->text().trimmed().toStdString(), choice.address);
    choice.type = FromQString(type_->currentText()).value_or("Vessa");
    return choice;
}

}  // namespace pontra::gui
