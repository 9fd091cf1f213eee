// SPDX-License-Identifier: GPL-3.0-or-later
// "Output Bar": the output window's lines in one column "Errors", fixed-width, the last
// line kept in view. A double-click asks where the line leads.
#pragma once

#include <QDockWidget>

#include "shell/OutputWindow.h"

class QTreeWidget;

namespace pontra::gui {

class OutputDock : public QDockWidget {
    Q_OBJECT
public:
    explicit OutputDock(const OutputWindow& output, QWidget* parent = nullptr);

    // Shows the model's lines (after lines were added or the window was cleared).
    void Sync();
    QTreeWidget* list() const { return list_; }

Q_SIGNALS:
    void lineActivated(int index);

private:
    const OutputWindow& output_;
    QTreeWidget* list_;
};

}  // namespace pontra::gui
