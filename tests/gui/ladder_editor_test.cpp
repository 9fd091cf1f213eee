// SPDX-License-Identifier: GPL-3.0-or-later
// The ladder editor driven as a person drives it: keys, clicks, drags; the model and the
// drawn picture checked afterwards.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QImage>
#include <QMouseEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "comm/UdpRequest.h"
#include "files/RungText.h"
#include "gui/CommentEditor.h"
#include "gui/LadderEditor.h"
#include "gui/OperandEditor.h"
#include "host/ScriptedHost.h"
#include "model/Catalogue.h"
#include "model/InstructionBar.h"
#include "model/Types.h"
#include "model/Unit.h"
#include "online/OnlineSession.h"
#include "shell/LadderEditing.h"
#include "shell/LadderShapes.h"
#include "shell/MainFrame.h"

namespace pontra::gui {
namespace {

using test::BuildRung;
using test::Shape;

class LadderEditorTest : public ::testing::Test {
protected:
    void SetUp() override { frame.doc().rungs.clear(); }

    std::unique_ptr<LadderEditor> Open(CUnit* unit = nullptr) {
        auto editor = std::make_unique<LadderEditor>(frame, unit);
        editor->resize(1000, 600);
        editor->show();
        QApplication::processEvents();
        return editor;
    }

    CTag& AddTag(const char* name, const char* type, const char* description = "") {
        auto tag = std::make_unique<CTag>(name, type);
        tag->description = description;
        BuildMembers(frame.project(), *tag);
        frame.project().doc.tags.push_back(std::move(tag));
        return *frame.project().doc.tags.back();
    }

    static void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(w, key, mods);
        QApplication::processEvents();
    }

    // Types a mnemonic at the insertion point, then its first operand.
    static void TypeInstruction(LadderEditor& editor, const QString& mnemonic, const QString& operand) {
        QTest::keyClicks(&editor, mnemonic.left(1));
        ASSERT_NE(editor.inPlaceEditor(), nullptr);
        QTest::keyClicks(editor.inPlaceEditor(), mnemonic.mid(1));
        Key(editor.inPlaceEditor(), Qt::Key_Return);
        ASSERT_NE(editor.inPlaceEditor(), nullptr) << "the operand editor follows the new instruction";
        QTest::keyClicks(editor.inPlaceEditor(), operand);
        Key(editor.inPlaceEditor(), Qt::Key_Return);
        ASSERT_EQ(editor.inPlaceEditor(), nullptr);
    }

    // The element whose first operand is `operand`, or a rung start "|n".
    CElement* Find(const RungList& rungs, const std::string& operand) {
        std::vector<const CRung*> lists;
        for (const auto& r : rungs) lists.push_back(r.get());
        while (!lists.empty()) {
            const CRung* l = lists.back();
            lists.pop_back();
            for (const auto& e : l->elements) {
                if (e->operandCount && e->operands[0] == operand) return e.get();
                for (const auto& leg : e->legs) lists.push_back(leg.get());
            }
        }
        return nullptr;
    }

    ScriptedHost host;
    CMainFrame frame{host};
};

TEST_F(LadderEditorTest, BuildsARungFromTheKeyboardAndTheInstructionBar) {
    auto editor = Open();
    editor->setFocus();
    Key(editor.get(), Qt::Key_R, Qt::ControlModifier);  // a new rung
    ASSERT_EQ(frame.doc().rungs.size(), 1u);
    ASSERT_NO_FATAL_FAILURE(TypeInstruction(*editor, "XIC", "Start"));
    Key(editor.get(), Qt::Key_B, Qt::ControlModifier);  // a branch after it; its close is selected
    Key(editor.get(), Qt::Key_Left);                     // into the first leg
    ASSERT_NO_FATAL_FAILURE(TypeInstruction(*editor, "xio", "Stop"));
    Key(editor.get(), Qt::Key_Right);  // the second leg's start
    ASSERT_NO_FATAL_FAILURE(TypeInstruction(*editor, "XIC", "Motor"));
    Key(editor.get(), Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);  // a third leg
    Key(editor.get(), Qt::Key_End);  // after the branch
    // The instruction bar inserts through the core and tells the view.
    BarButton ote;
    for (const BarTab& tab : InstructionBar(frame.doc().controllerType))
        for (const BarButton& b : tab.buttons)
            if (b.kind == MnemonicToKind("OTE")) ote = b;
    ASSERT_TRUE(PressInstructionButton(editor->view(), ote));
    editor->ModelChanged();
    ASSERT_NE(editor->view().selected, nullptr);
    ASSERT_EQ(editor->view().selected->mnemonic, "OTE");
    Key(editor.get(), Qt::Key_F2);
    ASSERT_NE(editor->inPlaceEditor(), nullptr);
    QTest::keyClicks(editor->inPlaceEditor(), "Motor");
    Key(editor->inPlaceEditor(), Qt::Key_Return);

    const auto expected = BuildRung("XIC:Start BST XIO:Stop NXB XIC:Motor NXB BND OTE:Motor");
    EXPECT_EQ(RungText(*frame.doc().rungs[0]), RungText(*expected));
    EXPECT_EQ(Shape(frame.doc().rungs), "| XIC(Start) [ XIO(Stop) / XIC(Motor) /] OTE(Motor)");

    // Delete takes the output away again; Ctrl+Z brings it back.
    Key(editor.get(), Qt::Key_Delete);
    EXPECT_EQ(Shape(frame.doc().rungs), "| XIC(Start) [ XIO(Stop) / XIC(Motor) /]");
    Key(editor.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(RungText(*frame.doc().rungs[0]), RungText(*expected));
    // An unknown mnemonic is refused where it was typed, and nothing changes.
    QTest::keyClicks(editor.get(), "Q");
    QTest::keyClicks(editor->inPlaceEditor(), "QQ");
    Key(editor->inPlaceEditor(), Qt::Key_Return);
    ASSERT_NE(editor->inPlaceEditor(), nullptr);
    EXPECT_FALSE(editor->inPlaceEditor()->refusal().isEmpty());
    Key(editor->inPlaceEditor(), Qt::Key_Escape);
    EXPECT_EQ(editor->inPlaceEditor(), nullptr);
    EXPECT_EQ(RungText(*frame.doc().rungs[0]), RungText(*expected));
}

TEST_F(LadderEditorTest, EditsAnOperandInPlaceWithTheCompleter) {
    AddTag("Start", "BOOL", "Start push button");
    AddTag("StartDelay", "TIMER");
    AddTag("Speed", "DINT");
    frame.doc().rungs.push_back(BuildRung("XIC:? OTE:M"));
    auto editor = Open();
    CElement* xic = frame.doc().rungs[0]->elements[1].get();
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, editor->ElementRect(xic).center());
    ASSERT_EQ(editor->view().selected, xic);
    Key(editor.get(), Qt::Key_Return);
    OperandEditor* line = editor->inPlaceEditor();
    ASSERT_NE(line, nullptr);
    ASSERT_NE(line->nameCompleter(), nullptr);
    // The completer follows typing only in the window that has the keyboard.
    QApplication::setActiveWindow(editor.get());
    line->setFocus();
    ASSERT_TRUE(line->hasFocus());
    QTest::keyClicks(line, "sta");
    QApplication::processEvents();
    QCompleter* completer = line->nameCompleter();
    // BOOL names and the timer's bits; not the timer itself nor the DINT.
    QStringList offered;
    for (int i = 0; completer->setCurrentRow(i); ++i) offered << completer->currentCompletion();
    ASSERT_FALSE(offered.isEmpty());
    EXPECT_EQ(offered.first(), "Start");
    for (const char* bit : {"StartDelay.DN", "StartDelay.EN", "StartDelay.TT", "StartDelay.PRE.3"})
        EXPECT_TRUE(offered.contains(bit)) << bit;
    EXPECT_FALSE(offered.contains("StartDelay"));
    EXPECT_FALSE(offered.contains("StartDelay.PRE"));
    ASSERT_TRUE(completer->popup()->isVisible());
    Key(completer->popup(), Qt::Key_Down);
    Key(completer->popup(), Qt::Key_Return);
    EXPECT_EQ(line->text(), "Start");
    Key(line, Qt::Key_Return);
    EXPECT_EQ(editor->inPlaceEditor(), nullptr);
    EXPECT_EQ(xic->operands[0], "Start");

    // A text the core refuses keeps the editor open with the core's message.
    Key(editor.get(), Qt::Key_F2);
    line = editor->inPlaceEditor();
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClicks(line, "A;B");
    Key(line, Qt::Key_Return);
    ASSERT_EQ(editor->inPlaceEditor(), line);
    EXPECT_EQ(line->refusal(), kOperandRefusal);
    EXPECT_EQ(host.Messages().back(), kOperandRefusal);
    EXPECT_EQ(xic->operands[0], "Start");
    Key(line, Qt::Key_Escape);
    EXPECT_EQ(editor->inPlaceEditor(), nullptr);
    EXPECT_EQ(xic->operands[0], "Start");
}

TEST_F(LadderEditorTest, DragsARungByItsNumberAsOneUndoStep) {
    for (const char* r : {"XIC:A", "XIC:B", "XIC:C", "XIC:D"}) frame.doc().rungs.push_back(BuildRung(r));
    auto editor = Open();
    QWidget* vp = editor->viewport();
    const QPoint from = editor->RungNumberPoint(0);
    const QPoint to = editor->RungNumberPoint(2) + QPoint(0, 30);  // lower half of rung 2: after it
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, vp->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(vp, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPoint(0, 20), Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    EXPECT_EQ(Shape(frame.doc().rungs), "| XIC(B) ; | XIC(C) ; | XIC(A) ; | XIC(D)");
    EXPECT_EQ(editor->view().currentRung, 2);
    EXPECT_EQ(editor->view().undo.Count(), 1);
    Key(editor.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Shape(frame.doc().rungs), "| XIC(A) ; | XIC(B) ; | XIC(C) ; | XIC(D)");
    // Dropped where it was: nothing happens.
    send(QEvent::MouseButtonPress, editor->RungNumberPoint(1), Qt::LeftButton);
    send(QEvent::MouseMove, editor->RungNumberPoint(1) + QPoint(0, 12), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, editor->RungNumberPoint(1) + QPoint(0, 12), Qt::NoButton);
    EXPECT_EQ(Shape(frame.doc().rungs), "| XIC(A) ; | XIC(B) ; | XIC(C) ; | XIC(D)");
    EXPECT_EQ(editor->view().undo.Count(), 0);
}

TEST_F(LadderEditorTest, CopiesAndPastesBetweenTwoUnits) {
    frame.doc().rungs.push_back(BuildRung("XIC:A BST:b XIC:B NXB XIO:C BND OTE:M"));
    auto& units = frame.project().units;
    units.push_back(std::make_unique<CUnit>("Fb1", kUnitFunctionBlock));
    CUnit* fb = units.back().get();
    fb->rungs.push_back(BuildRung("XIC:X"));
    auto main = Open();
    auto block = Open(fb);
    EXPECT_EQ(block->key(), "fb:Fb1:routine");
    // The branch: selected by its close marker, copied with Ctrl+C.
    CElement* close = frame.doc().rungs[0]->elements[3].get();
    main->setFocus();
    QTest::mouseClick(main->viewport(), Qt::LeftButton, {}, main->ElementRect(close).center());
    ASSERT_EQ(main->view().selected, close);
    Key(main.get(), Qt::Key_C, Qt::ControlModifier);
    // Pasted after X in the function block.
    block->setFocus();
    QTest::mouseClick(block->viewport(), Qt::LeftButton, {}, block->ElementRect(fb->rungs[0]->elements[1].get()).center());
    Key(block.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Shape(fb->rungs), "| XIC(X) [ XIC(B) / XIO(C)]");
    // A whole rung: copied by its number, pasted as a new rung.
    QTest::mouseClick(main->viewport(), Qt::LeftButton, {}, main->RungNumberPoint(0));
    Key(main.get(), Qt::Key_C, Qt::ControlModifier);
    Key(block.get(), Qt::Key_Home);
    Key(block.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fb->rungs.size(), 2u);
    EXPECT_EQ(Shape(fb->rungs), "| XIC(X) [ XIC(B) / XIO(C)] ; | XIC(A) [ XIC(B) / XIO(C)] OTE(M)");
    EXPECT_EQ(Shape(frame.doc().rungs), "| XIC(A) [ XIC(B) / XIO(C)] OTE(M)");
}

TEST_F(LadderEditorTest, FindSelectsHighlightsAndScrollsToTheMatch) {
    for (int i = 0; i < 200; ++i)
        frame.doc().rungs.push_back(BuildRung(i == 150 ? "XIC:Other OTE:Target" : "XIC:A OTE:B"));
    auto editor = Open();
    editor->view().findOptions.text = "Target";
    CElement* match = editor->FindNextMatch();
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->operands[0], "Target");
    EXPECT_EQ(editor->view().selected, match);
    EXPECT_EQ(editor->view().currentRung, 150);
    const QRect where = editor->ElementRect(match);
    EXPECT_TRUE(editor->viewport()->rect().contains(where)) << where.y();
    EXPECT_GT(editor->verticalScrollBar()->value(), 0);
}

// A double-click on a verification line: the element is selected, centred and marked.
TEST_F(LadderEditorTest, JumpsToAVerificationErrorAndMarksIt) {
    for (int i = 0; i < 100; ++i) frame.doc().rungs.push_back(BuildRung("XIC:A OTE:B"));
    auto editor = Open();
    CElement* bad = frame.doc().rungs[70]->elements[2].get();
    frame.output.AddOutputLine("Error at Rung: 70, Element: OTE -> Invalid type", bad);
    OutputJump jump;
    jump.kind = OutputJump::Kind::LadderElement;
    jump.rung = 70;
    jump.element = bad;
    ASSERT_TRUE(editor->ShowJump(jump));
    EXPECT_EQ(editor->view().selected, bad);
    EXPECT_EQ(editor->view().currentRung, 70);
    const QRect where = editor->ElementRect(bad);
    EXPECT_NEAR(where.center().y(), editor->viewport()->height() / 2, LadderMetrics::kRow);
    // Another unit's jump is not this view's.
    jump.unit = reinterpret_cast<CUnit*>(&jump);
    EXPECT_FALSE(editor->ShowJump(jump));
    // The marked element: red frame inside its cell once the selection moved away.
    editor->setFocus();
    QTest::keyClick(editor.get(), Qt::Key_Left);
    const QImage image = editor->viewport()->grab().toImage();
    bool red = false;
    for (int x = where.left(); x <= where.left() + 5; ++x) red = red || image.pixelColor(x, where.center().y()) == QColor(210, 30, 30);
    EXPECT_TRUE(red);
}

TEST_F(LadderEditorTest, EditsARungCommentInPlace) {
    frame.doc().rungs.push_back(BuildRung("XIC:A"));
    frame.doc().rungs.push_back(BuildRung("XIC:B"));
    auto editor = Open();
    QTest::mouseDClick(editor->viewport(), Qt::LeftButton, {}, editor->RungNumberPoint(1));
    ASSERT_NE(editor->commentEditor(), nullptr);
    EXPECT_EQ(editor->view().currentRung, 1);
    QTest::keyClicks(editor->commentEditor(), "Start");
    QTest::keyClick(editor->commentEditor(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(editor->commentEditor(), "the belt");
    Key(editor->commentEditor(), Qt::Key_Return);
    EXPECT_EQ(editor->commentEditor(), nullptr);
    EXPECT_EQ(frame.doc().rungs[1]->comment, "Start\nthe belt");
    // The band grew by the comment's two lines.
    EXPECT_EQ(editor->layout().Rung(1).commentHeight, 2 * LadderMetrics::kCommentLine + 4);
    // Braces are refused with the core's message; the editor stays open.
    Key(editor.get(), Qt::Key_Return);  // the rung start is selected: Enter edits its comment
    ASSERT_NE(editor->commentEditor(), nullptr);
    QTest::keyClicks(editor->commentEditor(), "{x}");
    Key(editor->commentEditor(), Qt::Key_Return);
    ASSERT_NE(editor->commentEditor(), nullptr);
    EXPECT_EQ(host.Messages().back(), "Rung comment can't use '{' and '}' symbols!");
    Key(editor->commentEditor(), Qt::Key_Escape);
    EXPECT_EQ(editor->commentEditor(), nullptr);
    EXPECT_EQ(frame.doc().rungs[1]->comment, "Start\nthe belt");
}

TEST_F(LadderEditorTest, ZoomKeepsTheLayoutAndScalesThePicture) {
    frame.doc().rungs.push_back(BuildRung("XIC:A OTE:B"));
    auto editor = Open();
    CElement* a = frame.doc().rungs[0]->elements[1].get();
    const int w100 = editor->ElementRect(a).width();
    editor->setFocus();
    Key(editor.get(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(editor->view().zoom, 110);
    for (int i = 0; i < 60; ++i) Key(editor.get(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(editor->view().zoom, LadderView::kZoomStep);
    editor->SetZoom(400);
    EXPECT_EQ(editor->view().zoom, 400);
    EXPECT_EQ(editor->ElementRect(a).width(), 4 * w100);
}

// What the scan would give for | XIC(A) XIO(B) [ XIC(C) / XIC(D) ] OTE(M) with A=1,
// B=0, C=0, D=1: power through A, B and the second leg to M; the first leg stops at C.
TEST_F(LadderEditorTest, LiveValuesColourTheEnergisedPaths) {
    CTag& a = AddTag("A", "BOOL");
    CTag& b = AddTag("B", "BOOL");
    CTag& c = AddTag("C", "BOOL");
    CTag& d = AddTag("D", "BOOL");
    CTag& m = AddTag("M", "BOOL");
    CTag& n = AddTag("N", "DINT");
    int bit = 0;
    for (CTag* t : {&a, &b, &c, &d, &m}) {
        t->address = 0;
        t->bit = bit++;
    }
    n.address = 4;
    frame.doc().rungs.push_back(BuildRung("XIC:A XIO:B BST XIC:C NXB XIC:D BND OTE:M"));
    frame.doc().rungs.push_back(BuildRung("XIC:A MOV:N"));
    frame.doc().rungs[1]->elements[2]->operands[1] = "N";
    auto editor = Open();
    // No module: replies are handed to the session as the channel would.
    frame.doc().SetModuleAddress(0x7F000063u);
    frame.online().SetPorts({static_cast<uint16_t>(21000 + std::rand() % 8000), 30001,
                             static_cast<uint16_t>(41000 + std::rand() % 8000)});
    std::vector<uint8_t> memory(16, 0);
    memory[0] = 0b01001;  // A and D set
    memory[4] = 42;
    frame.online().EnterDebugMode(memory);
    editor->DebugModeChanged();
    // The colour of the wire leaving an element (a contact's right side shows whether
    // it passes power; a coil is drawn in the colour of the power it receives).
    auto colourAt = [&](const CElement* e, double fx) {
        QImage image = editor->viewport()->grab().toImage();
        const QRect r = editor->ElementRect(e);
        const int x = r.left() + static_cast<int>(r.width() * fx);
        const int y = r.top() + static_cast<int>(LadderMetrics::kWireY * editor->scale());
        for (int dy = -2; dy <= 2; ++dy) {
            const QColor c = image.pixelColor(x, y + dy);
            if (c != QColor(Qt::white)) return c;
        }
        return QColor(Qt::white);
    };
    const CRung& rung = *frame.doc().rungs[0];
    CElement* xicA = rung.elements[1].get();
    CElement* xioB = rung.elements[2].get();
    CElement* c1 = rung.elements[3]->legs[0]->elements[1].get();
    CElement* d1 = rung.elements[3]->legs[1]->elements[1].get();
    CElement* ote = rung.elements.back().get();
    const QColor green(0, 160, 40), blue(20, 30, 140);
    // Before the first complete read nothing is known: all dark blue, values "...".
    EXPECT_EQ(colourAt(xicA, 0.85), blue);
    frame.online().OnReadAnswered([&] {
        UdpRequest r;
        r.command = kUdpReadMemory;
        r.address = 0;
        r.count = static_cast<uint16_t>(memory.size());
        r.state = kUdpAnswered;
        r.replyLength = static_cast<uint32_t>(kUdpHeaderSize + memory.size());
        std::copy(memory.begin(), memory.end(), r.reply.begin() + kUdpHeaderSize);
        return r;
    }());
    ASSERT_TRUE(frame.online().DataValid());
    editor->LiveValuesChanged();
    EXPECT_EQ(editor->LastLiveRepaints(), 2);
    EXPECT_EQ(colourAt(xicA, 0.85), green);
    EXPECT_EQ(colourAt(xioB, 0.85), green);
    EXPECT_EQ(colourAt(c1, 0.85), blue);
    EXPECT_EQ(colourAt(d1, 0.85), green);
    EXPECT_EQ(colourAt(ote, 0.85), green);
    // The same values again: nothing to repaint.
    editor->LiveValuesChanged();
    EXPECT_EQ(editor->LastLiveRepaints(), 0);
    // D drops: the second leg and the output lose power.
    memory[0] = 0b00001;
    UdpRequest r;
    r.command = kUdpReadMemory;
    r.count = static_cast<uint16_t>(memory.size());
    r.state = kUdpAnswered;
    r.replyLength = static_cast<uint32_t>(kUdpHeaderSize + memory.size());
    std::copy(memory.begin(), memory.end(), r.reply.begin() + kUdpHeaderSize);
    frame.online().OnReadAnswered(r);
    editor->LiveValuesChanged();
    EXPECT_EQ(editor->LastLiveRepaints(), 1);
    EXPECT_EQ(colourAt(d1, 0.85), blue);
    EXPECT_EQ(colourAt(ote, 0.85), blue);
    EXPECT_EQ(colourAt(xicA, 0.85), green);
}

TEST_F(LadderEditorTest, ExportsAPdfWithWholeRungsPerPage) {
    for (int i = 0; i < 120; ++i) frame.doc().rungs.push_back(BuildRung("XIC:A BST XIC:B NXB XIC:C BND TON:T"));
    auto editor = Open();
    QTemporaryDir dir;
    const QString path = dir.filePath("ladder.pdf");
    QString error;
    ASSERT_TRUE(editor->ExportPdf(path, &error)) << error.toStdString();
    QProcess info;
    info.start("pdfinfo", {path});
    ASSERT_TRUE(info.waitForFinished(20000));
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const auto pagesLine = out.split('\n').filter("Pages:");
    ASSERT_EQ(pagesLine.size(), 1) << out.toStdString();
    const int pages = pagesLine[0].section(':', 1).trimmed().toInt();
    // A4 landscape, 12 mm margins, 300 dpi: 3224 x 2197 pixels for a ladder 972 units wide
    // (rung 562, the rails 900 apart; scale 3.317), a header of 100 pixels and a gap of
    // 33 below: 622 units for rungs.
    // Each rung is two rows and a gap, 154 units: four rungs a page, none split.
    EXPECT_EQ(pages, 30);
}

}  // namespace
}  // namespace pontra::gui
