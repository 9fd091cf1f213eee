// SPDX-License-Identifier: GPL-3.0-or-later
// The cross reference dock: the uses of one tag (and its members) with where each is,
// the reference as written and whether it is read or written; references written in
// more than one place are marked "multiple writers". A double-click asks the main
// window to show the place.
#pragma once

#include <QDockWidget>
#include <cstdint>
#include <vector>

#include "shell/CrossReference.h"
#include "shell/OutputWindow.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace pontra {
class CMainFrame;
}

namespace pontra::gui {

class CrossReferenceDock : public QDockWidget {
    Q_OBJECT
public:
    explicit CrossReferenceDock(CMainFrame& frame, QWidget* parent = nullptr);

    // Lists the uses of `tag` seen from `unit` (null: the main program).
    void ShowUses(CUnit* unit, const QString& tag);
    // The project changed: the list would point at rungs that may be gone.
    void Clear();

    QTreeWidget* list() const { return list_; }
    QLabel* heading() const { return heading_; }
    const std::vector<TagUse>& uses() const { return uses_; }
    // The jump for row `row`, as the double-click emits it (kind None when the element
    // is gone).
    OutputJump JumpOf(int row) const;

Q_SIGNALS:
    // A use was double-clicked: a ladder element (unit, rung, element) or a line of a
    // Structured Text unit, in the form of the output window's jumps.
    void useActivated(const pontra::OutputJump& jump);

private:
    void OnActivated(QTreeWidgetItem* item);

    CMainFrame& frame_;
    QLabel* heading_ = nullptr;
    QTreeWidget* list_ = nullptr;
    std::vector<TagUse> uses_;
    std::vector<uint64_t> elementIds_;  // per row; 0 for text lines
};

}  // namespace pontra::gui
