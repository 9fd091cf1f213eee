// SPDX-License-Identifier: GPL-3.0-or-later
// The ladder editor of a unit (or of the main program): draws the rungs in view from the
// core's layout and edits them only through the core's ladder operations, so every rule
// holds the same with or without this window. Online it shows the live values and the
// energised paths.
#pragma once

#include <QAbstractScrollArea>
#include <QPointer>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "gui/DocumentView.h"
#include "gui/LadderRenderer.h"
#include "online/OperandLookup.h"
#include "shell/LadderLayout.h"
#include "shell/LadderPowerFlow.h"
#include "shell/LadderView.h"

class QMimeData;
class QPagedPaintDevice;

namespace pontra {
class CMainFrame;
class CUnit;
}  // namespace pontra

namespace pontra::gui {

class CommentEditor;
class OperandEditor;

class LadderEditor : public QAbstractScrollArea, public DocumentView {
    Q_OBJECT
public:
    LadderEditor(CMainFrame& frame, CUnit* unit /* null: the main program */, QWidget* parent = nullptr);
    ~LadderEditor() override;

    // DocumentView
    QWidget* widget() override { return this; }
    std::string key() const override;
    void FillCommandTarget(CommandTarget& target) override;
    void CommitPendingEdits() override;
    void ModelChanged() override;
    void DebugModeChanged() override;
    void LiveValuesChanged() override;
    bool ShowJump(const OutputJump& jump) override;
    bool Print(bool preview) override;

    LadderView& view() { return view_; }
    const LadderLayout& layout() const { return layout_; }
    CUnit* unit() const { return unit_; }
    double scale() const { return view_.zoom / 100.0; }

    // Where an element is drawn, in viewport pixels (empty when not laid out).
    QRect ElementRect(const CElement* element) const;
    // The middle of rung `index`'s number, in viewport pixels.
    QPoint RungNumberPoint(int index) const;
    // The viewport pixel of a point in view units.
    QPoint ToViewport(int x, int y) const;

    // Carries out a command of the table on this view (the main window routes its menus
    // here too); what the core leaves to the front end (Edit Element, Edit Rung Comment,
    // Add) opens here. Returns the core's outcome.
    CommandOutcome Invoke(Command command);
    // Opens the in-place editor over operand `operand` of `element`.
    bool EditOperandInPlace(CElement* element, int operand);
    // Opens the in-place editor over the current rung's comment.
    bool EditCommentInPlace();
    // Opens the instruction entry: a mnemonic typed at the insertion point.
    void BeginInstructionEntry(const QString& typed = {});
    OperandEditor* inPlaceEditor() const;
    CommentEditor* commentEditor() const;

    // "Find Next" with the view's find options: selects, highlights and scrolls to the match.
    CElement* FindNextMatch();

    // Zoom in percent (clamped to the view's steps).
    void SetZoom(int percent);
    // Scrolls so that the element is in sight, vertically centred when it was not.
    void ShowElement(const CElement* element);

    // Prints every rung of the unit on the device's pages; false with a reason.
    bool PrintTo(QPagedPaintDevice& device, QString* error = nullptr);
    // "Export as PDF".
    bool ExportPdf(const QString& path, QString* error = nullptr);

    // The trend's name of the operand under a viewport point (see TrendName), if any.
    std::optional<std::string> TrendOperandAt(const QPoint& viewportPos) const;
    // What dragging that operand carries: its name as text (null when none).
    QMimeData* TrendDragData(const QPoint& viewportPos) const;

    // Rungs whose picture changed with the last read of live values (for tests and
    // benchmarks: only these were repainted).
    int LastLiveRepaints() const { return lastLiveRepaints_; }

Q_SIGNALS:
    // The rungs changed through this view (the main window refreshes titles and commands).
    void edited();
    void selectionChanged();
    // "Add to Trend" of an operand's context menu.
    void addToTrendRequested(const QString& tag);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    enum class EditorKind { Operand, Comment, Instruction };

    void Relayout();
    void UpdateScrollBars();
    void AfterEdit(bool changed);
    QPointF ToView(const QPoint& viewport) const;
    void CloseEditor();
    void CommitEditor(bool next);
    void OpenEditor(EditorKind kind, const QRect& where, const QString& text, const QStringList& names);
    int OperandAt(const CElement* element, const QPointF& viewPoint) const;
    void RefreshErrors();
    void ComputeLive(bool repaintChanged);
    void ShowMenu(uint32_t place, const QPoint& globalPos, const std::optional<std::string>& trendName = {});
    bool InvokeAccelerator(const QKeyEvent& event);
    int DropIndex(const QPoint& viewportPos) const;

    CMainFrame& frame_;
    CUnit* unit_;
    LadderView view_;
    LadderLayout layout_;
    OperandLookup lookup_;
    LadderRenderer renderer_;
    std::unordered_set<uint64_t> errors_;
    size_t errorLines_ = SIZE_MAX;
    const CElement* found_ = nullptr;

    // Online: per rung its power and a fingerprint of what it shows.
    std::unordered_map<const CRung*, RungPower> power_;
    std::unordered_map<const CRung*, uint64_t> fingerprints_;
    int lastLiveRepaints_ = 0;

    QPointer<OperandEditor> editor_;
    QPointer<CommentEditor> commentEditor_;
    EditorKind editorKind_ = EditorKind::Operand;
    CElement* editorElement_ = nullptr;
    int editorOperand_ = 0;

    int dragRung_ = -1;
    QPoint dragStart_;
    bool dragging_ = false;
    int dropBefore_ = -1;
    // A press on an operand the trend can take: a drag from it carries its name.
    QPoint operandPress_;
    bool operandPressed_ = false;
};

}  // namespace pontra::gui
