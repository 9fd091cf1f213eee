// SPDX-License-Identifier: GPL-3.0-or-later
// The application's start and end, and what it keeps between runs: the four recent
// files and the bar layout in the per-user settings, the help file beside the program.
#pragma once

#include <string>

namespace pontra {

class CMainFrame;

// The settings store the host keeps the values below under.
constexpr const char* kSettingsKey = "Local AppWizard-Generated Applications";
// The bar layout: one value per bar, named as the View menu names it, "1" when visible.
constexpr const char* kBarStateSection = "BarStates\\BarState";
// The recent files: "File1" (most recent) to "File4".
constexpr const char* kRecentFileSection = "Recent File List";
constexpr int kRecentFileCount = 4;

// Start-up: restores the bars and the recent files, then opens the project file named
// on the command line. With no file named, no project is open; a file that cannot be
// read is reported and leaves none open. True unless a named file failed to open.
bool StartUp(CMainFrame& frame, const std::string& commandLineFile);

// Closing the main window (and Exit): ignored while a download runs; a modified project
// is offered for saving (Cancel keeps the window); then the bar layout is saved. True
// when the window may close.
bool CloseMainWindow(CMainFrame& frame);

// Help Topics: "Pontra.pdf" in the program's folder (a build tree), else the installed one
// in PROGRAM/../share/doc/pontra/, opened with the system's viewer. With neither, the path
// beside the program (the one the message names).
std::string HelpFilePath(const std::string& programFolder);
bool OpenHelpTopics(CMainFrame& frame);

// The recent files in the frame and in the settings. A path goes in as an absolute path
// at the top; the same path further down and a fifth entry drop out.
void LoadRecentFiles(CMainFrame& frame);
void AddRecentFile(CMainFrame& frame, const std::string& path);
void RemoveRecentFile(CMainFrame& frame, const std::string& path);

void LoadBarStates(CMainFrame& frame);
void SaveBarStates(CMainFrame& frame);

} // namespace pontra
