// SPDX-License-Identifier: GPL-3.0-or-later
// "Write Tag": a new value for a tag of the running module, read in the tag's style by
// the core; the dialog stays open after a refused value.
#pragma once

#include <QDialog>

#include "online/LiveWrites.h"

class QLabel;
class QLineEdit;

namespace pontra::gui {

class WriteTagDialog : public QDialog {
    Q_OBJECT
public:
    WriteTagDialog(CMainFrame& frame, CUnit* unit, const CTag& tag, QWidget* parent = nullptr);

    QLabel* label() const { return label_; }
    QLineEdit* valueField() const { return value_; }
    void accept() override;

private:
    CMainFrame& frame_;
    pontra::WriteTagDialog logic_;
    QLabel* label_ = nullptr;
    QLineEdit* value_ = nullptr;
};

}  // namespace pontra::gui
