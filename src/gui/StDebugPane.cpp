// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/StDebugPane.h"

#include <algorithm>

#include <QHeaderView>
#include <QScrollBar>

#include "gui/QtText.h"
#include "gui/StEditorFont.h"

namespace pontra::gui {

namespace {

bool SameShape(const std::vector<DebugViewRow>& a, const std::vector<DebugViewRow>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].depth != b[i].depth) return false;
    return true;
}

// The name part of a line: "Speed: INT, ..." gives "Speed".
QString NameOf(const QString& line) {
    return line.left(line.indexOf(QLatin1Char(':')));
}

}  // namespace

StDebugPane::StDebugPane(CMainFrame& frame, CUnit& unit, QWidget* parent)
    : QTreeWidget(parent), frame_(frame), unit_(unit) {
    setColumnCount(1);
    setHeaderHidden(true);
    setFont(StEditorFont());
    setUniformRowHeights(true);
    setIndentation(14);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(true);
    Refresh();
}

void StDebugPane::Refresh() {
    std::vector<DebugViewRow> rows = DebugViewRows(frame_, unit_);
    if (SameShape(rows, rows_)) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].text != rows_[i].text) items_[i]->setText(0, ToQString(rows[i].text));
        rows_ = std::move(rows);
        return;
    }
    clear();
    items_.clear();
    std::vector<QTreeWidgetItem*> parents;  // the last item at each depth
    for (const DebugViewRow& row : rows) {
        const size_t depth = static_cast<size_t>(std::max(row.depth, 0));
        parents.resize(std::min(depth, parents.size()));
        QTreeWidgetItem* item = parents.empty() ? new QTreeWidgetItem(this) : new QTreeWidgetItem(parents.back());
        item->setText(0, ToQString(row.text));
        parents.push_back(item);
        items_.push_back(item);
    }
    rows_ = std::move(rows);
}

void StDebugPane::FollowEditor(int line) {
    verticalScrollBar()->setValue(line);
}

std::string StDebugPane::SelectedName() const {
    const QTreeWidgetItem* item = currentItem();
    if (!item) return {};
    return FromQString(NameOf(item->text(0))).value_or(std::string());
}

std::vector<std::string> StDebugPane::Lines() const {
    std::vector<std::string> lines;
    for (const DebugViewRow& row : rows_) lines.push_back(row.text);
    return lines;
}

}  // namespace pontra::gui
