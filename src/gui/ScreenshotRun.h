// SPDX-License-Identifier: GPL-3.0-or-later
// `pontra --screenshot`: opens a project, optionally goes online, opens the named
// windows, verifies so the output window has lines, optionally runs scenario tests (the
// results dock in front, the first failure's line shown), and renders the main window
// into an image file. Questions are answered Cancel/No; messages go to stderr.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace pontra::gui {

struct ScreenshotOptions {
    QString output;          // OUT.png
    QSize size{1280, 800};
    QStringList windows;     // window keys; the main program's ladder window when empty
    QString onlineAddress;   // go online to this module first (ports from the environment)
    QStringList trendTags;   // put on the trend (online: drawn over a few reads)
    QString project;         // FILE.clp; none: the window without a project
    QString settingsFile;    // empty: a private temporary settings file
    QStringList testFiles;   // run these scenario files first (Run Tests) and show the results
};

// Parses "WxH"; false when it is not two sizes 100-10000.
bool ParseScreenshotSize(const QString& text, QSize& size);

// Returns the exit status: 0 written, 1 the project, the module or the file failed.
int RunScreenshot(const ScreenshotOptions& options);

}  // namespace pontra::gui
