// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/AddComponentDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/QtText.h"

namespace pontra::gui {

AddComponentDialog::AddComponentDialog(ComponentType type, QWidget* parent)
    : QDialog(parent),
      name_(new QLineEdit),
      functionBlock_(new QRadioButton("Function Block")),
      function_(new QRadioButton("Function")),
      type_(new QRadioButton("Type")),
      ladder_(new QRadioButton("Ladder Diagram")),
      text_(new QRadioButton("Structured Text")) {
    setWindowTitle("Add Component");
    function_->setEnabled(false);
    (type == ComponentType::Type ? type_ : functionBlock_)->setChecked(true);
    ladder_->setChecked(true);

    auto* typeBox = new QGroupBox("Type");
    auto* typeLayout = new QVBoxLayout(typeBox);
    typeLayout->addWidget(functionBlock_);
    typeLayout->addWidget(function_);
    typeLayout->addWidget(type_);
    auto* languageBox = new QGroupBox("Language");
    auto* languageLayout = new QVBoxLayout(languageBox);
    languageLayout->addWidget(ladder_);
    languageLayout->addWidget(text_);

    auto* form = new QFormLayout;
    form->addRow("Name:", name_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* choices = new QHBoxLayout;
    choices->addWidget(typeBox);
    choices->addWidget(languageBox);
    layout->addLayout(choices);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(functionBlock_, &QRadioButton::toggled, this, &AddComponentDialog::UpdateLanguage);
    UpdateLanguage();
}

void AddComponentDialog::UpdateLanguage() {
    // Only a function block has a language.
    ladder_->setEnabled(functionBlock_->isChecked());
    text_->setEnabled(functionBlock_->isChecked());
}

std::optional<AddComponentRequest> AddComponentDialog::Request() const {
    std::optional<std::string> name = FromQString(name_->text().trimmed());
    if (!name) return std::nullopt;
    AddComponentRequest request;
    request.name = *name;
    request.type = type_->isChecked() ? ComponentType::Type : ComponentType::FunctionBlock;
    request.language = text_->isChecked() ? 1 : 0;
    return request;
}

}  // namespace pontra::gui
