// SPDX-License-Identifier: GPL-3.0-or-later
// The in-place editors of a tag list's cells: a choice of the project's data types
// (still open to typed array types such as DINT[10]), of the display styles a tag's type
// allows and of the control types; a line edit elsewhere.
#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

namespace pontra {
class CMainFrame;
}

namespace pontra::gui {

class TagItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TagItemDelegate(CMainFrame& frame, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    // The data types the choice offers: the project's types in type-list order.
    QStringList DataTypeChoices() const;
    // The in-place editor open now, if any (committed before a build or save).
    QWidget* OpenEditor() const { return openEditor_.data(); }

private:
    QWidget* CreateCellEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    CMainFrame& frame_;
    mutable QPointer<QWidget> openEditor_;
};

}  // namespace pontra::gui
