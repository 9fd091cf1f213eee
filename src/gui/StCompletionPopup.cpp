// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/StCompletionPopup.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/QtText.h"

namespace pontra::gui {

namespace {
constexpr int kWidth = 300, kHeight = 150, kColumnWidth = 100;
}

StCompletionPopup::StCompletionPopup(QWidget* owner)
    : QFrame(owner, Qt::ToolTip | Qt::FramelessWindowHint), list_(new QTreeWidget(this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setColumnCount(3);
    list_->setHeaderLabels({"Tag Name", "Data Type", "Description"});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setSortingEnabled(false);
    list_->header()->setSectionsClickable(false);
    list_->header()->setStretchLastSection(false);
    for (int c = 0; c < 3; ++c) list_->setColumnWidth(c, kColumnWidth);
    setFixedSize(kWidth, kHeight);
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { Q_EMIT rowChosen(list_->indexOfTopLevelItem(item)); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { Q_EMIT rowAccepted(list_->indexOfTopLevelItem(item)); });
}

void StCompletionPopup::ShowRows(const std::vector<CompletionRow>& rows, int selected, QPoint globalPos) {
    if (rows != shown_) {
        list_->clear();
        QList<QTreeWidgetItem*> items;
        for (const CompletionRow& row : rows)
            items.append(new QTreeWidgetItem(
                QStringList{ToQString(row.name), ToQString(row.dataType), ToQString(row.description)}));
        list_->addTopLevelItems(items);
        shown_ = rows;
    }
    if (selected >= 0 && selected < list_->topLevelItemCount()) {
        QTreeWidgetItem* item = list_->topLevelItem(selected);
        list_->setCurrentItem(item);
        list_->scrollToItem(item);
    } else {
        list_->clearSelection();
    }
    move(globalPos);
    if (!isVisible()) show();
}

}  // namespace pontra::gui
