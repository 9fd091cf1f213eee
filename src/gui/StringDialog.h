// SPDX-License-Identifier: GPL-3.0-or-later
// "String": one (string, value) pair of a selection list. Its OK hands the pair to a
// check that the list supplies; a refusal keeps the dialog open.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;

namespace pontra {
class Host;
}

namespace pontra::gui {

class StringDialog : public QDialog {
    Q_OBJECT
public:
    using Check = std::function<bool(const std::string& text, const std::string& value)>;
    StringDialog(Host& host, const QString& text, const QString& value, Check check, QWidget* parent = nullptr);

    QLineEdit* stringField() const { return text_; }
    QLineEdit* valueField() const { return value_; }
    void accept() override;

private:
    Host& host_;
    Check check_;
    QLineEdit* text_ = nullptr;
    QLineEdit* value_ = nullptr;
};

}  // namespace pontra::gui
