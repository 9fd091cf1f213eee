// SPDX-License-Identifier: GPL-3.0-or-later
// The "Module" dialog: one "IP Address:" field; OK only takes four dotted numbers 0-255.
#pragma once

#include <optional>
#include <string>

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace pontra::gui {

class ModuleAddressDialog : public QDialog {
    Q_OBJECT
public:
    explicit ModuleAddressDialog(const std::string& address, QWidget* parent = nullptr);

    // The address as entered, without surrounding blanks; none while it is not valid.
    std::optional<std::string> Address() const;
    QLineEdit* field() const { return field_; }
    bool OkEnabled() const;

    // Runs the dialog; the address on OK.
    static std::optional<std::string> Ask(QWidget* parent, const std::string& address);

private:
    void Check();

    QLineEdit* field_;
    QLabel* hint_;
    QDialogButtonBox* buttons_;
};

} // namespace pontra::gui
