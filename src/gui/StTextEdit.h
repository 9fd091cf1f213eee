// SPDX-License-Identifier: GPL-3.0-or-later
// The text of the Structured Text editor window: a QPlainTextEdit that shows the core
// editor's text (pontra::StEditor) and hands it every key, character, click and
// clipboard action.
//
// One source of truth: the text, the selection's effect on edits, the undo groups, the
// upper-casing, completion, call parameters and colours all live in the core, which
// edits the unit's own lines. The Qt document is only a picture of them. This widget
// never lets QPlainTextEdit change its document by itself: keys that edit go to the
// core, and after each the changed lines are copied from the core into the document
// (ShowCore), so that both cannot drift apart and the core's rules are the ones the
// tests of the core check. Caret moves and mouse selection are left to QPlainTextEdit
// and passed to the core as a selection. A change that reaches the document any other
// way is undone by showing the core's text again.
#pragma once

#include <string>
#include <vector>

#include <QPlainTextEdit>

namespace pontra {
class CMainFrame;
class StEditor;
}  // namespace pontra

class QLabel;

namespace pontra::gui {

class StCompletionPopup;
class StHighlighter;
class StLineMargin;

class StTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr const char* kPasteRefused =
        "The clipboard holds characters that a Structured Text block cannot hold "
        "(Windows-1252); nothing was pasted.";

    StTextEdit(CMainFrame& frame, StEditor& core, QWidget* parent = nullptr);
    ~StTextEdit() override;

    StEditor& core() { return core_; }

    // Brings the document, the selection, the colours in view and the completion popup
    // to what the core holds. Cheap when little changed: only the changed lines are
    // replaced.
    void ShowCore();

    // Compiler errors: 1-based lines marked in the margin and underlined.
    void SetErrorLines(std::vector<int> lines);
    const std::vector<int>& ErrorLines() const { return errorLines_; }
    // Selects the 1-based line and brings it into view.
    void SelectLine(int line);

    // The edit commands, as the context menu and the keys run them.
    void UndoCommand();
    void CutCommand();
    void CopyCommand();
    void PasteCommand();

    // The first line in view (0-based), for the debug pane beside the text.
    int FirstVisibleLine() const;
    int LineHeight() const;

    StCompletionPopup& popup() { return *popup_; }
    QLabel& hoverTip() { return *tip_; }

    // The margin's drawing and width (StLineMargin calls these).
    int MarginWidth() const;
    void PaintMargin(QPaintEvent* event, QWidget* margin);

Q_SIGNALS:
    void findRequested();
    void findNextRequested();
    // The first visible line changed (scrolling, typing at the edge).
    void firstLineChanged(int line);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void ApplyText();
    void ApplySelection();
    void ShowPopup();
    void RefreshVisibleColours();
    void HideCompletion();
    void TypeText(const QString& text);
    void SelectionFromWidget();
    void UpdateHoverTip(QPoint pos);
    void UpdateErrorSelections();
    bool InView(int block) const;
    bool OverSelection(QPoint pos) const;

    CMainFrame& frame_;
    StEditor& core_;
    std::vector<std::string> shown_;  // the lines the document holds
    StHighlighter* highlighter_ = nullptr;
    StLineMargin* margin_ = nullptr;
    StCompletionPopup* popup_ = nullptr;
    QLabel* tip_ = nullptr;
    std::vector<int> errorLines_;
    bool applying_ = false;   // the document is being brought to the core's text
    bool resyncQueued_ = false;
    int lastFirstLine_ = -1;
};

}  // namespace pontra::gui
