// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor window of one function block: a bar with the statement
// template buttons (and, online, the instance whose values are shown), the text with
// its line numbers and error marks, the find bar, and the debug pane beside the text.
//
// Named StEditorWindow, its text StTextEdit: the core's editor without a window is
// pontra::StEditor, and a pontra::gui::StEditor would hide it inside this namespace,
// where both are used side by side.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "gui/DocumentView.h"
#include "shell/StHoverTip.h"

class QComboBox;
class QLabel;
class QSplitter;
class QToolButton;

namespace pontra {
class CMainFrame;
class CUnit;
class StEditor;
}  // namespace pontra

namespace pontra::gui {

class StDebugPane;
class StFindBar;
class StTextEdit;

class StEditorWindow : public QWidget, public DocumentView {
    Q_OBJECT
public:
    StEditorWindow(CMainFrame& frame, CUnit& unit, QWidget* parent = nullptr);
    ~StEditorWindow() override;

    // DocumentView
    QWidget* widget() override { return this; }
    std::string key() const override;
    void FillCommandTarget(CommandTarget& target) override;
    void ModelChanged() override;
    void DebugModeChanged() override;
    void LiveValuesChanged() override;
    bool ShowJump(const OutputJump& jump) override;

    // "&Find..." while this window is active, and Find Next.
    void ShowFind();
    void FindNext();

    CUnit& unit() { return unit_; }
    StEditor& core() { return *core_; }
    StTextEdit& text() { return *text_; }
    StDebugPane& debugPane() { return *pane_; }
    StFindBar& findBar() { return *find_; }
    QToolButton* templateButton(int kind) const { return templateButtons_[static_cast<size_t>(kind)]; }
    QComboBox* instanceList() const { return instances_; }

    // The debug pane's commands on its selected line, as its context menu, its keys and a
    // double-click run them: Toggle Bit, and Write Value through the Write Tag dialog.
    CommandOutcome InvokeDebugCommand(Command command);
    // The Write Tag dialog for the selected line's variable; false when it names none or
    // no instance is chosen.
    bool WriteSelectedValue();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class SessionValues : public LiveValueSource {
    public:
        explicit SessionValues(CMainFrame& frame) : frame_(frame) {}
        std::optional<std::string> LiveValueText(const CTag& variable, int instanceBase) const override;

    private:
        CMainFrame& frame_;
    };

    // The lines of this unit that the compiler's output names (after a verify).
    std::vector<int> ErrorLines() const;
    void FillInstances();
    void ChooseInstance(int index);
    void ShowDebugMenu(const QPoint& at);

    CMainFrame& frame_;
    CUnit& unit_;
    SessionValues values_;
    std::unique_ptr<StEditor> core_;
    StTextEdit* text_ = nullptr;
    StDebugPane* pane_ = nullptr;
    StFindBar* find_ = nullptr;
    QSplitter* splitter_ = nullptr;
    std::vector<QToolButton*> templateButtons_;
    QLabel* instanceLabel_ = nullptr;
    QComboBox* instances_ = nullptr;
    std::vector<int> instanceAddresses_;
};

}  // namespace pontra::gui
