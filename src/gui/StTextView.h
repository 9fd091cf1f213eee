// SPDX-License-Identifier: GPL-3.0-or-later
// A Structured Text function block's text read-only, in a fixed-width font.
#pragma once

#include <QPlainTextEdit>

#include "gui/DocumentView.h"

namespace pontra::gui {

class StTextView : public QPlainTextEdit, public DocumentView {
    Q_OBJECT
public:
    StTextView(CMainFrame& frame, CUnit& unit, std::string key, QWidget* parent = nullptr);

    QWidget* widget() override { return this; }
    std::string key() const override { return key_; }
    void ModelChanged() override;
    bool ShowJump(const OutputJump& jump) override;
    // The selected line (1-based), for a jump's check.
    int CurrentLine() const;

private:
    CUnit& unit_;
    std::string key_;
};

}  // namespace pontra::gui
