// SPDX-License-Identifier: GPL-3.0-or-later
// A Structured Text editor window on a scripted host: a project with the ladder block
// "Block" (one parameter of each direction), the Structured Text block "Calc" with tags
// of every kind the editor offers, and key helpers that send real key events.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

#include "build/BuildFixtures.h"
#include "gui/QtText.h"
#include "gui/StEditorWindow.h"
#include "gui/StTextEdit.h"
#include "model/Types.h"
#include "online/OnlineBench.h"
#include "shell/StEditor.h"

namespace pontra::test {

inline void SendKey(QWidget* to, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(to, &release);
}

// Each character as its key; "\n" is Enter, "\t" Tab, "\b" Backspace.
inline void TypeKeys(QWidget* to, const QString& keys) {
    for (const QChar c : keys) {
        if (c == QLatin1Char('\n'))
            SendKey(to, Qt::Key_Return);
        else if (c == QLatin1Char('\t'))
            SendKey(to, Qt::Key_Tab, Qt::NoModifier, "\t");
        else if (c == QLatin1Char('\b'))
            SendKey(to, Qt::Key_Backspace);
        else
            SendKey(to, c.toUpper().unicode() < 0x80 ? int{c.toUpper().unicode()} : int{Qt::Key_unknown},
                    Qt::NoModifier, QString(c));
    }
}

struct StWindowBench {
    StWindowBench() {
        CProject& p = bench.project();
        CUnit& block = AddFunctionBlock(p, "Block");
        AddTag(p, block.tags, "In1", "BOOL", kUsageInput);
        AddTag(p, block.tags, "Io", "DINT", kUsageInOut);
        AddTag(p, block.tags, "Out1", "BOOL", kUsageOutput);
        p.types.push_back(std::make_unique<CType>("Block"));
        calc = &AddFunctionBlock(p, "Calc", true);
        p.types.push_back(std::make_unique<CType>("Calc"));
        Tag("Speed", "DINT", "5", "conveyor speed");
        Tag("Start", "BOOL");
        Tag("Tmr", "TIMER");
        Tag("Inst", "Block");
        Tag("x", "DINT");
        calc->text = {""};
    }

    CTag& Tag(const char* name, const char* type, const char* init = "0", const char* description = "") {
        CTag& tag = AddTag(bench.project(), calc->tags, name, type);
        tag.initialValue = init;
        tag.description = description;
        return tag;
    }

    // Opens the window on the block's text as it stands.
    gui::StEditorWindow& Open() {
        window = std::make_unique<gui::StEditorWindow>(bench.frame, *calc);
        window->resize(900, 500);
        window->show();
        QApplication::processEvents();
        return *window;
    }

    gui::StTextEdit* Text() { return &window->text(); }
    std::string CoreText() { return window->core().Text().AllText(); }
    std::string Shown() { return gui::FromQString(Text()->toPlainText()).value_or("(not Windows-1252)"); }

    Bench bench;
    CUnit* calc = nullptr;
    std::unique_ptr<gui::StEditorWindow> window;
};

// Starts a soft module, downloads the saved project, goes online and watches the first
// instance of the window's block, with one read shown.
inline ::testing::AssertionResult WatchFirstInstance(OnlineBench& bench, gui::StEditorWindow& window) {
    if (!bench.StartModules()) return ::testing::AssertionFailure() << "no soft module";
    if (!bench.Download()) return ::testing::AssertionFailure() << ::testing::PrintToString(bench.Lines());
    if (!bench.GoOnline()) return ::testing::AssertionFailure() << ::testing::PrintToString(bench.host.Messages());
    window.DebugModeChanged();
    if (window.instanceList()->count() < 2) return ::testing::AssertionFailure() << "no instance to choose";
    window.instanceList()->setCurrentIndex(1);
    Q_EMIT window.instanceList()->activated(1);
    if (!bench.Poll()) return ::testing::AssertionFailure() << "no read";
    window.LiveValuesChanged();
    return ::testing::AssertionSuccess();
}

}  // namespace pontra::test
