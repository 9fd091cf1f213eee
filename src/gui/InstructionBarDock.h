// SPDX-License-Identifier: GPL-3.0-or-later
// "Ladder Instruction Bar": the core's tabs of instruction buttons for the project's
// controller type ("Module Specific" follows the type). A click asks the main window to
// insert at the active ladder view's selection.
#pragma once

#include <QDockWidget>
#include <string>

#include "model/InstructionBar.h"

class QTabWidget;
class QToolButton;

namespace pontra::gui {

class InstructionBarDock : public QDockWidget {
    Q_OBJECT
public:
    explicit InstructionBarDock(QWidget* parent = nullptr);

    // Rebuilds the tabs when the controller type changed.
    void ShowType(const std::string& controllerType);
    QTabWidget* tabs() const { return tabs_; }
    // The button of tab `tab` with `index` (the command number minus the first), or null.
    QToolButton* Button(int tab, int index) const;

Q_SIGNALS:
    void buttonPressed(const pontra::BarButton& button);

private:
    QTabWidget* tabs_;
    std::string type_;
    bool built_ = false;
};

}  // namespace pontra::gui
