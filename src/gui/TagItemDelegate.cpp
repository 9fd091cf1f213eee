// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/TagItemDelegate.h"

#include <QComboBox>
#include <QLineEdit>

#include "gui/QtText.h"
#include "gui/TagTreeModel.h"
#include "shell/MainFrame.h"
#include "shell/TagValueEdits.h"

namespace pontra::gui {

TagItemDelegate::TagItemDelegate(CMainFrame& frame, QObject* parent) : QStyledItemDelegate(parent), frame_(frame) {}

QStringList TagItemDelegate::DataTypeChoices() const {
    QStringList names;
    for (const auto& type : frame_.types()) names << ToQString(type->name);
    return names;
}

QWidget* TagItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    QWidget* editor = CreateCellEditor(parent, option, index);
    openEditor_ = editor;
    return editor;
}

QWidget* TagItemDelegate::CreateCellEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    const auto* model = qobject_cast<const TagTreeModel*>(index.model());
    const CTag* tag = model ? model->TagAt(index) : nullptr;
    switch (index.column()) {
    case TagTreeModel::kDataType: {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems(DataTypeChoices());
        return box;
    }
    case TagTreeModel::kStyle: {
        auto* box = new QComboBox(parent);
        if (tag)
            for (std::string_view style : StylesFor(tag->dataType)) box->addItem(ToQString(style));
        return box;
    }
    case TagTreeModel::kControlType: {
        auto* box = new QComboBox(parent);
        for (int mode = 0; mode <= 3; ++mode) box->addItem(ToQString(ControlTypeName(mode)));
        return box;
    }
    default: return QStyledItemDelegate::createEditor(parent, option, index);
    }
}

void TagItemDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    // The editor goes later; from now on no edit is open.
    if (editor == openEditor_) openEditor_.clear();
    QStyledItemDelegate::destroyEditor(editor, index);
}

void TagItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        const QString text = index.data(Qt::EditRole).toString();
        const int at = box->findText(text);
        if (at >= 0) box->setCurrentIndex(at);
        if (box->isEditable()) box->setEditText(text);
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void TagItemDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, box->currentText().trimmed(), Qt::EditRole);
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        // Names and types are typed without surrounding blanks.
        const bool trim = index.column() != TagTreeModel::kDescription;
        model->setData(index, trim ? line->text().trimmed() : line->text(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

}  // namespace pontra::gui
