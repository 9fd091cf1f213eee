// SPDX-License-Identifier: GPL-3.0-or-later
// The "Test Results" dock: the project's scenario tests run from the window. The run is
// made ready on the GUI thread (files read, program built as a download builds it,
// tags bound) and then runs on a worker thread that holds only its own copies (the image,
// the bound scenarios), so the window stays live and the project may be edited meanwhile;
// each test is listed as it ends. A double-click on a row shows its line of the scenario
// file in the pane beside the list; a module fault's rung can be shown in the ladder
// editor; a build error leads to its output line. The rows and their places come from
// the core (TestResultRows); this dock only draws them.
#pragma once

#include <QDockWidget>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "scenario/TestResultRows.h"
#include "shell/OutputWindow.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pontra {
class CMainFrame;
}

namespace pontra::gui {

class TestResultsDock : public QDockWidget {
    Q_OBJECT
public:
    explicit TestResultsDock(CMainFrame& frame, QWidget* parent = nullptr);
    ~TestResultsDock() override;

    // Run Tests: the project's chosen scenario files (asked for the first time), made
    // ready and started. False when nothing started: cancelled, a run is going, or the
    // files or the program have errors (then listed).
    bool RunTests();
    // Choose Test Files...: asks for the files the project's runs take; false when
    // cancelled.
    bool ChooseFiles();
    bool Running() const { return worker_ != nullptr; }
    // The project was closed or replaced: a run stops, the rows go.
    void Clear();

    const scenario::TestResultRows& rows() const { return rows_; }
    QTreeWidget* list() const { return list_; }
    QTreeWidgetItem* itemOf(int row) const;
    QPlainTextEdit* source() const { return source_; }
    QLabel* sourceTitle() const { return sourceTitle_; }
    QLabel* summary() const { return summary_; }
    QPushButton* runAgainButton() const { return runAgain_; }
    QPushButton* goToRungButton() const { return goToRung_; }
    // What a double-click on row `row` does (the row becomes the current one).
    void ActivateRow(int row);
    // Shows the rung of the fault on row `row` in the ladder editor; false when it has none.
    bool GoToRung(int row);

Q_SIGNALS:
    // The Run Again button: the main window runs the command, so its rules apply.
    void runAgainRequested();
    // A run started or ended (command states change).
    void runningChanged();
    void outputLineRequested(int index);
    void rungRequested(const pontra::OutputJump& jump);

private:
    struct Worker;

    bool Start(const std::vector<std::string>& files);
    void Stop();
    void OnResult(uint64_t generation, const scenario::TestResult& result);
    void OnFinished(uint64_t generation);
    void Sync();
    void ClearList();
    void ShowSource(const std::string& path, const std::string& name, int line, int column);
    int RowOf(QTreeWidgetItem* item) const;
    void UpdateButtons();

    CMainFrame& frame_;
    scenario::TestResultRows rows_;
    std::vector<QTreeWidgetItem*> items_;  // per row
    std::unique_ptr<Worker> worker_;
    uint64_t generation_ = 0;
    bool grown_ = false;
    // The files of the last run, for an untitled project (whose choice is not kept).
    std::vector<std::string> lastFiles_;
    QLabel* summary_;
    QPushButton* runAgain_;
    QPushButton* goToRung_;
    QTreeWidget* list_;
    QLabel* sourceTitle_;
    QPlainTextEdit* source_;
};

}  // namespace pontra::gui
