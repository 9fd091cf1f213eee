// SPDX-License-Identifier: GPL-3.0-or-later
// A ladder unit (the main program or a ladder function block) read-only: one row per
// rung with its number, comment and instructions in the rung text form. The commands
// act on its core ladder view state (selection, find, zoom, undo, the instruction bar).
#pragma once

#include <QTreeWidget>

#include "gui/DocumentView.h"
#include "shell/LadderView.h"

namespace pontra::gui {

class RungListView : public QTreeWidget, public DocumentView {
    Q_OBJECT
public:
    // `unit` null: the main program.
    RungListView(CMainFrame& frame, CUnit* unit, std::string key, QWidget* parent = nullptr);

    QWidget* widget() override { return this; }
    std::string key() const override { return key_; }
    void FillCommandTarget(CommandTarget& target) override;
    void ModelChanged() override;
    bool ShowJump(const OutputJump& jump) override;

    LadderView& ladder() { return ladder_; }
    // The text of a rung's row: its instructions without the rung and end marks.
    static QString InstructionsText(const CRung& rung);

private:
    void OnRowChanged();
    void ShowSelection();

    LadderView ladder_;
    std::string key_;
    bool filling_ = false;
};

}  // namespace pontra::gui
