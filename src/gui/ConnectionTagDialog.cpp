// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ConnectionTagDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "gui/QtText.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

namespace {
QString AddressText(uint32_t a) {
    return QStringLiteral("%1.%2.%3.%4").arg(a >> 24).arg((a >> 16) & 0xFF).arg((a >> 8) & 0xFF).arg(a & 0xFF);
}
// Four parts of 0-255; anything else reads as 0.0.0.0, which the core refuses.
uint32_t AddressValue(const QString& text) {
    const QStringList parts = text.split('.');
    if (parts.size() != 4) return 0;
    uint32_t value = 0;
    for (const QString& part : parts) {
        bool ok = false;
        const uint part32 = part.trimmed().toUInt(&ok);
        if (!ok || part32 > 255) return 0;
        value = (value << 8) | part32;
    }
    return value;
}
}  // namespace

ConnectionTagDialog::ConnectionTagDialog(CMainFrame& frame, CTag& slot, QWidget* parent)
    : QDialog(parent), frame_(frame), slot_(slot), logic_(slot) {
    setWindowTitle(QStringLiteral("Connection Tag"));
    auto* form = new QFormLayout(this);
    auto* kinds = new QHBoxLayout;
    const char* names[] = {"Not Used", "Produced", "Consumed"};
    for (int i = 0; i < 3; ++i) {
        choices_[i] = new QRadioButton(QString::fromLatin1(names[i]), this);
        kinds->addWidget(choices_[i]);
        const auto choice = static_cast<ConnectionChoice>(i);
        connect(choices_[i], &QRadioButton::toggled, this, [this, choice](bool on) {
            if (on && !updating_) Choose(choice);
        });
    }
    form->addRow(kinds);
    address_ = new QLineEdit(AddressText(logic_.address), this);
    address_->setValidator(new QRegularExpressionValidator(QRegularExpression(R"(^[0-9.]{0,15}$)"), address_));
    form->addRow(QStringLiteral("IP Address:"), address_);
    fromTo_ = new QComboBox(this);
    form->addRow(QStringLiteral("From/To:"), fromTo_);
    register_ = new QLineEdit(this);
    form->addRow(QStringLiteral("Register number:"), register_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConnectionTagDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConnectionTagDialog::reject);
    connect(fromTo_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (updating_ || index < 0) return;
        logic_.ChooseItem(index);
        ShowState();
    });
    connect(register_, &QLineEdit::textEdited, this, [this](const QString& text) {
        logic_.registerText = FromQString(text).value_or("");
    });
    ShowState();
}

void ConnectionTagDialog::Choose(ConnectionChoice choice) {
    logic_.registerText = FromQString(register_->text()).value_or("");
    logic_.Choose(choice);
    ShowState();
}

void ConnectionTagDialog::ShowState() {
    updating_ = true;
    choices_[static_cast<int>(logic_.choice)]->setChecked(true);
    fromTo_->clear();
    for (const ConnectionItem& item : ConnectionItems(logic_.choice)) fromTo_->addItem(QString::fromLatin1(item.text));
    fromTo_->setCurrentIndex(logic_.item);
    const bool used = logic_.choice != ConnectionChoice::NotUsed;
    fromTo_->setEnabled(used);
    address_->setEnabled(used);
    register_->setText(ToQString(logic_.registerText));
    register_->setEnabled(logic_.RegisterEnabled());
    updating_ = false;
}

void ConnectionTagDialog::accept() {
    logic_.address = AddressValue(address_->text());
    logic_.registerText = FromQString(register_->text().trimmed()).value_or("");
    if (logic_.Apply(frame_, slot_)) QDialog::accept();
}

}  // namespace pontra::gui
