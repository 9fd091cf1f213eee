// SPDX-License-Identifier: GPL-3.0-or-later
// "Control Properties" of a "Number" member of the configuration structure: its
// optional lower and upper limit, checked by the core.
#pragma once

#include <QDialog>

class QLineEdit;

namespace pontra {
class CMainFrame;
class CTag;
}  // namespace pontra

namespace pontra::gui {

class ControlPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    ControlPropertiesDialog(CMainFrame& frame, CTag& member, QWidget* parent = nullptr);

    QLineEdit* minField() const { return min_; }
    QLineEdit* maxField() const { return max_; }
    void accept() override;

private:
    CMainFrame& frame_;
    CTag& member_;
    QLineEdit* min_ = nullptr;
    QLineEdit* max_ = nullptr;
};

}  // namespace pontra::gui
