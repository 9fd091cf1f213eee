// SPDX-License-Identifier: GPL-3.0-or-later
// "Controller Properties": the module address (four numbers 0-255) and the controller
// type from the core's list. OK stays disabled while the address is not one.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "host/Host.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace pontra::gui {

class ControllerPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    ControllerPropertiesDialog(uint32_t address, const std::string& type, QWidget* parent = nullptr);

    ControllerPropertiesChoice Choice() const;
    QLineEdit* addressEdit() const { return address_; }
    QComboBox* typeList() const { return type_; }
    bool CanAccept() const;

private:
    void Validate();

    QLineEdit* address_;
    QComboBox* type_;
    QLabel* problem_;
    QDialogButtonBox* buttons_;
};

}  // namespace pontra::gui
