// SPDX-License-Identifier: GPL-3.0-or-later
// The completion popup of the Structured Text editor: the core's rows in the columns
// "Tag Name", "Data Type" and "Description". It never takes the keyboard: typing goes
// on in the editor, Up and Down move the core's selected row, Enter takes it. A click
// chooses a row and a double click also takes it.
#pragma once

#include <vector>

#include <QFrame>

#include "shell/StCompletion.h"

class QTreeWidget;

namespace pontra::gui {

class StCompletionPopup : public QFrame {
    Q_OBJECT
public:
    explicit StCompletionPopup(QWidget* owner);

    // Shows the rows with `selected` chosen, its top left corner at `globalPos`.
    void ShowRows(const std::vector<CompletionRow>& rows, int selected, QPoint globalPos);
    QTreeWidget* list() const { return list_; }

Q_SIGNALS:
    void rowChosen(int row);    // a click
    void rowAccepted(int row);  // a double click

private:
    QTreeWidget* list_;
    std::vector<CompletionRow> shown_;
};

}  // namespace pontra::gui
