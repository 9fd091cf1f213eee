// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/LadderEditor.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMimeData>
#include <QDate>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cctype>
#include <functional>

#include "gui/CommandKeys.h"
#include "gui/CommentEditor.h"
#include "gui/OperandEditor.h"
#include "gui/QtText.h"
#include "model/Catalogue.h"
#include "model/ElementPlace.h"
#include "model/Unit.h"
#include "online/TrendBuffer.h"
#include "shell/CommandSet.h"
#include "shell/CommandTable.h"
#include "shell/LadderEditing.h"
#include "shell/LadderPagination.h"
#include "shell/MainFrame.h"
#include "shell/OperandCompletion.h"

namespace pontra::gui {

namespace {

using M = LadderMetrics;

void Mix(uint64_t& h, uint64_t v) { h = (h ^ v) * 0x100000001b3ULL; }

bool IsEditKey(const QKeyEvent& e) {
    const auto mods = e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    const bool ctrl = mods & Qt::ControlModifier;
    switch (e.key()) {
        case Qt::Key_C:
        case Qt::Key_X:
        case Qt::Key_V:
        case Qt::Key_Z:
        case Qt::Key_R:
        case Qt::Key_B:
        case Qt::Key_Plus:
        case Qt::Key_Equal:
        case Qt::Key_Minus:
        case Qt::Key_0: return ctrl;
        case Qt::Key_Delete:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F2:
        case Qt::Key_F3:
        case Qt::Key_Insert:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End: return !ctrl;
        default: return false;
    }
}

}  // namespace

LadderEditor::LadderEditor(CMainFrame& frame, CUnit* unit, QWidget* parent)
    : QAbstractScrollArea(parent),
      frame_(frame),
      unit_(unit),
      view_(frame, unit),
      lookup_(frame, unit),
      renderer_(layout_, lookup_) {
    view_.layout = &layout_;
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, renderer_.Style().background);
    viewport()->setPalette(palette);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setSingleStep(24);
    horizontalScrollBar()->setSingleStep(24);
    NormalizeSelection(view_);
    Relayout();
    ComputeLive(false);
}

LadderEditor::~LadderEditor() { view_.layout = nullptr; }

OperandEditor* LadderEditor::inPlaceEditor() const { return editor_; }

CommentEditor* LadderEditor::commentEditor() const { return commentEditor_; }

std::string LadderEditor::key() const { return unit_ ? "fb:" + unit_->name + ":routine" : "main"; }

void LadderEditor::FillCommandTarget(CommandTarget& target) {
    target.ladder = &view_;
    target.focusInView = !(editor_ && editor_->hasFocus()) && !(commentEditor_ && commentEditor_->hasFocus());
}

// --- model and layout --------------------------------------------------------------------

void LadderEditor::Relayout() {
    layout_.Sync(view_.Rungs());
    layout_.StoreRects();
    renderer_.SetScale(scale());
    UpdateScrollBars();
}

void LadderEditor::UpdateScrollBars() {
    const double s = scale();
    const QSize area = viewport()->size();
    const int width = static_cast<int>(layout_.TotalWidth() * s), height = static_cast<int>(layout_.TotalHeight() * s) + 40;
    horizontalScrollBar()->setRange(0, std::max(0, width - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setRange(0, std::max(0, height - area.height()));
    verticalScrollBar()->setPageStep(area.height());
}

void LadderEditor::AfterEdit(bool changed) {
    if (view_.selected && !PlaceOf(view_.Rungs(), view_.selected).Valid()) NormalizeSelection(view_);
    Relayout();
    if (changed) {
        found_ = nullptr;
        fingerprints_.clear();
        power_.clear();
    }
    ComputeLive(false);
    if (view_.selected) ShowElement(view_.selected);
    viewport()->update();
    if (changed) Q_EMIT edited();
    Q_EMIT selectionChanged();
}

void LadderEditor::ModelChanged() {
    CloseEditor();
    lookup_.Clear();
    NormalizeSelection(view_);
    AfterEdit(false);
}

void LadderEditor::CommitPendingEdits() {
    if (editor_ || commentEditor_) CommitEditor(false);
    // Whatever was refused stays as it was in the model; the editor closes.
    CloseEditor();
}

void LadderEditor::DebugModeChanged() {
    CloseEditor();
    lookup_.Clear();
    power_.clear();
    fingerprints_.clear();
    ComputeLive(false);
    viewport()->update();
}

bool LadderEditor::ShowJump(const OutputJump& jump) {
    if (jump.kind != OutputJump::Kind::LadderElement || jump.unit != unit_ || !jump.element) return false;
    if (!SelectElement(view_, jump.element)) return false;
    const LayoutBox box = layout_.BoxOf(jump.element);
    const double s = scale();
    verticalScrollBar()->setValue(static_cast<int>((box.y + box.h / 2.0) * s - viewport()->height() / 2.0));
    ShowElement(jump.element);
    viewport()->update();
    Q_EMIT selectionChanged();
    return true;
}

// --- geometry ----------------------------------------------------------------------------

QPointF LadderEditor::ToView(const QPoint& p) const {
    const double s = scale();
    return {(p.x() + horizontalScrollBar()->value()) / s, (p.y() + verticalScrollBar()->value()) / s};
}

QPoint LadderEditor::ToViewport(int x, int y) const {
    const double s = scale();
    return {static_cast<int>(x * s) - horizontalScrollBar()->value(), static_cast<int>(y * s) - verticalScrollBar()->value()};
}

QRect LadderEditor::ElementRect(const CElement* element) const {
    const LayoutBox b = layout_.BoxOf(element);
    if (b.w == 0 && b.h == 0) return {};
    const QPoint tl = ToViewport(b.x, b.y);
    const double s = scale();
    return {tl, QSize(std::max(1, static_cast<int>(b.w * s)), std::max(1, static_cast<int>(b.h * s)))};
}

QPoint LadderEditor::RungNumberPoint(int index) const {
    if (index < 0 || index >= layout_.RungCount()) return {};
    return ToViewport(M::kGutter / 2, layout_.RowsTop(index) + M::kWireY);
}

void LadderEditor::SetZoom(int percent) {
    percent = std::clamp(percent / LadderView::kZoomStep * LadderView::kZoomStep, LadderView::kZoomStep, LadderView::kMaxZoom);
    if (percent == view_.zoom) return;
    // Keep the middle of the view where it is.
    const QPointF middle = ToView(viewport()->rect().center());
    view_.zoom = percent;
    CloseEditor();
    Relayout();
    const double s = scale();
    horizontalScrollBar()->setValue(static_cast<int>(middle.x() * s - viewport()->width() / 2.0));
    verticalScrollBar()->setValue(static_cast<int>(middle.y() * s - viewport()->height() / 2.0));
    viewport()->update();
}

void LadderEditor::ShowElement(const CElement* element) {
    const LayoutBox b = layout_.BoxOf(element);
    if (b.w == 0 && b.h == 0) return;
    const double s = scale();
    const int top = static_cast<int>(b.y * s), bottom = static_cast<int>(b.Bottom() * s);
    QScrollBar* v = verticalScrollBar();
    // Centred when it fits; its top in sight when it does not (a tall rung, or a view
    // not laid out yet).
    if (top < v->value() || bottom > v->value() + viewport()->height())
        v->setValue(bottom - top >= viewport()->height()
                        ? top
                        : static_cast<int>((b.y + b.h / 2.0) * s - viewport()->height() / 2.0));
    QScrollBar* h = horizontalScrollBar();
    const int left = static_cast<int>(b.x * s), right = static_cast<int>(b.Right() * s);
    if (element->kind == kKindRung) h->setValue(0);
    else if (left < h->value() || right > h->value() + viewport()->width()) h->setValue(left - static_cast<int>(60 * s));
}

void LadderEditor::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void LadderEditor::scrollContentsBy(int, int) {
    CloseEditor();
    ComputeLive(false);
    viewport()->update();
}

// --- painting ----------------------------------------------------------------------------

void LadderEditor::RefreshErrors() {
    const auto& lines = frame_.output.Lines();
    errors_.clear();
    for (const OutputLine& line : lines)
        if (line.element) errors_.insert(line.element);
    errorLines_ = lines.size();
}

void LadderEditor::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    const double s = scale();
    renderer_.SetScale(s);
    RefreshErrors();
    const int hx = horizontalScrollBar()->value(), vy = verticalScrollBar()->value();
    // The rung number gutter.
    painter.fillRect(QRectF(-hx, area.top(), (M::kGutter - 6) * s, area.height()), renderer_.Style().gutter);
    const auto [first, last] =
        layout_.VisibleRungs(static_cast<int>((area.top() + vy) / s), static_cast<int>((area.bottom() + vy) / s) + 1);
    if (frame_.debugMode)
        for (int i = first; i < last; ++i) {
            const CRung* rung = view_.Rungs()[static_cast<size_t>(i)].get();
            if (!power_.count(rung))
                power_[rung] = ComputeRungPower(*rung, [this](std::string_view t) { return lookup_.LiveValue(t); });
        }
    if (first < last) {
        const double bottom = std::min<double>(area.bottom() + 1, layout_.TotalHeight() * s - vy);
        renderer_.PaintRails(painter, -hx, std::max<double>(area.top(), layout_.RungTop(first) * s - vy), bottom);
    }
    RenderMarks marks;
    marks.selected = view_.selected;
    marks.found = found_;
    marks.errors = &errors_;
    marks.showSelection = true;
    for (int i = first; i < last; ++i) renderer_.PaintRung(painter, i, QPointF(-hx, layout_.RungTop(i) * s - vy), marks);
    if (dragging_ && dropBefore_ >= 0) {
        const int y = dropBefore_ < layout_.RungCount() ? layout_.RungTop(dropBefore_) : layout_.TotalHeight();
        const double py = y * s - vy;
        painter.fillRect(QRectF(0, py - 1.5, viewport()->width(), 3), renderer_.Style().dropMarker);
    }
}

// --- live values -------------------------------------------------------------------------

void LadderEditor::LiveValuesChanged() { ComputeLive(true); }

void LadderEditor::ComputeLive(bool repaintChanged) {
    lastLiveRepaints_ = 0;
    if (!frame_.debugMode) {
        renderer_.SetPower(nullptr);
        renderer_.SetLive(false);
        power_.clear();
        fingerprints_.clear();
        return;
    }
    renderer_.SetPower(&power_);
    renderer_.SetLive(true);
    const double s = scale();
    const int vy = verticalScrollBar()->value();
    const auto [first, last] = layout_.VisibleRungs(static_cast<int>(vy / s), static_cast<int>((vy + viewport()->height()) / s) + 1);
    const auto value = [this](std::string_view t) { return lookup_.LiveValue(t); };
    const RungList& rungs = view_.Rungs();
    // Only the rungs in view are kept: one scrolled into view later is computed afresh
    // when it is painted, never drawn from an old read.
    std::unordered_map<const CRung*, RungPower> power;
    std::unordered_map<const CRung*, uint64_t> fingerprints;
    for (int i = first; i < last; ++i) {
        const CRung* rung = rungs[static_cast<size_t>(i)].get();
        RungPower rungPower = ComputeRungPower(*rung, value);
        uint64_t h = 0xcbf29ce484222325ULL;
        const RungLayout& laid = layout_.Rung(i);
        for (const ElementCell& cell : laid.cells) {
            const ElementPower p = rungPower.Of(cell.element);
            Mix(h, static_cast<uint64_t>(p.in) << 1 | static_cast<uint64_t>(p.out));
            const CElement& e = *cell.element;
            if (ShapeOf(e) != ElementShape::Box) continue;
            for (int o = 0; o < e.operandCount && o < kMaxOperands; ++o)
                if (e.valueRow[static_cast<size_t>(o)] == kValueRowValue)
                    Mix(h, std::hash<std::string>{}(lookup_.LiveText(e.operands[static_cast<size_t>(o)])));
            if (e.operandCount == 1 && BoxLines(e) == 3) {
                Mix(h, std::hash<std::string>{}(lookup_.LiveText(e.operands[0] + ".PRE")));
                Mix(h, std::hash<std::string>{}(lookup_.LiveText(e.operands[0] + ".ACC")));
            }
        }
        for (const ListCell& l : laid.lists) Mix(h, rungPower.End(l.list));
        power[rung] = std::move(rungPower);
        fingerprints[rung] = h;
        const auto old = fingerprints_.find(rung);
        if (old == fingerprints_.end() || old->second != h) {
            ++lastLiveRepaints_;
            if (repaintChanged)
                viewport()->update(QRect(0, static_cast<int>(layout_.RungTop(i) * s) - vy, viewport()->width(),
                                         static_cast<int>(laid.height * s) + 1));
        }
    }
    power_ = std::move(power);
    fingerprints_ = std::move(fingerprints);
}

// --- commands and editing ----------------------------------------------------------------

CommandOutcome LadderEditor::Invoke(Command command) {
    if (editor_ || commentEditor_) CommitEditor(false);
    CommandTarget target;
    FillCommandTarget(target);
    const CommandOutcome outcome = InvokeCommand(frame_, command, target);
    if (outcome == CommandOutcome::FrontEnd) {
        switch (command) {
            case Command::EditElement:
                if (view_.selected && view_.selected->kind == kKindRung) EditCommentInPlace();
                else if (view_.selected && view_.selected->operandCount > 0) EditOperandInPlace(view_.selected, 0);
                return outcome;
            case Command::EditRungComment: EditCommentInPlace(); return outcome;
            case Command::AddRung: AfterEdit(InsertRung(view_)); return outcome;
            default: break;
        }
    }
    AfterEdit(outcome == CommandOutcome::Done && command != Command::Copy && command != Command::ZoomIn &&
              command != Command::ZoomOut);
    return outcome;
}

void LadderEditor::OpenEditor(EditorKind kind, const QRect& where, const QString& text, const QStringList& names) {
    CloseEditor();
    editorKind_ = kind;
    if (kind == EditorKind::Comment) {
        auto* editor = new CommentEditor(text, viewport());
        commentEditor_ = editor;
        connect(editor, &CommentEditor::commitRequested, this, [this] { CommitEditor(false); });
        connect(editor, &CommentEditor::cancelled, this, [this] { CloseEditor(); });
        editor->setGeometry(where);
        editor->show();
        editor->setFocus();
        return;
    }
    auto* editor = new OperandEditor(text, names, viewport());
    editor_ = editor;
    connect(editor, &OperandEditor::commitRequested, this, [this](bool next) { CommitEditor(next); });
    connect(editor, &OperandEditor::cancelled, this, [this] { CloseEditor(); });
    editor->setGeometry(where);
    editor->show();
    editor->setFocus();
}

void LadderEditor::CloseEditor() {
    const bool had = editor_ || commentEditor_;
    if (editor_) editor_->deleteLater();
    if (commentEditor_) commentEditor_->deleteLater();
    if (editor_) editor_->hide();
    if (commentEditor_) commentEditor_->hide();
    editor_ = nullptr;
    commentEditor_ = nullptr;
    editorElement_ = nullptr;
    if (had) setFocus();
}

bool LadderEditor::EditOperandInPlace(CElement* element, int operand) {
    if (!element || operand < 0 || operand >= element->operandCount || operand >= kMaxOperands) return false;
    if (!SelectElement(view_, element)) return false;
    if (!EditGuardsPass(frame_)) return false;
    ShowElement(element);
    const LayoutBox b = layout_.BoxOf(element);
    const double s = scale();
    int y = b.y + 1, x = b.x, w = b.w;
    if (ShapeOf(*element) == ElementShape::Box) {
        y = b.y + 6 + M::kBoxHeader + 2 + operand * M::kBoxLine - 2;
        x = b.x + 10;
        w = b.w - 20;
    }
    const QPoint tl = ToViewport(x, y);
    const int height = std::max(22, static_cast<int>(18 * s));
    const QRect where(tl.x(), tl.y(), std::max(160, static_cast<int>(w * s)), height);
    QStringList names;
    for (const OperandCandidate& c : OperandCandidates(frame_, unit_, *element, operand)) names << ToQString(c.name);
    names.sort(Qt::CaseInsensitive);
    const std::string& current = element->operands[static_cast<size_t>(operand)];
    OpenEditor(EditorKind::Operand, where, current == "?" ? QString() : ToQString(current), names);
    editorElement_ = element;
    editorOperand_ = operand;
    viewport()->update();
    return true;
}

bool LadderEditor::EditCommentInPlace() {
    RungList& rungs = view_.Rungs();
    if (rungs.empty() || view_.currentRung < 0 || view_.currentRung >= static_cast<int>(rungs.size())) return false;
    if (!EditGuardsPass(frame_)) return false;
    const int r = view_.currentRung;
    const double s = scale();
    const QPoint tl = ToViewport(M::kGutter, layout_.RungTop(r));
    const int lines = std::max(2, 1 + static_cast<int>(std::count(rungs[static_cast<size_t>(r)]->comment.begin(),
                                                                   rungs[static_cast<size_t>(r)]->comment.end(), '\n')));
    const QRect where(tl.x(), tl.y(), static_cast<int>(std::min(layout_.Rail(), 700) * s), lines * 20 + 8);
    OpenEditor(EditorKind::Comment, where, ToQString(rungs[static_cast<size_t>(r)]->comment), {});
    return true;
}

void LadderEditor::BeginInstructionEntry(const QString& typed) {
    if (!view_.selected || !EditGuardsPass(frame_)) return;
    QStringList names;
    for (const MnemonicKind& m : MnemonicTable()) names << QString::fromLatin1(m.mnemonic);
    names.sort(Qt::CaseInsensitive);
    const QRect cell = ElementRect(view_.selected);
    const QRect where(cell.right() - 4, cell.top() + 4, 140, std::max(22, static_cast<int>(18 * scale())));
    OpenEditor(EditorKind::Instruction, where, typed, names);
    if (editor_) editor_->deselect();
    editor_->setPlaceholderText(QStringLiteral("Instruction"));
}

void LadderEditor::CommitEditor(bool next) {
    if (commentEditor_) {
        const std::optional<std::string> text = FromQString(commentEditor_->toPlainText());
        if (!text) {
            frame_.host().Message("The comment holds a character that cannot be saved.");
            return;
        }
        const std::string before = view_.Rungs()[static_cast<size_t>(view_.currentRung)]->comment;
        const bool changed = EditRungComment(view_, *text);
        if (!changed && before != *text) return;  // refused: the editor stays open with the core's message
        CloseEditor();
        AfterEdit(changed);
        return;
    }
    if (!editor_) return;
    const std::optional<std::string> text = FromQString(editor_->text());
    if (!text) {
        editor_->ShowRefusal(QStringLiteral("The text holds a character that cannot be saved."));
        return;
    }
    if (editorKind_ == EditorKind::Instruction) {
        std::string mnemonic = *text;
        std::transform(mnemonic.begin(), mnemonic.end(), mnemonic.begin(), [](unsigned char c) { return std::toupper(c); });
        while (!mnemonic.empty() && mnemonic.back() == ' ') mnemonic.pop_back();
        const int kind = MnemonicToKind(mnemonic);
        if (kind < 0) {
            editor_->ShowRefusal(QStringLiteral("No instruction is called \"%1\".").arg(ToQString(mnemonic)));
            return;
        }
        if (!InsertInstruction(view_, kind)) {
            editor_->ShowRefusal(QStringLiteral("%1 cannot be inserted here.").arg(ToQString(mnemonic)));
            return;
        }
        CloseEditor();
        AfterEdit(true);
        if (view_.selected && view_.selected->operandCount > 0) EditOperandInPlace(view_.selected, 0);
        return;
    }
    CElement* element = editorElement_;
    const int operand = editorOperand_;
    if (!element || !PlaceOf(view_.Rungs(), element).Valid()) {
        CloseEditor();
        return;
    }
    const bool changed = EditOperand(view_, *element, operand, *text);
    std::string expected = *text;
    const size_t b = expected.find_first_not_of(" \t"), e = expected.find_last_not_of(" \t");
    expected = b == std::string::npos ? "?" : expected.substr(b, e - b + 1);
    if (!changed && element->operands[static_cast<size_t>(operand)] != expected) {
        editor_->ShowRefusal(QString::fromLatin1(kOperandRefusal));
        return;
    }
    CloseEditor();
    AfterEdit(changed);
    if (next && operand + 1 < element->operandCount) EditOperandInPlace(element, operand + 1);
}

int LadderEditor::OperandAt(const CElement* element, const QPointF& viewPoint) const {
    if (!element || ShapeOf(*element) != ElementShape::Box || element->operandCount <= 1) return 0;
    const LayoutBox b = layout_.BoxOf(element);
    const int line = static_cast<int>((viewPoint.y() - (b.y + 6 + M::kBoxHeader + 2)) / M::kBoxLine);
    return std::clamp(line, 0, element->operandCount - 1);
}

CElement* LadderEditor::FindNextMatch() {
    CElement* match = FindNext(view_, view_.findOptions);
    if (match) {
        found_ = match;
        Relayout();
        const LayoutBox box = layout_.BoxOf(match);
        const double s = scale();
        const int top = static_cast<int>(box.y * s), bottom = static_cast<int>(box.Bottom() * s);
        if (top < verticalScrollBar()->value() || bottom > verticalScrollBar()->value() + viewport()->height())
            verticalScrollBar()->setValue(static_cast<int>((box.y + box.h / 2.0) * s - viewport()->height() / 2.0));
        ShowElement(match);
        Q_EMIT selectionChanged();
    }
    viewport()->update();
    return match;
}

// --- keyboard ----------------------------------------------------------------------------

bool LadderEditor::event(QEvent* event) {
    // The editing keys belong to the view while it has the focus, before any menu shortcut.
    if (event->type() == QEvent::ShortcutOverride && IsEditKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void LadderEditor::keyPressEvent(QKeyEvent* event) {
    const auto mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier, shift = mods & Qt::ShiftModifier, alt = mods & Qt::AltModifier;
    auto move = [&](MoveKey key) {
        if (MoveSelection(view_, key)) {
            ShowElement(view_.selected);
            viewport()->update();
            Q_EMIT selectionChanged();
        }
    };
    if (ctrl) {
        switch (event->key()) {
            case Qt::Key_C: Invoke(Command::Copy); return;
            case Qt::Key_X: Invoke(Command::Cut); return;
            case Qt::Key_V: Invoke(Command::Paste); return;
            case Qt::Key_Z: Invoke(Command::Undo); return;
            case Qt::Key_R: AfterEdit(InsertRung(view_)); return;
            case Qt::Key_B: AfterEdit(shift ? AddBranchLeg(view_) : InsertBranch(view_)); return;
            case Qt::Key_Plus:
            case Qt::Key_Equal: SetZoom(view_.zoom + LadderView::kZoomStep); return;
            case Qt::Key_Minus: SetZoom(view_.zoom - LadderView::kZoomStep); return;
            case Qt::Key_0: SetZoom(100); return;
            default: break;
        }
        if (InvokeAccelerator(*event)) return;
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Left: move(MoveKey::Left); return;
        case Qt::Key_Right: move(MoveKey::Right); return;
        case Qt::Key_Up: move(MoveKey::Up); return;
        case Qt::Key_Down: move(MoveKey::Down); return;
        case Qt::Key_Home: move(MoveKey::Home); return;
        case Qt::Key_End: move(MoveKey::End); return;
        case Qt::Key_PageUp: verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub); return;
        case Qt::Key_PageDown: verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd); return;
        case Qt::Key_Delete: Invoke(Command::Delete); return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F2:
            if (view_.selected && view_.selected->kind == kKindRung) EditCommentInPlace();
            else if (view_.selected && view_.selected->operandCount > 0) EditOperandInPlace(view_.selected, 0);
            return;
        case Qt::Key_F3: FindNextMatch(); return;
        case Qt::Key_Insert: BeginInstructionEntry(); return;
        default: break;
    }
    const QString text = event->text();
    if (!alt && text.size() == 1 && text[0].isLetter()) {
        BeginInstructionEntry(text.toUpper());
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool LadderEditor::InvokeAccelerator(const QKeyEvent& event) {
    // The keys the table gives the commands of the ladder's context menus (Toggle Bit).
    const std::optional<Command> command = CommandOfKey(event, kElementMenu | kRungMenu | kBranchMenu);
    if (command) Invoke(*command);
    return command.has_value();
}

void LadderEditor::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0) SetZoom(view_.zoom + steps * LadderView::kZoomStep);
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

// --- mouse -------------------------------------------------------------------------------

void LadderEditor::mousePressEvent(QMouseEvent* event) {
    setFocus();
    if (editor_ || commentEditor_) {
        CommitEditor(false);
        if (editor_ || commentEditor_) return;  // refused: the editor stays
    }
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    const QPointF p = ToView(event->pos());
    const LadderHit hit = layout_.HitTest(static_cast<int>(p.x()), static_cast<int>(p.y()));
    if (hit.element && SelectElement(view_, hit.element)) {
        viewport()->update();
        Q_EMIT selectionChanged();
    }
    if (event->button() == Qt::LeftButton && hit.area == LadderHit::Area::RungNumber) {
        dragRung_ = hit.rung;
        dragStart_ = event->pos();
    }
    operandPressed_ = event->button() == Qt::LeftButton && hit.area == LadderHit::Area::Element &&
                      TrendOperandAt(event->pos()).has_value();
    operandPress_ = event->pos();
}

std::optional<std::string> LadderEditor::TrendOperandAt(const QPoint& viewportPos) const {
    const QPointF p = ToView(viewportPos);
    const LadderHit hit = layout_.HitTest(static_cast<int>(p.x()), static_cast<int>(p.y()));
    if (!hit.element || hit.area != LadderHit::Area::Element || hit.element->operandCount <= 0) return std::nullopt;
    const int operand = OperandAt(hit.element, p);
    return TrendName(frame_.project(), unit_, hit.element->operands[static_cast<size_t>(operand)]);
}

QMimeData* LadderEditor::TrendDragData(const QPoint& viewportPos) const {
    const std::optional<std::string> name = TrendOperandAt(viewportPos);
    if (!name) return nullptr;
    auto* data = new QMimeData;
    data->setText(ToQString(*name));
    return data;
}

int LadderEditor::DropIndex(const QPoint& pos) const {
    const QPointF p = ToView(pos);
    if (p.y() >= layout_.TotalHeight()) return layout_.RungCount();
    const int r = std::max(0, layout_.RungAt(static_cast<int>(p.y())));
    const int middle = layout_.RungTop(r) + layout_.Rung(r).height / 2;
    return p.y() < middle ? r : r + 1;
}

void LadderEditor::mouseMoveEvent(QMouseEvent* event) {
    if (operandPressed_ && (event->buttons() & Qt::LeftButton) &&
        (event->pos() - operandPress_).manhattanLength() >= QApplication::startDragDistance()) {
        operandPressed_ = false;
        // The operand's name travels as text: the trend takes it when dropped there.
        if (QMimeData* data = TrendDragData(operandPress_)) {
            auto* drag = new QDrag(this);
            drag->setMimeData(data);
            drag->exec(Qt::CopyAction);
        }
        return;
    }
    if (dragRung_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
    if (!dragging_ && (event->pos() - dragStart_).manhattanLength() < QApplication::startDragDistance()) return;
    dragging_ = true;
    dropBefore_ = DropIndex(event->pos());
    viewport()->update();
}

void LadderEditor::mouseReleaseEvent(QMouseEvent* event) {
    operandPressed_ = false;
    if (dragging_ && event->button() == Qt::LeftButton) {
        const int from = dragRung_, before = DropIndex(event->pos());
        const int to = before > from ? before - 1 : before;
        dragging_ = false;
        dragRung_ = -1;
        dropBefore_ = -1;
        AfterEdit(to != from && MoveRung(view_, from, to));
        return;
    }
    dragging_ = false;
    dragRung_ = -1;
    dropBefore_ = -1;
}

void LadderEditor::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPointF p = ToView(event->pos());
    const LadderHit hit = layout_.HitTest(static_cast<int>(p.x()), static_cast<int>(p.y()));
    if (!hit.element) return;
    SelectElement(view_, hit.element);
    if (hit.area == LadderHit::Area::Comment || hit.area == LadderHit::Area::RungNumber ||
        hit.element->kind == kKindRung) {
        EditCommentInPlace();
        return;
    }
    if (hit.area == LadderHit::Area::Element && hit.element->operandCount > 0)
        EditOperandInPlace(hit.element, OperandAt(hit.element, p));
}

void LadderEditor::contextMenuEvent(QContextMenuEvent* event) {
    const QPointF p = ToView(event->pos());
    const LadderHit hit = layout_.HitTest(static_cast<int>(p.x()), static_cast<int>(p.y()));
    if (hit.element) SelectElement(view_, hit.element);
    viewport()->update();
    uint32_t place = kElementMenu;
    if (!hit.element || hit.element->kind == kKindRung || hit.area == LadderHit::Area::Comment ||
        hit.area == LadderHit::Area::RungNumber)
        place = kRungMenu;
    else if (hit.element->kind == kKindBranchLevel || hit.element->kind == kKindBranchEnd)
        place = kBranchMenu;
    ShowMenu(place, event->globalPos(), place == kElementMenu ? TrendOperandAt(event->pos()) : std::nullopt);
}

void LadderEditor::ShowMenu(uint32_t place, const QPoint& globalPos, const std::optional<std::string>& trendName) {
    QMenu menu(this);
    CommandTarget target;
    FillCommandTarget(target);
    for (const CommandInfo& info : CommandTable()) {
        if (!(info.places & place)) continue;
        QAction* action = menu.addAction(QString::fromLatin1(info.text.data(), static_cast<int>(info.text.size())));
        action->setShortcuts(ShortcutsOf(info));
        const CommandState state = CommandStateOf(frame_, info.command, target);
        action->setEnabled(state.enabled);
        const Command command = info.command;
        connect(action, &QAction::triggered, this, [this, command] { Invoke(command); });
    }
    if (trendName) {
        menu.addSeparator();
        const QString name = ToQString(*trendName);
        menu.addAction(QStringLiteral("Add \"%1\" to Trend").arg(name), this,
                       [this, name] { Q_EMIT addToTrendRequested(name); });
    }
    if (!menu.isEmpty()) menu.exec(globalPos);
}

// --- printing ----------------------------------------------------------------------------

bool LadderEditor::PrintTo(QPagedPaintDevice& device, QString* error) {
    CommitPendingEdits();
    LadderLayout layout;
    layout.Sync(view_.Rungs());
    OperandLookup lookup(frame_, unit_);
    LadderRenderer renderer(layout, lookup);
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error) *error = QStringLiteral("The printer or file cannot be opened.");
        return false;
    }
    const double pageW = device.width(), pageH = device.height();
    const double scale = pageW / layout.TotalWidth();
    renderer.SetScale(scale);
    const double header = std::max(pageH * 0.045, 30 * scale), footerGap = 10 * scale;
    const int bodyHeight = static_cast<int>((pageH - header - footerGap) / scale);
    std::vector<int> heights;
    for (int i = 0; i < layout.RungCount(); ++i) heights.push_back(layout.Rung(i).height);
    const std::vector<PrintPage> pages = PaginateRungs(heights, bodyHeight);

    const QString path = ToQString(frame_.doc().pathName);
    const QString title = path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path).completeBaseName();
    const QString unitName = unit_ ? ToQString(unit_->name) : QStringLiteral("Main Routine");
    const ProgramVersion& v = frame_.doc().version;
    const QString revision = QStringLiteral("Revision %1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
    const QString date = QDate::currentDate().toString(Qt::ISODate);
    QFont headerFont = renderer.Style().operandFont;
    headerFont.setPixelSize(std::max(1, static_cast<int>(header * 0.42)));
    const int total = std::max<int>(1, static_cast<int>(pages.size()));
    for (int n = 0; n < total; ++n) {
        if (n > 0 && !device.newPage()) {
            if (error) *error = QStringLiteral("A new page could not be started.");
            return false;
        }
        painter.setFont(headerFont);
        painter.setPen(Qt::black);
        const QRectF head(0, 0, pageW, header * 0.8);
        painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter, title + QStringLiteral("  -  ") + unitName);
        painter.drawText(head, Qt::AlignHCenter | Qt::AlignVCenter, revision + QStringLiteral("    ") + date);
        painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Page %1 of %2").arg(n + 1).arg(total));
        painter.drawLine(QPointF(0, header * 0.85), QPointF(pageW, header * 0.85));
        if (pages.empty()) continue;
        const PrintPage& page = pages[static_cast<size_t>(n)];
        painter.save();
        painter.setClipRect(QRectF(0, header, pageW, pageH - header));
        const double top = header - page.offset * scale;
        const int base = layout.RungTop(page.first);
        const double railBottom = top + (layout.RungTop(page.last - 1) + layout.Rung(page.last - 1).height - base) * scale;
        renderer.PaintRails(painter, 0, std::max(top, header), std::min(railBottom, pageH));
        RenderMarks marks;
        marks.showSelection = false;
        for (int i = page.first; i < page.last; ++i)
            renderer.PaintRung(painter, i, QPointF(0, top + (layout.RungTop(i) - base) * scale), marks);
        painter.restore();
    }
    painter.end();
    return true;
}

bool LadderEditor::Print(bool preview) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (preview) {
        QPrintPreviewDialog dialog(&printer, this);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) { PrintTo(*target); });
        return dialog.exec() == QDialog::Accepted;
    }
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    QString error;
    if (PrintTo(printer, &error)) return true;
    frame_.host().Message("Print Error! " + FromQString(error).value_or(std::string()));
    return false;
}

bool LadderEditor::ExportPdf(const QString& path, QString* error) {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(QStringLiteral("Ladder"));
    return PrintTo(writer, error);
}

}  // namespace pontra::gui
