// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/TagEditor.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QKeySequence>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

#include "gui/ComboBoxPropertiesDialog.h"
#include "gui/ConnectionTagDialog.h"
#include "gui/ControlPropertiesDialog.h"
#include "gui/QtText.h"
#include "online/TrendBuffer.h"
#include "gui/TagItemDelegate.h"
#include "gui/TagTreeModel.h"
#include "gui/WriteTagDialog.h"
#include "model/Tag.h"
#include "online/LiveWrites.h"
#include "online/OnlineSession.h"
#include "shell/CommandSet.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

TagEditor::TagEditor(CMainFrame& frame, TagListSubject subject, QWidget* parent)
    : QWidget(parent), frame_(frame), subject_(subject) {
    model_ = new TagTreeModel(frame, subject, this);
    delegate_ = new TagItemDelegate(frame, this);
    filter_ = new QLineEdit(this);
    filter_->setPlaceholderText(QStringLiteral("Filter by name, data type or description"));
    filter_->setClearButtonEnabled(true);
    view_ = new QTreeView(this);
    view_->setModel(model_);
    view_->setItemDelegate(delegate_);
    view_->setUniformRowHeights(true);  // keeps long member lists cheap to lay out
    view_->setAlternatingRowColors(true);
    view_->setSortingEnabled(true);
    view_->header()->setSortIndicator(-1, Qt::AscendingOrder);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->setDragEnabled(true);  // a tag dragged onto the trend goes on it
    view_->setDragDropMode(QAbstractItemView::DragOnly);
    view_->header()->setSectionResizeMode(QHeaderView::Interactive);
    view_->header()->setStretchLastSection(true);
    const int widths[] = {170, 90, 90, 110, 90, 80, 300, 90};
    for (int c = 0; c < 8; ++c) view_->setColumnWidth(c, widths[c]);
    // Lists without a configuration structure have nothing in the control columns.
    const bool config = IsConfigurationList(frame.project(), subject);
    view_->setColumnHidden(TagTreeModel::kControlType, !config);
    view_->setColumnHidden(TagTreeModel::kControlProperties,
                           !config && subject.kind != TagListSubject::Kind::MainProgram);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(filter_);
    layout->addWidget(view_);

    connect(filter_, &QLineEdit::textChanged, model_, &TagTreeModel::SetFilter);
    connect(model_, &TagTreeModel::edited, this, &TagEditor::projectEdited);
    connect(view_, &QTreeView::customContextMenuRequested, this, &TagEditor::ShowContextMenu);
    connect(view_, &QTreeView::doubleClicked, this, &TagEditor::OnDoubleClick);
    view_->installEventFilter(this);
    setFocusProxy(view_);
}

TagEditor::~TagEditor() = default;

std::string TagEditor::key() const {
    switch (subject_.kind) {
    case TagListSubject::Kind::MainProgram: return "tags";
    case TagListSubject::Kind::FunctionBlock: return "fb:" + subject_.unit->name + ":tags";
    case TagListSubject::Kind::UserType: return "type:" + subject_.unit->name;
    }
    return "tags";
}

CTag* TagEditor::CurrentTag() const { return model_->TagAt(view_->currentIndex()); }

bool TagEditor::SelectTag(const CTag* tag) {
    const QModelIndex index = model_->IndexOf(tag);
    if (!index.isValid()) return false;
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
    return true;
}

void TagEditor::FillCommandTarget(CommandTarget& target) {
    target.tagList = subject_;
    target.tag = CurrentTag();
}

void TagEditor::CommitPendingEdits() {
    if (QWidget* editor = delegate_->OpenEditor()) {
        Q_EMIT delegate_->commitData(editor);
        // A new tag reloads the list, which already closed the editor.
        if (QWidget* still = delegate_->OpenEditor()) Q_EMIT delegate_->closeEditor(still, QAbstractItemDelegate::NoHint);
    }
}

void TagEditor::ModelChanged() { model_->Reload(); }

void TagEditor::DebugModeChanged() { model_->DebugModeChanged(); }

void TagEditor::LiveValuesChanged() { model_->RefreshLiveValues(); }

bool TagEditor::DeleteCurrent() {
    CTag* tag = CurrentTag();
    if (!tag || !model_->IsDeclared(view_->currentIndex())) return false;
    const int row = view_->currentIndex().row();
    if (!DeleteTag(frame_, subject_, *tag)) return false;
    model_->Reload();
    Q_EMIT projectEdited();
    const QModelIndex next = model_->index(std::min(row, model_->rowCount() - 1), 0);
    view_->setCurrentIndex(next);
    return true;
}

bool TagEditor::ToggleNonVolatileOfCurrent() {
    CommandTarget target;
    FillCommandTarget(target);
    if (!target.tag) return false;
    const CTag* tag = target.tag;
    if (InvokeCommand(frame_, Command::NonVolatile, target) != CommandOutcome::Done) return false;
    model_->Reload();
    Q_EMIT projectEdited();
    SelectTag(tag);
    return true;
}

bool TagEditor::EditSettingsOfCurrent() {
    const QModelIndex index = view_->currentIndex();
    CTag* tag = model_->TagAt(index);
    // Settings belong to a slot or a member as declared, never to a member row.
    if (!tag || index.parent().isValid()) return false;
    const bool member = model_->IsDeclared(index) && IsConfigurationList(frame_.project(), subject_);
    int result = QDialog::Rejected;
    if (tag->connectionKind != kConnNone) {
        ConnectionTagDialog dialog(frame_, *tag, this);
        result = dialog.exec();
    } else if (member && tag->configMode == kConfigRange) {
        ControlPropertiesDialog dialog(frame_, *tag, this);
        result = dialog.exec();
    } else if (member && tag->configMode == kConfigChoice) {
        ComboBoxPropertiesDialog dialog(frame_, *tag, this);
        result = dialog.exec();
    } else {
        return false;
    }
    if (result == QDialog::Accepted) {
        Q_EMIT model_->dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(TagTreeModel::kColumnCount - 1));
        Q_EMIT projectEdited();
    }
    return true;
}

bool TagEditor::WriteCurrent() {
    CTag* tag = CurrentTag();
    if (!tag || !frame_.online().Debugging()) return false;
    CUnit* unit = subject_.kind == TagListSubject::Kind::FunctionBlock ? subject_.unit : nullptr;
    if (tag->dataType == "BOOL") {
        // A BOOL toggles at once: it is written as the opposite of its live value.
        pontra::WriteTagDialog write(frame_, unit, *tag);
        return write.Ok(write.initialText == "1" ? "0" : "1");
    }
    WriteTagDialog dialog(frame_, unit, *tag, this);
    return dialog.exec() == QDialog::Accepted;
}

void TagEditor::OnDoubleClick(const QModelIndex& index) {
    if (!index.isValid()) return;
    if (frame_.online().Debugging() && index.column() == TagTreeModel::kValue) {
        WriteCurrent();
        return;
    }
    if (index.column() == TagTreeModel::kControlProperties) EditSettingsOfCurrent();
}

bool TagEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && !delegate_->OpenEditor()) {
        DeleteCurrent();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TagEditor::ShowContextMenu(const QPoint& at) {
    const QModelIndex index = view_->indexAt(at);
    if (index.isValid()) view_->setCurrentIndex(index);
    CTag* tag = CurrentTag();
    QMenu menu(this);
    CommandTarget target;
    FillCommandTarget(target);
    // The core's tag-list commands with their enabled and checked state.
    for (const CommandInfo& info : CommandTable()) {
        if (!(info.places & kTagMenu)) continue;
        const CommandState state = CommandStateOf(frame_, info.command, target);
        QAction* action = menu.addAction(ToQString(info.text));
        action->setEnabled(state.enabled);
        action->setCheckable(info.command == Command::NonVolatile);
        action->setChecked(state.checked);
        const Command command = info.command;
        connect(action, &QAction::triggered, this, [this, command] {
            if (command == Command::NonVolatile) {
                ToggleNonVolatileOfCurrent();
                return;
            }
            CommandTarget t;
            FillCommandTarget(t);
            if (InvokeCommand(frame_, command, t) == CommandOutcome::Done) Q_EMIT projectEdited();
            model_->Reload();
        });
    }
    QAction* remove = menu.addAction(QStringLiteral("Delete"));
    remove->setShortcut(QKeySequence::Delete);
    remove->setEnabled(tag && model_->IsDeclared(view_->currentIndex()) && frame_.debugMode == 0);
    connect(remove, &QAction::triggered, this, &TagEditor::DeleteCurrent);
    if (tag && tag->connectionKind != kConnNone) {
        connect(menu.addAction(QStringLiteral("Connection Tag...")), &QAction::triggered, this,
                &TagEditor::EditSettingsOfCurrent);
    } else if (tag && tag->configMode == kConfigRange && model_->IsDeclared(view_->currentIndex())) {
        connect(menu.addAction(QStringLiteral("Control Properties...")), &QAction::triggered, this,
                &TagEditor::EditSettingsOfCurrent);
    } else if (tag && tag->configMode == kConfigChoice && model_->IsDeclared(view_->currentIndex())) {
        connect(menu.addAction(QStringLiteral("ComboBox Properties...")), &QAction::triggered, this,
                &TagEditor::EditSettingsOfCurrent);
    }
    if (tag && frame_.online().Debugging())
        connect(menu.addAction(QStringLiteral("Write Tag...")), &QAction::triggered, this, &TagEditor::WriteCurrent);
    if (tag && subject_.kind != TagListSubject::Kind::UserType) {
        menu.addSeparator();
        QAction* xref = menu.addAction(QStringLiteral("Cross Reference"));
        // The uses of a member are found through the tag it belongs to.
        QModelIndex top = view_->currentIndex();
        while (top.parent().isValid()) top = top.parent();
        const QString name = ToQString(model_->TagAt(top)->name);
        CUnit* unit = subject_.kind == TagListSubject::Kind::FunctionBlock ? subject_.unit : nullptr;
        connect(xref, &QAction::triggered, this, [this, unit, name] { Q_EMIT crossReferenceRequested(unit, name); });
        // The trend follows elementary main-program and controller tags and members.
        const std::string& current = model_->TagAt(view_->currentIndex())->name;
        if (subject_.kind == TagListSubject::Kind::MainProgram && TrendName(frame_.project(), nullptr, current)) {
            const QString full = ToQString(current);
            connect(menu.addAction(QStringLiteral("Add to Trend")), &QAction::triggered, this,
                    [this, full] { Q_EMIT addToTrendRequested(full); });
        }
    }
    menu.exec(view_->viewport()->mapToGlobal(at));
}

}  // namespace pontra::gui
