// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/RungListView.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <algorithm>

#include "files/RungText.h"
#include "gui/QtText.h"
#include "shell/LadderEditing.h"

namespace pontra::gui {

RungListView::RungListView(CMainFrame& frame, CUnit* unit, std::string key, QWidget* parent)
    : QTreeWidget(parent), ladder_(frame, unit), key_(std::move(key)) {
    setColumnCount(3);
    setHeaderLabels({"Rung", "Comment", "Instructions"});
    setRootIsDecorated(false);
    setAlternatingRowColors(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::currentItemChanged, this, &RungListView::OnRowChanged);
    ModelChanged();
    resizeColumnToContents(0);
    resizeColumnToContents(1);
    setColumnWidth(1, std::clamp(columnWidth(1), 120, 420));
}

QString RungListView::InstructionsText(const CRung& rung) {
    const QString text = ToQString(RungText(rung));
    QStringList parts;
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
        if (!line.startsWith("RUNG") && line != "RND;") parts << line;
    return parts.join(' ');
}

void RungListView::FillCommandTarget(CommandTarget& target) {
    target.ladder = &ladder_;
    target.focusInView = true;
}

void RungListView::ModelChanged() {
    filling_ = true;
    RungList& rungs = ladder_.Rungs();
    // Rows are reused: only what changed is rewritten (a long program stays quick).
    while (topLevelItemCount() > static_cast<int>(rungs.size())) delete takeTopLevelItem(topLevelItemCount() - 1);
    QList<QTreeWidgetItem*> added;
    for (size_t i = 0; i < rungs.size(); ++i) {
        const int row = static_cast<int>(i);
        QTreeWidgetItem* item = row < topLevelItemCount() ? topLevelItem(row) : nullptr;
        if (!item) {
            item = new QTreeWidgetItem;
            added << item;
        }
        item->setText(0, QString::number(i));
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(1, ToQString(rungs[i]->comment));
        item->setText(2, InstructionsText(*rungs[i]));
    }
    addTopLevelItems(added);
    filling_ = false;
    ShowSelection();
}

void RungListView::ShowSelection() {
    filling_ = true;
    if (QTreeWidgetItem* item = topLevelItem(ladder_.currentRung)) {
        setCurrentItem(item);
        scrollToItem(item, QAbstractItemView::PositionAtCenter);
    }
    filling_ = false;
}

void RungListView::OnRowChanged() {
    if (filling_) return;
    const int row = indexOfTopLevelItem(currentItem());
    RungList& rungs = ladder_.Rungs();
    if (row < 0 || row >= static_cast<int>(rungs.size()) || rungs[static_cast<size_t>(row)]->elements.empty()) return;
    SelectElement(ladder_, rungs[static_cast<size_t>(row)]->elements.front().get());
}

bool RungListView::ShowJump(const OutputJump& jump) {
    if (jump.kind != OutputJump::Kind::LadderElement || jump.unit != ladder_.unit()) return false;
    if (!jump.element || !SelectElement(ladder_, jump.element)) return false;
    ShowSelection();
    return true;
}

}  // namespace pontra::gui
