// SPDX-License-Identifier: GPL-3.0-or-later
// The result of "Download to All Modules" per module (address, result text), filled as
// the workers finish, with a summary line under it.
#pragma once

#include <QDialog>

class QLabel;
class QTreeWidget;

namespace pontra {
class ModuleListDialog;
}

namespace pontra::gui {

class ListDownloadResultsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ListDownloadResultsDialog(QWidget* parent = nullptr);

    // The dialog's output list as it stands: -1 for a fresh start (one row per module,
    // waiting), else the line of the module whose result has come.
    void Update(const ModuleListDialog& list, int line);

    QTreeWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }

private:
    QTreeWidget* table_;
    QLabel* summary_;
};

} // namespace pontra::gui
