// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ProjectTreeDock.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "gui/QtText.h"
#include "shell/CommandSet.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

namespace {

constexpr int kItemRole = Qt::UserRole + 1;
constexpr int kFoldedRole = Qt::UserRole + 2;

QString PathOf(QTreeWidgetItem* row) {
    QStringList parts;
    for (; row; row = row->parent()) parts.prepend(row->text(0));
    return parts.join('/');
}

void CollectExpanded(QTreeWidgetItem* row, QSet<QString>& expanded) {
    if (row->isExpanded()) expanded.insert(PathOf(row));
    for (int i = 0; i < row->childCount(); ++i) CollectExpanded(row->child(i), expanded);
}

void Expand(QTreeWidgetItem* row, const QSet<QString>& expanded, int depth, bool firstBuild) {
    (void)depth;
    // At first the long fixed lists (library blocks, predefined types) stay folded.
    row->setExpanded(firstBuild ? !row->data(0, kFoldedRole).toBool() : expanded.contains(PathOf(row)));
    for (int i = 0; i < row->childCount(); ++i) Expand(row->child(i), expanded, depth + 1, firstBuild);
}

}  // namespace

ProjectTreeDock::ProjectTreeDock(CMainFrame& frame, QWidget* parent)
    : QDockWidget("Project Bar", parent), frame_(frame), tree_(new QTreeWidget) {
    setObjectName("ProjectBar");
    tree_->setHeaderHidden(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    tree_->setExpandsOnDoubleClick(false);
    setWidget(tree_);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, &ProjectTreeDock::OnDoubleClick);
    connect(tree_, &QTreeWidget::itemChanged, this, &ProjectTreeDock::OnEdited);
    connect(tree_, &QTreeWidget::customContextMenuRequested, this, &ProjectTreeDock::ShowMenu);
}

void ProjectTreeDock::Rebuild() {
    // An item's name being edited stays; the commit rebuilds the tree.
    QWidget* focus = QApplication::focusWidget();
    if (focus && qobject_cast<QLineEdit*>(focus) && tree_->isAncestorOf(focus)) return;
    std::vector<TreeItem> items;
    if (frame_.HasProject()) {
        std::vector<std::string> library;
        for (const auto& entry : frame_.standardLibrary)
            if (entry->kind == "FUNCTION_BLOCK") library.push_back(entry->name);
        items = BuildProjectTree(frame_.project(), library);
    }
    // Online the window refreshes after every read: a tree that shows the same keeps its
    // rows, and with them its scroll position and an open context menu's row.
    if (items == items_ && Shows(items_)) return;
    building_ = true;
    const bool firstBuild = tree_->topLevelItemCount() == 0;
    QSet<QString> expanded;
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) CollectExpanded(tree_->topLevelItem(i), expanded);
    const QString current = tree_->currentItem() ? PathOf(tree_->currentItem()) : QString();
    tree_->clear();
    items_ = std::move(items);
    for (const TreeItem& item : items_) Add(nullptr, item);
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) Expand(tree_->topLevelItem(i), expanded, 0, firstBuild);
    if (!current.isEmpty())
        if (QTreeWidgetItem* row = Find(current.split('/'))) tree_->setCurrentItem(row);
    building_ = false;
}

bool ProjectTreeDock::Shows(const std::vector<TreeItem>& items) const {
    // Each row with its item's text (an in-place edit the core refused changed a text).
    const std::function<bool(QTreeWidgetItem*, const TreeItem&)> same = [&](QTreeWidgetItem* row, const TreeItem& item) {
        if (row->text(0) != ToQString(item.text) || row->childCount() != static_cast<int>(item.children.size()))
            return false;
        for (int i = 0; i < row->childCount(); ++i)
            if (!same(row->child(i), item.children[static_cast<size_t>(i)])) return false;
        return true;
    };
    if (tree_->topLevelItemCount() != static_cast<int>(items.size())) return false;
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        if (!same(tree_->topLevelItem(i), items[static_cast<size_t>(i)])) return false;
    return true;
}

void ProjectTreeDock::Add(QTreeWidgetItem* parent, const TreeItem& item) {
    auto* row = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    row->setText(0, ToQString(item.text));
    row->setData(0, kItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(&item)));
    if (item.picture == TreePicture::Ladder) row->setToolTip(0, "Ladder Diagram");
    if (item.picture == TreePicture::StructuredText) row->setToolTip(0, "Structured Text");
    row->setData(0, kFoldedRole, item.role == TreeRole::StandardFunctionBlocks || item.role == TreeRole::Predefined);
    if (CanRename(item.role)) row->setFlags(row->flags() | Qt::ItemIsEditable);
    for (const TreeItem& child : item.children) Add(row, child);
}

QTreeWidgetItem* ProjectTreeDock::Find(const QStringList& path) const {
    QTreeWidgetItem* found = nullptr;
    for (const QString& part : path) {
        QTreeWidgetItem* next = nullptr;
        const int count = found ? found->childCount() : tree_->topLevelItemCount();
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem* row = found ? found->child(i) : tree_->topLevelItem(i);
            if (row->text(0) == part) next = row;
        }
        if (!next) return nullptr;
        found = next;
    }
    return found;
}

const TreeItem* ProjectTreeDock::ItemOf(QTreeWidgetItem* row) const {
    if (!row) return nullptr;
    return reinterpret_cast<const TreeItem*>(row->data(0, kItemRole).value<quintptr>());
}

void ProjectTreeDock::OnDoubleClick(QTreeWidgetItem* row) {
    const TreeItem* item = ItemOf(row);
    if (!item) return;
    const TreeItem copy = *item;
    // The core asks the host to open the window (a queued rebuild cannot touch `copy`).
    if (!OpenItem(frame_, copy)) row->setExpanded(!row->isExpanded());
}

void ProjectTreeDock::OnEdited(QTreeWidgetItem* row) {
    if (building_) return;
    const TreeItem* item = ItemOf(row);
    if (!item) return;
    const TreeItem copy = *item;
    const std::optional<std::string> text = FromQString(row->text(0));
    if (!text) frame_.host().Message("The name holds a character that a project cannot hold.");
    else RenameItem(frame_, copy, *text);
    // The tree shows what the core kept: the new name, or the old one after a refusal.
    QTimer::singleShot(0, this, [this] {
        Rebuild();
        Q_EMIT projectChanged();
    });
}

std::vector<Command> ProjectTreeDock::MenuCommands(const TreeItem& item) const {
    (void)item;
    return {Command::AddComponent, Command::DeleteComponent, Command::Export, Command::Import};
}

void ProjectTreeDock::ShowMenu(const QPoint& at) {
    QTreeWidgetItem* row = tree_->itemAt(at);
    const TreeItem* item = ItemOf(row);
    if (!item) return;
    tree_->setCurrentItem(row);
    const TreeItem copy = *item;
    QMenu menu(this);
    CommandTarget target;
    target.treeItem = &copy;
    for (Command command : MenuCommands(copy)) {
        QAction* action = menu.addAction(ToQString(CommandInfoOf(command).text));
        action->setEnabled(CommandStateOf(frame_, command, target).enabled);
        connect(action, &QAction::triggered, this, [this, command, copy] { Q_EMIT commandRequested(command, copy); });
    }
    QAction* rename = menu.addAction("Rename");
    rename->setEnabled(CanRename(copy.role));
    // The row is found again: the tree may have been rebuilt while the menu was open.
    const QStringList path = PathOf(row).split('/');
    connect(rename, &QAction::triggered, this, [this, path] {
        if (QTreeWidgetItem* again = Find(path)) tree_->editItem(again, 0);
    });
    menu.exec(tree_->viewport()->mapToGlobal(at));
}

}  // namespace pontra::gui
