// SPDX-License-Identifier: GPL-3.0-or-later
// The debug pane beside a Structured Text editor: one line per variable of the unit,
// "%s: %s, Value = %s" while debugging and "%s: %s, InitValue = %s" otherwise, as the
// core's DebugViewRows gives them; a structure's line folds its members under it. It
// is drawn in the editor's font and scrolls with the editor, so that its first line in
// view is the editor's.
#pragma once

#include <vector>

#include <QTreeWidget>

#include "online/DebugViewLines.h"

namespace pontra {
class CMainFrame;
class CUnit;
}  // namespace pontra

namespace pontra::gui {

class StDebugPane : public QTreeWidget {
    Q_OBJECT
public:
    StDebugPane(CMainFrame& frame, CUnit& unit, QWidget* parent = nullptr);

    // Reads the lines again: texts are replaced in place while the variables stay the
    // same, so what is unfolded stays unfolded.
    void Refresh();
    // Scrolls so that `line` (0-based) is the first line in view.
    void FollowEditor(int line);
    // The variable name of the selected line, for Toggle Bit and Write Value.
    std::string SelectedName() const;
    // Every line as shown, unfolded or not, in order (for tests and checks).
    std::vector<std::string> Lines() const;

private:
    CMainFrame& frame_;
    CUnit& unit_;
    std::vector<DebugViewRow> rows_;
    std::vector<QTreeWidgetItem*> items_;  // one per row
};

}  // namespace pontra::gui
