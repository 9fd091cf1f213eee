// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/TagTableView.h"

#include <QHeaderView>
#include <QStandardItemModel>

#include "gui/QtText.h"
#include "model/Tag.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

QStringList TagTableView::ColumnTitles() {
    return {"Tag Name", "Alias For", "Base Tag", "Data Type", "Init Value", "Style",
            "Description", "Control Type", "Control Properties"};
}

TagTableView::TagTableView(CMainFrame& frame, TagListSubject subject, std::string key, QWidget* parent)
    : QTableView(parent), frame_(frame), subject_(subject), key_(std::move(key)), model_(new QStandardItemModel(this)) {
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
    ModelChanged();
    resizeColumnsToContents();
}

void TagTableView::FillCommandTarget(CommandTarget& target) {
    target.tagList = subject_;
    TagList* tags = EditedTags(frame_.project(), subject_);
    const int row = currentIndex().row();
    if (tags && row >= 0 && row < static_cast<int>(tags->size())) target.tag = (*tags)[static_cast<size_t>(row)].get();
}

void TagTableView::ModelChanged() {
    model_->clear();
    model_->setHorizontalHeaderLabels(ColumnTitles());
    const TagList* tags = EditedTags(frame_.project(), subject_);
    if (!tags) return;
    const bool online = frame_.debugMode != 0;
    model_->setHeaderData(4, Qt::Horizontal, online ? "Debug Value" : "Init Value");
    for (const auto& tag : *tags) {
        QList<QStandardItem*> row;
        auto cell = [&row](const std::string& text) { row << new QStandardItem(ToQString(text)); };
        cell(tag->name);
        cell(tag->alias);
        cell(tag->baseTag);
        cell(tag->dataType);
        cell(online ? frame_.online().ValueText(*tag, 0) : tag->initialValue);
        cell(tag->style);
        cell(tag->description);
        cell(std::string(ControlTypeName(tag->configMode)));
        cell(tag->configText);
        model_->appendRow(row);
    }
}

}  // namespace pontra::gui
