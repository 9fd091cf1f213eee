// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ComboBoxPropertiesDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/QtText.h"
#include "gui/StringDialog.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

ComboBoxPropertiesDialog::ComboBoxPropertiesDialog(CMainFrame& frame, CTag& member, QWidget* parent)
    : QDialog(parent), frame_(frame), member_(member), logic_(member) {
    setWindowTitle(QStringLiteral("ComboBox Properties"));
    runStringDialog = [](StringDialog& dialog) { return dialog.exec(); };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ToQString(logic_.Header()), this));
    auto* row = new QHBoxLayout;
    list_ = new QTreeWidget(this);
    list_->setHeaderLabels({QStringLiteral("String"), QStringLiteral("Value")});
    list_->setRootIsDecorated(false);
    row->addWidget(list_);
    auto* buttons = new QVBoxLayout;
    add_ = new QPushButton(QStringLiteral("Add..."), this);
    delete_ = new QPushButton(QStringLiteral("Delete"), this);
    edit_ = new QPushButton(QStringLiteral("Edit..."), this);
    buttons->addWidget(add_);
    buttons->addWidget(delete_);
    buttons->addWidget(edit_);
    buttons->addStretch();
    row->addLayout(buttons);
    layout->addLayout(row);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, &ComboBoxPropertiesDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &ComboBoxPropertiesDialog::reject);
    connect(add_, &QPushButton::clicked, this, &ComboBoxPropertiesDialog::AddRow);
    connect(delete_, &QPushButton::clicked, this, &ComboBoxPropertiesDialog::DeleteRow);
    connect(edit_, &QPushButton::clicked, this, &ComboBoxPropertiesDialog::EditRow);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &ComboBoxPropertiesDialog::EditRow);
    connect(list_, &QTreeWidget::currentItemChanged, this,
            [this] { logic_.selected = list_->indexOfTopLevelItem(list_->currentItem()); });
    ShowRows();
}

void ComboBoxPropertiesDialog::ShowRows() {
    const int selected = logic_.selected;
    list_->clear();
    for (const auto& r : logic_.rows) list_->addTopLevelItem(new QTreeWidgetItem({ToQString(r.text), ToQString(r.value)}));
    if (selected >= 0 && selected < list_->topLevelItemCount()) list_->setCurrentItem(list_->topLevelItem(selected));
    logic_.selected = selected;
    delete_->setEnabled(!logic_.rows.empty());
    edit_->setEnabled(!logic_.rows.empty());
}

void ComboBoxPropertiesDialog::AddRow() {
    StringDialog dialog(frame_.host(), {}, {},
                        [this](const std::string& t, const std::string& v) { return logic_.Add(frame_.host(), t, v); },
                        this);
    if (runStringDialog(dialog) == QDialog::Accepted) {
        logic_.selected = static_cast<int>(logic_.rows.size()) - 1;
        ShowRows();
    }
}

void ComboBoxPropertiesDialog::EditRow() {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0 || row >= static_cast<int>(logic_.rows.size())) return;
    const auto& current = logic_.rows[static_cast<size_t>(row)];
    StringDialog dialog(
        frame_.host(), ToQString(current.text), ToQString(current.value),
        [this, row](const std::string& t, const std::string& v) { return logic_.Edit(frame_.host(), row, t, v); },
        this);
    if (runStringDialog(dialog) == QDialog::Accepted) ShowRows();
}

void ComboBoxPropertiesDialog::DeleteRow() {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (!logic_.Delete(row)) return;
    logic_.selected = std::min(row, static_cast<int>(logic_.rows.size()) - 1);
    ShowRows();
}

void ComboBoxPropertiesDialog::accept() {
    if (logic_.Apply(frame_, member_)) {
        QDialog::accept();
        return;
    }
    // The row whose value did not fit is selected.
    ShowRows();
}

}  // namespace pontra::gui
