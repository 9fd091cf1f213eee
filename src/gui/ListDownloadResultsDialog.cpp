// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ListDownloadResultsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/QtText.h"
#include "online/ModuleList.h"

namespace pontra::gui {

ListDownloadResultsDialog::ListDownloadResultsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Download to Modules"));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTreeWidget(this);
    table_->setColumnCount(2);
    table_->setHeaderLabels({QStringLiteral("Address"), QStringLiteral("Result")});
    table_->setRootIsDecorated(false);
    table_->setUniformRowHeights(true);
    table_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table_->header()->setStretchLastSection(true);
    layout->addWidget(table_);
    summary_ = new QLabel(this);
    layout->addWidget(summary_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 360);
}

void ListDownloadResultsDialog::Update(const ModuleListDialog& list, int line) {
    const auto& output = list.output;
    if (line < 0) {
        table_->clear();
        for (const std::string& text : output) {
            // "address..." while its worker runs.
            const std::string address = text.ends_with("...") ? text.substr(0, text.size() - 3) : text;
            auto* item = new QTreeWidgetItem(table_, {ToQString(address), QStringLiteral("...")});
            item->setForeground(1, Qt::darkGray);
        }
        summary_->setText(QStringLiteral("Downloading to %1 modules...").arg(output.size()));
        return;
    }
    if (line < table_->topLevelItemCount() && static_cast<size_t>(line) < output.size()) {
        QTreeWidgetItem* item = table_->topLevelItem(line);
        const std::string address = FromQString(item->text(0)).value_or(std::string());
        const std::string& text = output[static_cast<size_t>(line)];
        const std::string result =
            text.starts_with(address + " ") ? text.substr(address.size() + 1) : text;
        item->setText(1, ToQString(result));
        item->setForeground(1, result == "OK" ? QBrush(QColor(0, 100, 0)) : QBrush(QColor(176, 0, 0)));
    }
    const int done = list.succeeded + list.failed;
    summary_->setText(done < static_cast<int>(output.size())
                          ? QStringLiteral("%1 of %2 modules finished...").arg(done).arg(output.size())
                          : ToQString(list.Summary()));
}

} // namespace pontra::gui
