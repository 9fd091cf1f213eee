// SPDX-License-Identifier: GPL-3.0-or-later
// The Structured Text editor window driven by key and mouse events: what is typed ends
// up in the core's text (the unit's lines) with the core's rules applied, the widget
// shows exactly that text, and undo takes it all back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextLayout>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeWidget>

#include "StWindowBench.h"
#include "gui/StCompletionPopup.h"
#include "gui/StFindBar.h"

namespace pontra::test {
namespace {

class StEditorWindowTest : public ::testing::Test, public StWindowBench {};

TEST_F(StEditorWindowTest, TypedBlockIsTheCoresTextWithItsRulesAndUndoesToTheStart) {
    Open();
    QWidget* text = Text();
    TypeKeys(text, "if start then\n\tx := sp");
    // The popup offers the unit's tags that begin with what was typed.
    ASSERT_TRUE(Text()->popup().isVisible());
    TypeKeys(text, "\n;\nend_if;\nInst(");
    const std::string expected =
        "IF start THEN\n"
        "\tx := Speed;\n"
        "END_IF;\n"
        "Inst(In1 := (*_in_BOOL_1*), Io := (*_in_out_DINT_2*), Io => (*_in_out_DINT_3*), "
        "Out1 => (*_out_BOOL_4*));";
    EXPECT_EQ(CoreText(), expected);
    EXPECT_EQ(Shown(), expected) << "the widget shows the core's text";
    EXPECT_EQ(calc->text.size(), 4u) << "the unit's own lines are edited";
    EXPECT_EQ(static_cast<size_t>(Text()->textCursor().position()), expected.size());
    EXPECT_TRUE(bench.doc().modified);

    // Backspace and Delete go through the core as well.
    TypeKeys(text, "\b");
    SendKey(text, Qt::Key_Home);
    SendKey(text, Qt::Key_Delete);
    EXPECT_EQ(Shown(), CoreText());
    EXPECT_TRUE(CoreText().ends_with("\nnst(In1"
                                     " := (*_in_BOOL_1*), Io := (*_in_out_DINT_2*), Io => (*_in_out_DINT_3*), "
                                     "Out1 => (*_out_BOOL_4*))"));

    int undos = 0;
    while (window->core().CanUndo() && undos < 100) {
        SendKey(text, Qt::Key_Z, Qt::ControlModifier);
        ++undos;
        ASSERT_EQ(Shown(), CoreText()) << "after undo " << undos;
    }
    EXPECT_EQ(CoreText(), "");
    EXPECT_EQ(Shown(), "");
    EXPECT_GT(undos, 3) << "typing, completion and parameters are separate steps";
    EXPECT_LT(undos, 40) << "typed characters gather into steps";
}

TEST_F(StEditorWindowTest, CompletionPopupIsChosenByKeysOrMouse) {
    Open();
    QWidget* text = Text();
    TypeKeys(text, "x := s");
    gui::StCompletionPopup& popup = Text()->popup();
    ASSERT_TRUE(popup.isVisible());
    QTreeWidget* list = popup.list();
    EXPECT_EQ(list->headerItem()->text(0), "Tag Name");
    EXPECT_EQ(list->headerItem()->text(1), "Data Type");
    EXPECT_EQ(list->headerItem()->text(2), "Description");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Speed");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "DINT");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "conveyor speed");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    SendKey(text, Qt::Key_Down);  // the popup takes Up and Down
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    SendKey(text, Qt::Key_Up);
    EXPECT_EQ(window->core().SelectedRow(), 0);

    // A click chooses a row; Enter in the text takes it.
    const QRect row = list->visualItemRect(list->topLevelItem(1));
    QMouseEvent press(QEvent::MouseButtonPress, row.center(), list->viewport()->mapToGlobal(row.center()),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, row.center(), list->viewport()->mapToGlobal(row.center()),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &release);
    EXPECT_EQ(window->core().SelectedRow(), 1);
    SendKey(text, Qt::Key_Return);
    EXPECT_EQ(CoreText(), "x := Start");
    EXPECT_FALSE(popup.isVisible());

    // Members after "."; Escape closes the popup and Enter then breaks the line.
    TypeKeys(text, " + Tmr.");
    ASSERT_TRUE(popup.isVisible());
    EXPECT_EQ(list->topLevelItemCount(), 5);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "PRE");
    SendKey(text, Qt::Key_Escape);
    EXPECT_FALSE(popup.isVisible());
    TypeKeys(text, "\n");
    EXPECT_EQ(CoreText(), "x := Start + Tmr.\n");
    EXPECT_EQ(Shown(), CoreText());
}

TEST_F(StEditorWindowTest, TemplatesTabsFindAndTheClipboard) {
    calc->text = {"IF Start THEN", "\tx := 1;", "END_IF;"};
    Open();
    QWidget* text = Text();
    // A template at a caret behind one tab indents its following lines by one tab.
    window->core().SetSelection(15, 15);  // behind the tab of line 2
    window->text().ShowCore();
    window->templateButton(3)->click();  // FOR
    EXPECT_EQ(Shown(), CoreText());
    ASSERT_GE(calc->text.size(), 4u);
    EXPECT_EQ(calc->text[2], "\t\t(*statement*);") << CoreText();
    EXPECT_EQ(calc->text[3], "\tEND_FOR;") << CoreText();
    EXPECT_TRUE(text->hasFocus() || !window->isActiveWindow());
    SendKey(text, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(CoreText(), "IF Start THEN\n\tx := 1;\nEND_IF;");

    // Find and find next, down from the caret, whole words.
    window->core().SetSelection(0, 0);
    window->text().ShowCore();
    SendKey(text, Qt::Key_F, Qt::ControlModifier);
    gui::StFindBar& find = window->findBar();
    ASSERT_TRUE(find.isVisible());
    find.findWhat()->setText("x");
    find.wholeWord()->setChecked(true);
    ASSERT_TRUE(find.FindNext());
    EXPECT_EQ(Text()->textCursor().selectedText(), "x");
    EXPECT_EQ(Text()->textCursor().selectionStart(), 15);
    EXPECT_FALSE(find.FindNext()) << "no further hit down";
    EXPECT_EQ(Text()->textCursor().selectionStart(), 15) << "a miss keeps the selection";
    EXPECT_FALSE(find.status()->text().isEmpty());

    // Text Windows-1252 cannot hold is refused whole, with a message.
    QApplication::clipboard()->setText(QString::fromUtf8("x := 1; // \xe2\x86\x92 arrow"));
    SendKey(text, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(CoreText(), "IF Start THEN\n\tx := 1;\nEND_IF;");
    ASSERT_FALSE(bench.host.Messages().empty());
    EXPECT_EQ(bench.host.Messages().back(), gui::StTextEdit::kPasteRefused);
    // Other text comes from the host's clipboard through the core, Windows line ends and all.
    QApplication::clipboard()->setText("y := 2;");
    bench.host.clipboard[Host::kClipboardText] = "y := 2;\r\n";
    window->core().SetSelection(0, 0);
    SendKey(text, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(CoreText(), "y := 2;\nIF Start THEN\n\tx := 1;\nEND_IF;");
    EXPECT_EQ(Shown(), CoreText());

    // Characters Windows-1252 cannot hold are not typed; those it can are.
    TypeKeys(text, QString::fromUtf8("\xe2\x86\x92\xc3\xa9"));
    EXPECT_EQ(Shown(), CoreText());
    EXPECT_EQ(calc->text[1], "\xe9IF Start THEN");
}

// The colour of a block's first character as drawn (black when it has none).
QColor ColourAt(gui::StTextEdit* text, int line) {
    const QTextBlock block = text->document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (range.start == 0 && range.length > 0) return range.format.foreground().color();
    return Qt::black;
}

TEST_F(StEditorWindowTest, ColoursFollowTheCoreForBlocksInViewAndScrolledIntoView) {
    calc->text.clear();
    for (int i = 0; i < 300; ++i) calc->text.push_back("x := " + std::to_string(i) + ";");
    calc->text[0] = "IF Start THEN";
    Open();
    gui::StTextEdit* text = Text();
    const QColor keyword(0, 0, 255), comment(0, 128, 0);
    EXPECT_EQ(ColourAt(text, 0), keyword);
    EXPECT_EQ(ColourAt(text, 5), Qt::black);
    // A block comment opened at the top: what is in view turns green at once.
    window->core().SetSelection(0, 0);
    TypeKeys(text, "(*");
    EXPECT_EQ(ColourAt(text, 0), comment);
    EXPECT_EQ(ColourAt(text, 5), comment);
    // Blocks far below are coloured when they scroll into view.
    text->verticalScrollBar()->setValue(250);
    QApplication::processEvents();
    EXPECT_EQ(ColourAt(text, 260), comment);
    // Closing the comment down there recolours the blocks in view after it.
    window->core().SetSelection(window->core().Text().LineStart(255), window->core().Text().LineStart(255));
    TypeKeys(text, "*)");
    EXPECT_EQ(ColourAt(text, 254), comment);
    EXPECT_EQ(ColourAt(text, 256), Qt::black);
    EXPECT_EQ(Shown(), CoreText());
}

TEST_F(StEditorWindowTest, HoverTipShowsTheSelectedVariablesDeclaration) {
    calc->text = {"x := Speed;"};
    Open();
    gui::StTextEdit* text = Text();
    text->viewport()->setMouseTracking(true);
    window->core().SetSelection(5, 10);
    text->ShowCore();
    QTextCursor at(text->document());
    at.setPosition(7);
    const QPoint over = text->cursorRect(at).center();
    QMouseEvent move(QEvent::MouseMove, over, text->viewport()->mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(text->viewport(), &move);
    ASSERT_TRUE(text->hoverTip().isVisible());
    EXPECT_EQ(text->hoverTip().text(), "Speed: DINT, InitValue = 5, conveyor speed");
    EXPECT_NE(text->hoverTip().styleSheet().indexOf("#ffffc0"), -1) << "light yellow offline";
    // Away from the selection the tip hides.
    const QPoint away(text->viewport()->width() - 5, text->viewport()->height() - 5);
    QMouseEvent leave(QEvent::MouseMove, away, text->viewport()->mapToGlobal(away), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(text->viewport(), &leave);
    EXPECT_FALSE(text->hoverTip().isVisible());
}

}  // namespace
}  // namespace pontra::test
