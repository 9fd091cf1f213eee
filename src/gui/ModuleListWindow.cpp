// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ModuleListWindow.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/ListDownloadResultsDialog.h"
#include "gui/ModuleAddressDialog.h"
#include "gui/QtText.h"
#include "host/Host.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

ModuleListWindow::ModuleListWindow(CMainFrame& frame, QWidget* parent) : QDialog(parent), list_(frame) {
    setWindowTitle(QStringLiteral("List of Modules to Download"));
    askAddress = [this](const std::string& address) { return ModuleAddressDialog::Ask(this, address); };

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("IP Adresses of modules:"), this), 0, 0);
    addresses_ = new QListWidget(this);
    addresses_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->addWidget(addresses_, 1, 0);
    auto* buttons = new QVBoxLayout;
    const auto addButton = [&](const char* text, void (ModuleListWindow::*slot)()) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    addButton("Add", &ModuleListWindow::Add);
    addButton("Delete", &ModuleListWindow::Delete);
    addButton("Edit", &ModuleListWindow::Edit);
    auto* download = new QPushButton(QStringLiteral("Download to All Modules"), this);
    download->setAutoDefault(false);
    connect(download, &QPushButton::clicked, this, [this] { DownloadToAllModules(); });
    buttons->addWidget(download);
    buttons->addStretch();
    addButton("Save", &ModuleListWindow::Save);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 1, 1, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Output:"), this), 2, 0);
    output_ = new QListWidget(this);
    output_->setSelectionMode(QAbstractItemView::NoSelection);
    output_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid->addWidget(output_, 3, 0);

    connect(addresses_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!downloading_) list_.selection = row;
    });
    connect(addresses_, &QListWidget::itemDoubleClicked, this, [this] { Edit(); });

    list_.onOutputChanged = [this](int line) {
        ShowOutput();
        if (!results_) {
            results_ = new ListDownloadResultsDialog(this);
        }
        results_->Update(list_, line);
        if (line < 0) results_->show();
    };
    ShowAddresses();
    resize(520, 420);
}

QPushButton* ModuleListWindow::button(const QString& text) const {
    for (auto* b : findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

void ModuleListWindow::Add() {
    if (downloading_) return;
    if (auto address = askAddress(std::string())) list_.Add(*address);
    ShowAddresses();
}

void ModuleListWindow::Edit() {
    if (downloading_ || !list_.EditEnabled() || list_.selection < 0) return;
    if (auto address = askAddress(list_.addresses[static_cast<size_t>(list_.selection)])) list_.Edit(*address);
    ShowAddresses();
}

void ModuleListWindow::Delete() {
    if (downloading_ || !list_.DeleteEnabled()) return;
    list_.Delete();
    ShowAddresses();
}

void ModuleListWindow::Save() {
    if (downloading_) return;
    if (list_.Save()) {
        accept();
        return;
    }
    // The list stays in the dialog, to be saved once the folder can be written.
    Host& host = list_.frame().host();
    host.Message("Error: Unable save data to file " + ModuleListPath(list_.frame().doc(), host.ProgramFolder()));
}

bool ModuleListWindow::DownloadToAllModules() {
    // The core pumps events while its workers run: every control of this dialog stays
    // still until it returns, and the core's busy guard refuses any other online command.
    if (downloading_) return false;
    downloading_ = true;
    UpdateButtons();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = list_.DownloadToAllModules();
    QApplication::restoreOverrideCursor();
    downloading_ = false;
    ShowOutput();
    UpdateButtons();
    return ok;
}

void ModuleListWindow::ShowAddresses() {
    const QSignalBlocker block(addresses_);
    addresses_->clear();
    for (const auto& address : list_.addresses) addresses_->addItem(ToQString(address));
    if (list_.selection >= 0 && list_.selection < addresses_->count()) addresses_->setCurrentRow(list_.selection);
    UpdateButtons();
}

void ModuleListWindow::ShowOutput() {
    output_->clear();
    for (const auto& line : list_.output) output_->addItem(ToQString(line));
}

void ModuleListWindow::UpdateButtons() {
    for (auto* b : findChildren<QPushButton*>()) {
        const QString t = b->text();
        bool enabled = !downloading_;
        if (t == QLatin1String("Delete")) enabled = enabled && list_.DeleteEnabled();
        if (t == QLatin1String("Edit")) enabled = enabled && list_.EditEnabled();
        b->setEnabled(enabled);
    }
    addresses_->setEnabled(!downloading_);
}

} // namespace pontra::gui
