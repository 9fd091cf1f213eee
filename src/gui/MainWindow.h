// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the document area with tabbed windows, the menus and toolbar built
// from the core's command table, the instruction bar, project bar and output bar, the
// download bar and the status bar. Every command goes through the core (InvokeCommand);
// enabled and checked states are asked from the core whenever they may have changed.
#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>

#include "gui/DocumentView.h"
#include "model/InstructionBar.h"
#include "shell/FindInProgram.h"
#include "shell/CommandSet.h"
#include "shell/MainFrame.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;

namespace pontra::gui {

class DownloadBar;
class FindDialog;
class InstructionBarDock;
class CrossReferenceDock;
class OnlineStatusWidget;
class OutputDock;
class TrendDock;
class TestResultsDock;
class ProjectTreeDock;
class QtHost;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QtHost& host, QWidget* parent = nullptr);
    ~MainWindow() override;

    CMainFrame& frame() { return frame_; }
    QtHost& host() { return host_; }

    // The core's start-up with the project named on the command line (empty: none), the
    // saved layout, and the main program's window when a project opened.
    bool StartUp(const std::string& commandLineFile);

    // A command as the menus run it: through the core, then the front end's part
    // (dialogs), then every state refreshed. An exception is reported, never let out.
    CommandOutcome Run(Command command);
    CommandOutcome Run(Command command, const CommandTarget& target);
    QAction* action(Command command) const;
    // What the commands apply to now: the active window's target and where the focus is.
    CommandTarget Target() const;

    // Opens or activates the window of a key; null when the key names nothing.
    DocumentView* OpenDocument(const std::string& key);
    void CloseDocument(const std::string& key);
    // "Add to Trend" from a view: the trend dock comes to the front with the tag.
    // False when the tag cannot go on it.
    bool AddToTrend(const QString& tag);
    DocumentView* ActiveView() const;
    DocumentView* View(const std::string& key) const;
    std::vector<std::string> OpenKeys() const;
    // The title a window shows (the core's).
    QString TitleOf(const std::string& key) const;

    // Asks the core for every command's state and sets the actions.
    void RefreshCommandStates();
    // Re-reads everything the model shows: views, tree, bars, status bar, titles.
    void RefreshAll();
    // Double-click on output line `index`: opens the window the line leads to and selects.
    bool JumpToOutputLine(int index);

    QMdiArea* documentArea() const { return area_; }
    OutputDock* outputDock() const { return output_; }
    TestResultsDock* testResults() const { return tests_; }
    ProjectTreeDock* projectTree() const { return tree_; }
    InstructionBarDock* instructionBar() const { return instructions_; }
    DownloadBar* downloadBar() const { return download_; }
    FindDialog* findDialog() const { return find_; }
    OnlineStatusWidget* onlineStatus() const { return onlineStatus_; }
    TrendDock* trendDock() const { return trend_; }
    QToolBar* toolBar() const { return toolbar_; }
    QString StatusText() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Document {
        std::unique_ptr<DocumentView> view;
        QMdiSubWindow* window = nullptr;
    };

    void BuildActions();
    void ExportPdf();
    void BuildMenus();
    void BuildDocks();
    void ConnectHost();
    CommandOutcome RunFrontEnd(Command command, const CommandTarget& target);
    void AfterCommand(const CProject* projectBefore);
    void ApplyBars();
    void SyncBarsFromWidgets();
    void UpdateRecentFiles();
    void UpdateStatusBar();
    void UpdateWindowTitle();
    void SetTitle(const QString& key, const QString& title);
    void RenameDocument(const std::string& key, const std::string& newKey);
    void CloseAllDocuments();
    void OnCoreEvent();
    void OnInstructionButton(const BarButton& button);
    void OnFindNext(const FindOptions& options);
    void OnTreeCommand(Command command, const TreeItem& item);
    void SaveLayout();
    void RestoreLayout();
    void ScheduleRefresh();
    void ScheduleFullRefresh();

    QtHost& host_;
    CMainFrame frame_;
    QMdiArea* area_;
    std::map<Command, QAction*> actions_;
    QAction* exportPdf_ = nullptr;
    std::map<std::string, Document> documents_;
    std::map<std::string, QString> titles_;
    InstructionBarDock* instructions_ = nullptr;
    ProjectTreeDock* tree_ = nullptr;
    OutputDock* output_ = nullptr;
    CrossReferenceDock* xref_ = nullptr;
    TrendDock* trend_ = nullptr;
    TestResultsDock* tests_ = nullptr;
    OnlineStatusWidget* onlineStatus_ = nullptr;
    DownloadBar* download_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    FindDialog* find_ = nullptr;
    QLabel* statusProject_ = nullptr;
    QLabel* statusType_ = nullptr;
    QLabel* statusAddress_ = nullptr;
    QLabel* statusOnline_ = nullptr;
    // The window last brought to the front (the area reports none while the main window
    // itself is not active).
    QMdiSubWindow* front_ = nullptr;
    bool closeApproved_ = false;
    bool refreshPending_ = false;
    bool statesPending_ = false;
    bool applyingBars_ = false;
    int lastDebugMode_ = 0;
    uint64_t lastReads_ = 0;
};

}  // namespace pontra::gui
