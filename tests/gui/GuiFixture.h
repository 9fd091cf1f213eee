// SPDX-License-Identifier: GPL-3.0-or-later
// A main window on its own settings file in a private folder, with the dialogs answered
// from a script, and small project builders for the GUI tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QString>
#include <memory>
#include <string>

#include "gui/MainWindow.h"
#include "gui/QtHost.h"
#include "host/ScriptedHost.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"
#include "support/TempDir.h"

namespace pontra::gui {

class GuiTest : public ::testing::Test {
public:
    // Lets queued work (deferred refreshes, window deletion) run.
    static void Settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }

protected:
    GuiTest() { StartWindow(); }
    ~GuiTest() override { StopWindow(); }

    // A window (and host) on the fixture's settings file, as a fresh start of the program.
    void StartWindow() {
        host = std::make_unique<QtHost>(QString::fromStdString(settingsFile()));
        host->SetScript(&script);
        window = std::make_unique<MainWindow>(*host);
    }
    // Ends the program as a person closing the window does (nothing unsaved is asked).
    void StopWindow() {
        if (!window) return;
        window->frame().SetModified(false);
        window->close();
        window.reset();
        host.reset();
        Settle();
    }
    std::string settingsFile() const { return dir.File("settings.ini"); }
    CMainFrame& frame() { return window->frame(); }

    // A project file saved through the core: a new project with the given function blocks.
    std::string MakeProject(const std::string& name) {
        ScriptedHost scripted;
        CMainFrame maker(scripted);
        NewDocument(maker);
        const std::string path = dir.File(name);
        EXPECT_TRUE(SaveDocumentTo(maker, path));
        return path;
    }

    std::string ActiveKey() {
        DocumentView* view = window->ActiveView();
        return view ? view->key() : std::string();
    }

    TempDir dir;
    HostScript script;
    std::unique_ptr<QtHost> host;
    std::unique_ptr<MainWindow> window;
};

}  // namespace pontra::gui
