// SPDX-License-Identifier: GPL-3.0-or-later
// "ComboBox Properties" of a "Selection" member of the configuration structure: the
// (string, value) pairs it offers, added and edited through the "String" dialog.
#pragma once

#include <QDialog>
#include <functional>

#include "shell/TagConfiguration.h"

class QPushButton;
class QTreeWidget;

namespace pontra::gui {

class StringDialog;

class ComboBoxPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    ComboBoxPropertiesDialog(CMainFrame& frame, CTag& member, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* editButton() const { return edit_; }
    const SelectionDialog& logic() const { return logic_; }

    // How the "String" dialog is run; tests replace exec() to fill and confirm it.
    std::function<int(StringDialog&)> runStringDialog;

    void AddRow();
    void EditRow();
    void DeleteRow();
    void accept() override;

private:
    void ShowRows();

    CMainFrame& frame_;
    CTag& member_;
    SelectionDialog logic_;
    QTreeWidget* list_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* edit_ = nullptr;
};

}  // namespace pontra::gui
