// SPDX-License-Identifier: GPL-3.0-or-later
// The tag editor: one tag list (the main program's tags with the controller tags, a
// function block's parameters and locals, or a user type's members) in a tree with a
// filter field. Cells are edited in place through the core's tag rules; Delete, the
// context menu and double-clicks open the rules' commands and dialogs; online the value
// column follows the module and a double-click writes a value.
#pragma once

#include <QWidget>

#include "gui/DocumentView.h"
#include "shell/TagRules.h"

class QLineEdit;
class QTreeView;

namespace pontra {
class CMainFrame;
class CTag;
}  // namespace pontra

namespace pontra::gui {

class TagItemDelegate;
class TagTreeModel;

class TagEditor : public QWidget, public DocumentView {
    Q_OBJECT
public:
    TagEditor(CMainFrame& frame, TagListSubject subject, QWidget* parent = nullptr);
    ~TagEditor() override;

    // DocumentView
    QWidget* widget() override { return this; }
    std::string key() const override;
    void FillCommandTarget(CommandTarget& target) override;
    void CommitPendingEdits() override;
    void ModelChanged() override;
    void DebugModeChanged() override;
    void LiveValuesChanged() override;

    QTreeView* view() const { return view_; }
    QLineEdit* filterField() const { return filter_; }
    TagTreeModel* model() const { return model_; }
    const TagListSubject& subject() const { return subject_; }

    // The tag of the current row (null on the new-tag row or none).
    CTag* CurrentTag() const;
    // Selects the top-level row of a tag; false when it is not shown.
    bool SelectTag(const CTag* tag);

    // The list's commands on the current row, as the keys and the context menu run them.
    bool DeleteCurrent();
    bool ToggleNonVolatileOfCurrent();
    // Opens the dialog that the current tag's settings have (Connection Tag, Control
    // Properties or ComboBox Properties); false when it has none.
    bool EditSettingsOfCurrent();
    // Online: Write Tag on the current tag (a BOOL is toggled at once).
    bool WriteCurrent();

Q_SIGNALS:
    // The project was changed from this editor (a cell, Delete, Non-volatile, a dialog):
    // the other views re-read it, as instances elsewhere may have new members.
    void projectEdited();
    // "Cross Reference" of the context menu: the uses of `tag` seen from `unit` (null:
    // the main program) are asked for.
    void crossReferenceRequested(pontra::CUnit* unit, const QString& tag);
    // "Add to Trend" of the context menu on a tag or member of the main program's list.
    void addToTrendRequested(const QString& tag);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowContextMenu(const QPoint& at);
    void OnDoubleClick(const QModelIndex& index);

    CMainFrame& frame_;
    TagListSubject subject_;
    TagTreeModel* model_ = nullptr;
    TagItemDelegate* delegate_ = nullptr;
    QTreeView* view_ = nullptr;
    QLineEdit* filter_ = nullptr;
};

}  // namespace pontra::gui
