// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/StTextEdit.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include "gui/QtText.h"
#include "gui/StCompletionPopup.h"
#include "gui/StEditorFont.h"
#include "gui/StHighlighter.h"
#include "gui/StLineMargin.h"
#include "shell/MainFrame.h"
#include "shell/StEditor.h"

namespace pontra::gui {

namespace {

constexpr int kMinMarginWidth = 35;  // pixels
constexpr int kMarkWidth = 10;       // the error mark at the margin's right edge
constexpr int kPopupOffset = 16;     // the popup opens this far below the caret's top
const QColor kLineNumberColour(192, 192, 192);
const QColor kErrorColour(220, 0, 0);
const QColor kErrorLineBackground(255, 228, 228);

QColor Rgb(unsigned rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QString Joined(const std::vector<std::string>& lines, size_t from, size_t to, bool breakBefore, bool breakAfter) {
    QString text;
    for (size_t i = from; i < to; ++i) {
        if (breakBefore || i > from) text += QLatin1Char('\n');
        text += ToQString(lines[i]);
    }
    if (breakAfter && to > from) text += QLatin1Char('\n');
    return text;
}

// The core holds no line for an empty text; the document always holds one block.
const std::vector<std::string>& LinesOf(const StEditor& core) {
    static const std::vector<std::string> empty(1);
    return core.Text().Lines().empty() ? empty : core.Text().Lines();
}

}  // namespace

StTextEdit::StTextEdit(CMainFrame& frame, StEditor& core, QWidget* parent)
    : QPlainTextEdit(parent), frame_(frame), core_(core) {
    setFont(StEditorFont());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    setTabStopDistance(4 * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    viewport()->setMouseTracking(true);
    document()->setUndoRedoEnabled(false);  // the core keeps the undo history
    document()->setDocumentMargin(2);

    margin_ = new StLineMargin(*this);
    popup_ = new StCompletionPopup(this);
    tip_ = new QLabel(this, Qt::ToolTip);
    tip_->setMargin(2);
    tip_->setText(ToQString(core_.Tip().text));

    shown_ = LinesOf(core_);
    {
        const QSignalBlocker block(this);
        applying_ = true;
        setPlainText(Joined(shown_, 0, shown_.size(), false, false));
        applying_ = false;
    }
    highlighter_ = new StHighlighter(document(), core_.Colours(), [this](int b) { return InView(b); });
    setViewportMargins(MarginWidth(), 0, 0, 0);

    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { SelectionFromWidget(); });
    connect(this, &QPlainTextEdit::selectionChanged, this, [this] { SelectionFromWidget(); });
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { setViewportMargins(MarginWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy)
            margin_->scroll(0, dy);
        else
            margin_->update(0, rect.y(), margin_->width(), rect.height());
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int) {
        if (!applying_) HideCompletion();
        RefreshVisibleColours();
        const int first = FirstVisibleLine();
        if (first != lastFirstLine_) {
            lastFirstLine_ = first;
            Q_EMIT firstLineChanged(first);
        }
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int) {
        if (!applying_) HideCompletion();
    });
    // Nothing but ShowCore may change the document; anything else is put back.
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (applying_ || resyncQueued_ || (removed == 0 && added == 0)) return;
        resyncQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            resyncQueued_ = false;
            shown_.clear();
            ShowCore();
        });
    });
    connect(popup_, &StCompletionPopup::rowChosen, this, [this](int row) {
        core_.SelectCompletionRow(row);
        setFocus();
        ShowCore();
    });
    connect(popup_, &StCompletionPopup::rowAccepted, this, [this](int row) {
        core_.SelectCompletionRow(row);
        core_.CompleteOrBreakLine();
        setFocus();
        ShowCore();
    });
    ApplySelection();
}

StTextEdit::~StTextEdit() = default;

// --- showing the core -------------------------------------------------------------------

bool StTextEdit::InView(int block) const {
    const int first = verticalScrollBar()->value();
    const int lines = viewport()->height() / std::max(LineHeight(), 1) + 2;
    return block >= first - 1 && block <= first + lines;
}

int StTextEdit::FirstVisibleLine() const {
    return verticalScrollBar()->value();
}

int StTextEdit::LineHeight() const {
    return fontMetrics().lineSpacing();
}

void StTextEdit::ShowCore() {
    applying_ = true;
    ApplyText();
    ApplySelection();
    ensureCursorVisible();
    applying_ = false;
    RefreshVisibleColours();
    ShowPopup();
    const int first = FirstVisibleLine();
    if (first != lastFirstLine_) {
        lastFirstLine_ = first;
        Q_EMIT firstLineChanged(first);
    }
}

// The lines that differ between the document and the core are replaced in one edit: the
// common head and tail stay, so a keystroke touches one block.
void StTextEdit::ApplyText() {
    const std::vector<std::string>& lines = LinesOf(core_);
    if (shown_.empty()) {  // the document is not known to match: show the whole text
        shown_ = lines;
        setPlainText(Joined(lines, 0, lines.size(), false, false));
        return;
    }
    const size_t oldCount = shown_.size(), newCount = lines.size();
    size_t first = 0;
    while (first < oldCount && first < newCount && shown_[first] == lines[first]) ++first;
    if (first == oldCount && first == newCount) return;
    size_t oldEnd = oldCount, newEnd = newCount;
    while (oldEnd > first && newEnd > first && shown_[oldEnd - 1] == lines[newEnd - 1]) --oldEnd, --newEnd;

    QTextDocument* doc = document();
    QTextCursor cursor(doc);
    int from, to;
    QString text;
    if (oldEnd < oldCount) {
        // A common tail: replace whole lines [first, oldEnd) up to the tail's first block.
        from = doc->findBlockByNumber(static_cast<int>(first)).position();
        to = doc->findBlockByNumber(static_cast<int>(oldEnd)).position();
        text = Joined(lines, first, newEnd, false, true);
    } else if (first > 0) {
        // Down to the end: from the end of the last common line.
        const QTextBlock last = doc->findBlockByNumber(static_cast<int>(first) - 1);
        from = last.position() + last.length() - 1;
        to = doc->characterCount() - 1;
        text = Joined(lines, first, newEnd, true, false);
    } else {
        from = 0;
        to = doc->characterCount() - 1;
        text = Joined(lines, 0, newEnd, false, false);
    }
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.insertText(text);
    shown_ = lines;
}

void StTextEdit::ApplySelection() {
    const auto [start, end] = core_.Selection();
    QTextCursor cursor = textCursor();
    if (static_cast<size_t>(cursor.selectionStart()) == start && static_cast<size_t>(cursor.selectionEnd()) == end)
        return;
    const bool wasApplying = applying_;
    applying_ = true;
    cursor.setPosition(static_cast<int>(start));
    cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    applying_ = wasApplying;
}

void StTextEdit::SelectionFromWidget() {
    if (applying_) return;
    const QTextCursor cursor = textCursor();
    const auto [start, end] = core_.Selection();
    if (static_cast<size_t>(cursor.selectionStart()) == start && static_cast<size_t>(cursor.selectionEnd()) == end)
        return;
    core_.SetSelection(static_cast<size_t>(cursor.selectionStart()), static_cast<size_t>(cursor.selectionEnd()));
    if (tip_->isVisible()) tip_->hide();
}

void StTextEdit::RefreshVisibleColours() {
    const int first = FirstVisibleLine();
    const int lines = viewport()->height() / std::max(LineHeight(), 1) + 1;
    highlighter_->RefreshBlocks(first, first + lines);
}

void StTextEdit::ShowPopup() {
    if (!core_.CompletionVisible() || core_.CompletionList().empty()) {
        popup_->hide();
        return;
    }
    const QRect caret = cursorRect();
    const QPoint at = viewport()->mapToGlobal(QPoint(caret.left(), caret.top() + kPopupOffset));
    popup_->ShowRows(core_.CompletionList(), core_.SelectedRow(), at);
}

void StTextEdit::HideCompletion() {
    if (!core_.CompletionVisible()) return;
    core_.HideCompletion();
    popup_->hide();
}

// --- errors --------------------------------------------------------------------------------

void StTextEdit::SetErrorLines(std::vector<int> lines) {
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    if (lines == errorLines_) return;
    errorLines_ = std::move(lines);
    UpdateErrorSelections();
    margin_->update();
}

void StTextEdit::UpdateErrorSelections() {
    QList<QTextEdit::ExtraSelection> selections;
    for (int line : errorLines_) {
        const QTextBlock block = document()->findBlockByNumber(line - 1);
        if (!block.isValid()) continue;
        QTextEdit::ExtraSelection band;
        band.cursor = QTextCursor(block);
        band.format.setBackground(kErrorLineBackground);
        band.format.setProperty(QTextFormat::FullWidthSelection, true);
        selections.append(band);
        QTextEdit::ExtraSelection underline;
        underline.cursor = QTextCursor(block);
        underline.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        underline.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        underline.format.setUnderlineColor(kErrorColour);
        selections.append(underline);
    }
    setExtraSelections(selections);
}

void StTextEdit::SelectLine(int line) {
    const auto& lines = core_.Text().Lines();
    if (line < 1 || static_cast<size_t>(line) > std::max<size_t>(lines.size(), 1)) return;
    const size_t start = core_.Text().LineStart(static_cast<size_t>(line - 1));
    const size_t length = lines.empty() ? 0 : lines[static_cast<size_t>(line - 1)].size();
    HideCompletion();
    core_.SetSelection(start, start + length);
    ShowCore();
    centerCursor();
}

// --- the margin ------------------------------------------------------------------------------

int StTextEdit::MarginWidth() const {
    const int digits = static_cast<int>(QString::number(std::max(blockCount(), 1)).size());
    return std::max(kMinMarginWidth, 2 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits + kMarkWidth);
}

void StTextEdit::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect r = contentsRect();
    margin_->setGeometry(QRect(r.left(), r.top(), MarginWidth(), r.height()));
    HideCompletion();
    RefreshVisibleColours();
}

void StTextEdit::PaintMargin(QPaintEvent* event, QWidget* margin) {
    QPainter painter(margin);
    painter.fillRect(event->rect(), palette().base());
    painter.setFont(font());
    const int width = margin->width();
    const int lineHeight = LineHeight();
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (top + height >= event->rect().top()) {
            const int line = block.blockNumber() + 1;
            if (std::binary_search(errorLines_.begin(), errorLines_.end(), line)) {
                painter.fillRect(0, top, width, height, kErrorLineBackground);
                painter.setPen(Qt::NoPen);
                painter.setBrush(kErrorColour);
                const int d = std::min(kMarkWidth - 3, lineHeight - 4);
                painter.drawEllipse(width - kMarkWidth + 1, top + (height - d) / 2, d, d);
            }
            painter.setPen(kLineNumberColour);
            painter.drawText(2, top, width - kMarkWidth, lineHeight, Qt::AlignLeft | Qt::AlignVCenter,
                             QString::number(line));
        }
        top += height;
        block = block.next();
    }
}

// --- keys ------------------------------------------------------------------------------------

void StTextEdit::TypeText(const QString& text) {
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            core_.CompleteOrBreakLine();
            continue;
        }
        const std::optional<std::string> c = FromQString(QString(ch));
        if (!c || c->size() != 1) {
            QApplication::beep();  // a character Windows-1252 cannot hold is not typed
            continue;
        }
        core_.TypeCharacter((*c)[0]);
    }
    ShowCore();
}

void StTextEdit::keyPressEvent(QKeyEvent* event) {
    tip_->hide();
    if (event->matches(QKeySequence::Copy)) return CopyCommand();
    if (event->matches(QKeySequence::Cut)) return CutCommand();
    if (event->matches(QKeySequence::Paste)) return PasteCommand();
    if (event->matches(QKeySequence::Undo)) return UndoCommand();
    if (event->matches(QKeySequence::Find)) return Q_EMIT findRequested();
    if (event->matches(QKeySequence::FindNext)) return Q_EMIT findNextRequested();
    if (event->matches(QKeySequence::SelectAll)) return QPlainTextEdit::keyPressEvent(event);

    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    switch (event->key()) {
    case Qt::Key_Escape:
        HideCompletion();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (mods == Qt::NoModifier && !(event->modifiers() & Qt::ShiftModifier) &&
            core_.CompletionKey(event->key() == Qt::Key_Up)) {
            ShowPopup();
            return;
        }
        return QPlainTextEdit::keyPressEvent(event);
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        core_.CaretKey();
        popup_->hide();
        return QPlainTextEdit::keyPressEvent(event);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods != Qt::NoModifier) return;
        core_.CompleteOrBreakLine();
        return ShowCore();
    case Qt::Key_Backspace:
        if (mods != Qt::NoModifier) return;
        core_.TypeCharacter(StEditor::kBackspace);
        return ShowCore();
    case Qt::Key_Delete:
        if (mods != Qt::NoModifier) return;
        core_.DeleteKey();
        return ShowCore();
    case Qt::Key_Tab:
        if (mods != Qt::NoModifier) return;
        core_.TypeCharacter('\t');
        return ShowCore();
    case Qt::Key_Backtab:
        return;
    default:
        break;
    }
    // Ctrl and Alt combinations are commands, never text (AltGr gives both and text).
    const bool command = (mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier);
    const QString text = event->text();
    if (command || text.isEmpty() || !text.at(0).isPrint()) {
        event->ignore();
        return;
    }
    TypeText(text);
}

void StTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) TypeText(event->commitString());
    event->accept();
}

bool StTextEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

// Drops are off; a middle-click paste or any other insertion goes through the core.
void StTextEdit::insertFromMimeData(const QMimeData*) {
    PasteCommand();
}

// --- commands --------------------------------------------------------------------------------

void StTextEdit::UndoCommand() {
    core_.Undo();
    ShowCore();
}

void StTextEdit::CutCommand() {
    core_.Cut();
    ShowCore();
}

void StTextEdit::CopyCommand() {
    core_.Copy();
}

// Text that Windows-1252 cannot hold is refused whole, with a message, rather than
// pasted with characters replaced: a changed name or operator would compile into
// something the person did not write.
void StTextEdit::PasteCommand() {
    const QClipboard* clipboard = QApplication::clipboard();
    const QString text = clipboard ? clipboard->text() : QString();
    if (!text.isEmpty() && !FromQString(text)) {
        frame_.host().Message(kPasteRefused);
        return;
    }
    core_.Paste();
    ShowCore();
}

// --- mouse -----------------------------------------------------------------------------------

void StTextEdit::mousePressEvent(QMouseEvent* event) {
    HideCompletion();
    QPlainTextEdit::mousePressEvent(event);
}

void StTextEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QPlainTextEdit::mouseDoubleClickEvent(event);
    HideCompletion();
    core_.SelectWordAt(static_cast<size_t>(cursorForPosition(event->position().toPoint()).position()));
    ShowCore();
}

void StTextEdit::wheelEvent(QWheelEvent* event) {
    HideCompletion();
    QPlainTextEdit::wheelEvent(event);
}

void StTextEdit::focusOutEvent(QFocusEvent* event) {
    // The popup never takes the focus, so any loss of it closes the popup.
    HideCompletion();
    popup_->hide();
    tip_->hide();
    QPlainTextEdit::focusOutEvent(event);
}

void StTextEdit::contextMenuEvent(QContextMenuEvent* event) {
    HideCompletion();
    tip_->hide();
    QMenu menu(this);
    menu.addAction("&Undo\tCtrl+Z", this, [this] { UndoCommand(); });
    menu.addSeparator();
    menu.addAction("Cu&t\tCtrl+X", this, [this] { CutCommand(); });
    menu.addAction("&Copy\tCtrl+C", this, [this] { CopyCommand(); });
    QAction* paste = menu.addAction("&Paste\tCtrl+V", this, [this] { PasteCommand(); });
    paste->setEnabled(core_.CanPaste());
    menu.addSeparator();
    menu.addAction("&Find...\tCtrl+F", this, [this] { Q_EMIT findRequested(); });
    menu.exec(event->globalPos());
}

// --- hover tip -------------------------------------------------------------------------------

bool StTextEdit::OverSelection(QPoint pos) const {
    const auto [start, end] = core_.Selection();
    if (start == end) return false;
    QTextCursor a(document()), b(document());
    a.setPosition(static_cast<int>(start));
    b.setPosition(static_cast<int>(end));
    const QRect first = cursorRect(a), last = cursorRect(b);
    QRect area;
    if (a.blockNumber() == b.blockNumber())
        area = QRect(QPoint(first.left(), first.top()), QPoint(last.left(), first.bottom()));
    else
        area = QRect(QPoint(first.left(), first.top()), QPoint(viewport()->width(), last.bottom()));
    return area.contains(pos);
}

void StTextEdit::UpdateHoverTip(QPoint pos) {
    core_.UpdateHoverTip(OverSelection(pos));
    const auto& tip = core_.Tip();
    if (!tip.visible) {
        tip_->hide();
        return;
    }
    const QString text = ToQString(tip.text);
    if (tip_->text() != text || !tip_->isVisible()) {
        tip_->setText(text);
        tip_->setStyleSheet(QString("QLabel { background-color: %1; color: black; border: 1px solid gray; }")
                                .arg(Rgb(tip.background).name()));
        tip_->adjustSize();
        tip_->move(viewport()->mapToGlobal(pos + QPoint(12, 18)));
        tip_->show();
    }
}

void StTextEdit::mouseMoveEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseMoveEvent(event);
    if (!(event->buttons() & Qt::LeftButton)) UpdateHoverTip(event->position().toPoint());
}

void StTextEdit::leaveEvent(QEvent* event) {
    tip_->hide();
    QPlainTextEdit::leaveEvent(event);
}

}  // namespace pontra::gui
