// SPDX-License-Identifier: GPL-3.0-or-later
// The hub every command reaches: the open project (document, unit and type lists),
// the application-wide flags, and the host that connects the core to a person.
// Not a window: the GUI's main window owns one, pontra-cli and tests create their own.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "build/StandardLibrary.h"
#include "host/Host.h"
#include "model/Project.h"
#include "shell/OutputWindow.h"

namespace pontra {

class OnlineSession;

// The bars the View menu shows and hides; the download bar follows downloadInProgress.
struct BarVisibility {
    bool toolbar = true;
    bool statusBar = true;
    bool instructionBar = true;
    bool projectBar = true;
    bool outputBar = true;
};

class CMainFrame {
public:
    explicit CMainFrame(Host& host);
    ~CMainFrame();
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    Host& host() { return host_; }
    CProject& project() { return *project_; }
    const CProject& project() const { return *project_; }
    CVessaDoc& doc() { return project_->doc; }
    UnitList& units() { return project_->units; }
    TypeList& types() { return project_->types; }

    // Replaces the open project as a whole (the unit and type lists go with it).
    void SetProject(std::unique_ptr<CProject> project);
    // Whether a project is open. After CloseProject none is (the start without a file on
    // the command line, the Close command) until SetProject; project() then is an empty
    // stand-in that no command edits.
    bool HasProject() const { return projectOpen_; }
    void CloseProject();

    // Application-wide state (not saved).
    int debugMode = 0;               // non-zero while online in debug mode
    bool downloadInProgress = false;  // the download bar is visible
    bool testsRunning = false;        // a Run Tests run has not ended yet
    std::string tagViewSubject;      // what the tag editor shows; "TYPE" while a type is edited
    std::string statusSuffix;        // the module status shown in titles while online
    // Set by every reported compiler error; cleared when a verify, compile or import starts.
    bool compileError = false;
    // Saves write the file as it is: no time stamp, revision, backup or online checks.
    bool plainSave = false;
    // Set by the front end: editors commit pending edits into the model (before a save).
    std::function<void()> commitPendingEdits;
    // The function-block instance log: started by each verification's self-check and
    // written to "LogTags.txt" when the check fails.
    std::vector<std::string> verificationLog;

    // The shell's bars and the recent files (most recent first, at most four); restored
    // from the settings at start-up.
    BarVisibility bars;
    std::vector<std::string> recentFiles;

    OutputWindow output;
    // The standard functions and function blocks, created once with the frame.
    StandardLibrary standardLibrary;

    // Set while the program is verified when a Read Register instruction reads one of the
    // registers that need firmware 4.12 (10000-10030, 10100-10130; 10000-10200 on
    // VessaK2/K3-48V); cleared when a download starts.
    bool restrictedRead = false;

    // The online state: run state, status, online copy of tag memory, datagram channel,
    // register socket and the online timers (1-3), which the host delivers to OnTimer.
    OnlineSession& online() { return *online_; }
    const OnlineSession& online() const { return *online_; }
    void OnTimer(int id);

    // The refusal text of operations that cannot run online.
    static constexpr const char* kDebugModeRefusal = "This operation can't be use in Debug mode!";

    // Sets or clears the modified mark and refreshes the titles.
    void SetModified(bool modified);
    // Recomputes the window titles and hands them to the host.
    void UpdateTitles();

private:
    Host& host_;
    std::unique_ptr<CProject> project_;
    std::unique_ptr<OnlineSession> online_;
    bool projectOpen_ = true;
};

}  // namespace pontra
