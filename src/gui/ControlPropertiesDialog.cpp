// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ControlPropertiesDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "gui/QtText.h"
#include "gui/TypedText.h"
#include "model/Tag.h"
#include "shell/MainFrame.h"
#include "shell/TagConfiguration.h"

namespace pontra::gui {

ControlPropertiesDialog::ControlPropertiesDialog(CMainFrame& frame, CTag& member, QWidget* parent)
    : QDialog(parent), frame_(frame), member_(member) {
    setWindowTitle(QStringLiteral("Control Properties"));
    const NumberLimits limits = CurrentLimits(member);
    auto* form = new QFormLayout(this);
    form->addRow(new QLabel(ToQString(member.name + ": " + member.dataType), this));
    min_ = new QLineEdit(ToQString(limits.min), this);
    max_ = new QLineEdit(ToQString(limits.max), this);
    form->addRow(QStringLiteral("Min Value:"), min_);
    form->addRow(QStringLiteral("Max Value:"), max_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ControlPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ControlPropertiesDialog::reject);
}

void ControlPropertiesDialog::accept() {
    const auto min = TypedText(frame_.host(), min_->text().trimmed());
    const auto max = min ? TypedText(frame_.host(), max_->text().trimmed()) : std::nullopt;
    if (max && EditNumberLimits(frame_, member_, {*min, *max})) QDialog::accept();
}

}  // namespace pontra::gui
