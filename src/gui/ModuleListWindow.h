// SPDX-License-Identifier: GPL-3.0-or-later
// The "List of Modules to Download" dialog over the core's ModuleListDialog: the address
// list with Add, Edit, Delete, Save and Cancel, "Download to All Modules" with its
// "Output:" list, and the per-module result list that fills while the workers run.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QDialog>

#include "online/ModuleList.h"

class QListWidget;
class QPushButton;

namespace pontra {
class CMainFrame;
}

namespace pontra::gui {

class ListDownloadResultsDialog;

class ModuleListWindow : public QDialog {
    Q_OBJECT
public:
    explicit ModuleListWindow(CMainFrame& frame, QWidget* parent = nullptr);

    // Asks for an address (the "Module" dialog by default; tests answer themselves).
    std::function<std::optional<std::string>(const std::string& address)> askAddress;

    void Add();
    void Edit();
    void Delete();
    void Save();
    // Runs the core's download; the result list shows each module as it finishes.
    bool DownloadToAllModules();

    ModuleListDialog& list() { return list_; }
    QListWidget* addresses() const { return addresses_; }
    QListWidget* output() const { return output_; }
    ListDownloadResultsDialog* results() const { return results_; }
    QPushButton* button(const QString& text) const;

private:
    void ShowAddresses();
    void ShowOutput();
    void UpdateButtons();

    ModuleListDialog list_;
    QListWidget* addresses_;
    QListWidget* output_;
    ListDownloadResultsDialog* results_ = nullptr;
    bool downloading_ = false;
};

} // namespace pontra::gui
