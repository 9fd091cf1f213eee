// SPDX-License-Identifier: GPL-3.0-or-later
// "Project Bar": the core's project tree. Double-click opens the item's window, items
// the core lets rename are edited in place, and the context menu offers the core's
// component commands for the item under it.
#pragma once

#include <QDockWidget>
#include <vector>

#include "shell/CommandTable.h"
#include "shell/ProjectTree.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace pontra {
class CMainFrame;
}

namespace pontra::gui {

class ProjectTreeDock : public QDockWidget {
    Q_OBJECT
public:
    explicit ProjectTreeDock(CMainFrame& frame, QWidget* parent = nullptr);

    // Rebuilds the tree from the project, keeping which items are expanded.
    void Rebuild();
    QTreeWidget* tree() const { return tree_; }
    // The item with this text path ("Tasks/Function Blocks/Ramp"), or null.
    QTreeWidgetItem* Find(const QStringList& path) const;
    // The core's item behind a row (valid until the next rebuild).
    const TreeItem* ItemOf(QTreeWidgetItem* row) const;
    // The commands of the item's context menu, in order; "Rename" is the in-place edit.
    std::vector<Command> MenuCommands(const TreeItem& item) const;

Q_SIGNALS:
    // A context-menu command on an item (the item is a copy, safe across rebuilds).
    void commandRequested(pontra::Command command, const pontra::TreeItem& item);
    // An in-place rename went through the core (the project may have changed).
    void projectChanged();

private:
    void Add(QTreeWidgetItem* parent, const TreeItem& item);
    // Whether the rows show exactly these items.
    bool Shows(const std::vector<TreeItem>& items) const;
    void OnDoubleClick(QTreeWidgetItem* row);
    void OnEdited(QTreeWidgetItem* row);
    void ShowMenu(const QPoint& at);

    CMainFrame& frame_;
    QTreeWidget* tree_;
    std::vector<TreeItem> items_;
    bool building_ = false;
};

}  // namespace pontra::gui
