// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/OutputDock.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QTreeWidget>

#include "gui/QtText.h"

namespace pontra::gui {

OutputDock::OutputDock(const OutputWindow& output, QWidget* parent)
    : QDockWidget("Output Bar", parent), output_(output), list_(new QTreeWidget) {
    setObjectName("OutputBar");
    list_->setColumnCount(1);
    list_->setHeaderLabels({OutputWindow::kColumnTitle});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    list_->setFont(font);
    setWidget(list_);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { Q_EMIT lineActivated(list_->indexOfTopLevelItem(item)); });
}

void OutputDock::Sync() {
    const std::vector<OutputLine>& lines = output_.Lines();
    const int shown = list_->topLevelItemCount();
    // The model only appends or clears: a shorter model starts the list again.
    if (static_cast<size_t>(shown) > lines.size()) list_->clear();
    QList<QTreeWidgetItem*> added;
    for (size_t i = static_cast<size_t>(list_->topLevelItemCount()); i < lines.size(); ++i)
        added << new QTreeWidgetItem(QStringList{ToQString(lines[i].text)});
    if (added.isEmpty()) return;
    list_->addTopLevelItems(added);
    list_->scrollToItem(added.back());
}

}  // namespace pontra::gui
