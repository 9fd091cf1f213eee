// SPDX-License-Identifier: GPL-3.0-or-later
// A tag list read-only: the main program's tags, a function block's tags or a user
// type's members, one row per declaration with the tag editor's columns.
#pragma once

#include <QTableView>

#include "gui/DocumentView.h"
#include "shell/TagRules.h"

class QStandardItemModel;

namespace pontra::gui {

class TagTableView : public QTableView, public DocumentView {
    Q_OBJECT
public:
    TagTableView(CMainFrame& frame, TagListSubject subject, std::string key, QWidget* parent = nullptr);

    QWidget* widget() override { return this; }
    std::string key() const override { return key_; }
    void FillCommandTarget(CommandTarget& target) override;
    void ModelChanged() override;
    void DebugModeChanged() override { ModelChanged(); }
    void LiveValuesChanged() override { ModelChanged(); }

    static QStringList ColumnTitles();

private:
    CMainFrame& frame_;
    TagListSubject subject_;
    std::string key_;
    QStandardItemModel* model_;
};

}  // namespace pontra::gui
