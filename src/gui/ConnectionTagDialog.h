// SPDX-License-Identifier: GPL-3.0-or-later
// "Connection Tag": the peer module and register of a controller connection slot, on
// the core's dialog logic (the register field follows the "From/To" choice).
#pragma once

#include <QDialog>

#include "shell/TagConnection.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace pontra::gui {

class ConnectionTagDialog : public QDialog {
    Q_OBJECT
public:
    ConnectionTagDialog(CMainFrame& frame, CTag& slot, QWidget* parent = nullptr);

    QRadioButton* notUsed() const { return choices_[0]; }
    QRadioButton* produced() const { return choices_[1]; }
    QRadioButton* consumed() const { return choices_[2]; }
    QLineEdit* addressField() const { return address_; }
    QComboBox* fromTo() const { return fromTo_; }
    QLineEdit* registerField() const { return register_; }

    // OK: the core checks and stores; a refusal keeps the dialog open.
    void accept() override;

private:
    void Choose(ConnectionChoice choice);
    void ShowState();

    CMainFrame& frame_;
    CTag& slot_;
    ConnectionDialog logic_;
    QRadioButton* choices_[3] = {};
    QLineEdit* address_ = nullptr;
    QComboBox* fromTo_ = nullptr;
    QLineEdit* register_ = nullptr;
    bool updating_ = false;
};

}  // namespace pontra::gui
