// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/MainWindow.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <exception>

#include "gui/AboutDialog.h"
#include "gui/AddComponentDialog.h"
#include "gui/CommandKeys.h"
#include "gui/CrossReferenceDock.h"
#include "gui/DocumentFactory.h"
#include "gui/DownloadBar.h"
#include "gui/FindDialog.h"
#include "gui/InstructionBarDock.h"
#include "gui/LadderEditor.h"
#include "gui/ModuleListWindow.h"
#include "gui/OnlineStatusWidget.h"
#include "gui/OutputDock.h"
#include "gui/ProjectTreeDock.h"
#include "gui/QtHost.h"
#include "gui/QtText.h"
#include "gui/StEditorWindow.h"
#include "gui/TagEditor.h"
#include "gui/TestResultsDock.h"
#include "gui/TrendDock.h"
#include "model/Unit.h"
#include "online/OnlineSession.h"
#include "shell/AppShell.h"
#include "shell/CommandGuards.h"
#include "shell/LadderEditing.h"
#include "shell/LadderView.h"
#include "shell/Titles.h"

namespace pontra::gui {

namespace {

using C = Command;

constexpr int kLayoutVersion = 1;
constexpr const char* kGeometryKey = "Window/Geometry";
constexpr const char* kStateKey = "Window/State";
constexpr int kTrendHeight = 260;

struct MenuInfo {
    Place place;
    const char* title;
};
constexpr MenuInfo kMenus[] = {
    {kFileMenu, "&File"}, {kEditMenu, "&Edit"}, {kViewMenu, "&View"},
    {kControllerMenu, "&Controller/Logic"}, {kHelpMenu, "&Help"},
};

// Where a menu starts a new group.
bool SeparatorBefore(Command command) {
    switch (command) {
        case C::Print:
        case C::RecentFile1:
        case C::Exit:
        case C::Find:
        case C::ZoomIn:
        case C::DownloadProgram:
        case C::Debug:
        case C::ControllerProperties:
        case C::RunTests: return true;
        default: return false;
    }
}

QStyle::StandardPixmap ToolbarPixmap(Command command) {
    switch (command) {
        case C::New: return QStyle::SP_FileIcon;
        case C::Open: return QStyle::SP_DialogOpenButton;
        case C::Save: return QStyle::SP_DialogSaveButton;
        case C::Cut: return QStyle::SP_DialogDiscardButton;
        case C::Copy: return QStyle::SP_FileDialogContentsView;
        case C::Paste: return QStyle::SP_FileDialogDetailedView;
        case C::ZoomIn: return QStyle::SP_ArrowUp;
        case C::ZoomOut: return QStyle::SP_ArrowDown;
        case C::VerifyProgram: return QStyle::SP_DialogApplyButton;
        case C::MakeBinFile: return QStyle::SP_DriveHDIcon;
        case C::DownloadProgram: return QStyle::SP_ArrowDown;
        case C::DownloadProgramToModules: return QStyle::SP_DriveNetIcon;
        case C::ToggleDebug: return QStyle::SP_MediaSeekForward;
        case C::ProgramMode: return QStyle::SP_MediaStop;
        case C::RunMode: return QStyle::SP_MediaPlay;
        case C::ControllerProperties: return QStyle::SP_ComputerIcon;
        default: return QStyle::SP_CustomBase;
    }
}

// Commands after which the model may differ from what the views show.
bool MayChangeModel(Command command) {
    switch (command) {
        case C::Copy:
        case C::Find:
        case C::About:
        case C::HelpTopics:
        case C::Print:
        case C::PrintPreview:
        case C::PrintSetup:
        case C::Export:
        case C::ViewToolbar:
        case C::ViewStatusBar:
        case C::ViewInstructionBar:
        case C::ViewProjectBar:
        case C::ViewOutputBar: return false;
        default: return true;
    }
}

bool IsTextInput(QWidget* widget) {
    if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget)) return true;
    if (auto* text = qobject_cast<QTextEdit*>(widget)) return !text->isReadOnly();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return !plain->isReadOnly();
    return false;
}

std::string Key(const QString& key) { return FromQString(key).value_or(std::string()); }

}  // namespace

MainWindow::MainWindow(QtHost& host, QWidget* parent)
    : QMainWindow(parent), host_(host), frame_(host), area_(new QMdiArea) {
    setObjectName("MainWindow");
    setWindowTitle("Pontra");
    host_.SetDialogParent(this);
    frame_.commitPendingEdits = [this] {
        for (auto& [key, document] : documents_) document.view->CommitPendingEdits();
    };
    area_->setViewMode(QMdiArea::TabbedView);
    area_->setTabsClosable(true);
    area_->setTabsMovable(true);
    area_->setDocumentMode(true);
    setCentralWidget(area_);
    BuildActions();
    BuildMenus();
    BuildDocks();
    ConnectHost();
    connect(area_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (window) front_ = window;
        ScheduleRefresh();
    });
    connect(qApp, &QApplication::focusChanged, this, [this] { ScheduleRefresh(); });
    resize(1280, 800);
    RefreshAll();
}

MainWindow::~MainWindow() {
    // The core may still talk to the host while it goes; nothing reaches this window then.
    disconnect(&host_, nullptr, this, nullptr);
    host_.SetDialogParent(nullptr);
    for (auto& [key, document] : documents_) document.view.reset();
    documents_.clear();
}

void MainWindow::BuildActions() {
    for (const CommandInfo& info : CommandTable()) {
        const bool inMenus = info.places & (kFileMenu | kEditMenu | kViewMenu | kControllerMenu | kHelpMenu | kToolbar);
        if (!inMenus) continue;
        auto* action = new QAction(ToQString(info.text), this);
        action->setShortcuts(ShortcutsOf(info));
        action->setShortcutContext(Qt::WindowShortcut);
        const bool checkable = info.command == C::ViewToolbar || info.command == C::ViewStatusBar ||
                               info.command == C::ViewInstructionBar || info.command == C::ViewProjectBar ||
                               info.command == C::ViewOutputBar;
        action->setCheckable(checkable);
        if (ToolbarPixmap(info.command) != QStyle::SP_CustomBase)
            action->setIcon(style()->standardIcon(ToolbarPixmap(info.command)));
        const Command command = info.command;
        connect(action, &QAction::triggered, this, [this, command] { Run(command); });
        addAction(action);
        actions_[command] = action;
    }
    // "Export as PDF..." of the active ladder unit: the front end's own, beside Print.
    exportPdf_ = new QAction("Export as PDF...", this);
    connect(exportPdf_, &QAction::triggered, this, &MainWindow::ExportPdf);
}

void MainWindow::ExportPdf() {
    auto* ladder = dynamic_cast<LadderEditor*>(ActiveView());
    if (!ladder || frame_.downloadInProgress) return;
    FileDialogRequest request;
    request.save = true;
    request.defaultExtension = ".pdf";
    request.filter = "PDF Files (*.pdf) | *.pdf||";
    const std::optional<std::string> path = host_.ChooseFile(request);
    if (!path) return;
    QString error;
    if (!ladder->ExportPdf(QString::fromStdString(*path), &error))
        host_.Message("Export as PDF Error! " + FromQString(error).value_or(std::string()));
}

void MainWindow::BuildMenus() {
    for (const MenuInfo& menuInfo : kMenus) {
        QMenu* menu = menuBar()->addMenu(menuInfo.title);
        // The states are asked again as the menu opens.
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::RefreshCommandStates);
        bool first = true;
        for (const CommandInfo& info : CommandTable()) {
            if (!(info.places & menuInfo.place)) continue;
            if (!first && SeparatorBefore(info.command)) menu->addSeparator();
            menu->addAction(actions_.at(info.command));
            if (info.command == C::PrintPreview) menu->addAction(exportPdf_);
            first = false;
        }
    }
    toolbar_ = addToolBar("Toolbar");
    toolbar_->setObjectName("Toolbar");
    toolbar_->setIconSize(QSize(20, 20));
    toolbar_->toggleViewAction()->setVisible(false);
    bool first = true;
    for (const CommandInfo& info : CommandTable()) {
        if (!(info.places & kToolbar)) continue;
        if (!first && (info.command == C::Cut || info.command == C::ZoomIn || info.command == C::VerifyProgram ||
                       info.command == C::ToggleDebug))
            toolbar_->addSeparator();
        toolbar_->addAction(actions_.at(info.command));
        first = false;
    }
}

void MainWindow::BuildDocks() {
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    addToolBarBreak();
    download_ = new DownloadBar(this);
    addToolBar(Qt::TopToolBarArea, download_);

    instructions_ = new InstructionBarDock(this);
    addDockWidget(Qt::TopDockWidgetArea, instructions_);
    tree_ = new ProjectTreeDock(frame_, this);
    addDockWidget(Qt::LeftDockWidgetArea, tree_);
    output_ = new OutputDock(frame_.output, this);
    addDockWidget(Qt::BottomDockWidgetArea, output_);
    resizeDocks({tree_}, {260}, Qt::Horizontal);
    resizeDocks({output_}, {160}, Qt::Vertical);
    for (QDockWidget* dock : {static_cast<QDockWidget*>(instructions_), static_cast<QDockWidget*>(tree_),
                              static_cast<QDockWidget*>(output_)}) {
        dock->toggleViewAction()->setVisible(false);
        connect(dock, &QDockWidget::visibilityChanged, this, &MainWindow::SyncBarsFromWidgets);
    }
    connect(instructions_, &InstructionBarDock::buttonPressed, this, &MainWindow::OnInstructionButton);
    connect(output_, &OutputDock::lineActivated, this, &MainWindow::JumpToOutputLine);
    connect(tree_, &ProjectTreeDock::commandRequested, this, &MainWindow::OnTreeCommand);
    connect(tree_, &ProjectTreeDock::projectChanged, this, [this] {
        RefreshAll();
        for (auto& [key, document] : documents_) document.view->ModelChanged();
    });

    xref_ = new CrossReferenceDock(frame_, this);
    addDockWidget(Qt::BottomDockWidgetArea, xref_);
    tabifyDockWidget(output_, xref_);
    output_->raise();
    connect(xref_, &CrossReferenceDock::useActivated, this, [this](const OutputJump& jump) {
        const std::string key = jump.unit ? "fb:" + jump.unit->name + ":routine" : "main";
        if (DocumentView* view = OpenDocument(key)) view->ShowJump(jump);
    });

    trend_ = new TrendDock(frame_, this);
    addDockWidget(Qt::BottomDockWidgetArea, trend_);
    tabifyDockWidget(output_, trend_);
    output_->raise();

    tests_ = new TestResultsDock(frame_, this);
    addDockWidget(Qt::BottomDockWidgetArea, tests_);
    tabifyDockWidget(output_, tests_);
    output_->raise();
    connect(tests_, &TestResultsDock::runAgainRequested, this, [this] { Run(C::RunTests); });
    connect(tests_, &TestResultsDock::runningChanged, this, &MainWindow::RefreshCommandStates);
    connect(tests_, &TestResultsDock::outputLineRequested, this, [this](int line) {
        output_->show();
        output_->raise();
        JumpToOutputLine(line);
    });
    connect(tests_, &TestResultsDock::rungRequested, this, [this](const OutputJump& jump) {
        const std::string key = jump.unit ? "fb:" + jump.unit->name + ":routine" : "main";
        if (DocumentView* view = OpenDocument(key)) view->ShowJump(jump);
    });

    find_ = new FindDialog(this);
    connect(find_, &FindDialog::findNext, this, &MainWindow::OnFindNext);

    statusProject_ = new QLabel;
    statusType_ = new QLabel;
    statusAddress_ = new QLabel;
    statusOnline_ = new QLabel;
    // The path gives way first when the online fields need the room.
    statusProject_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(statusProject_, 1);
    for (QLabel* label : {statusType_, statusAddress_, statusOnline_}) statusBar()->addPermanentWidget(label);
    // Online: run state, task time and load, runtime error, data-valid age, a silent module.
    onlineStatus_ = new OnlineStatusWidget;
    onlineStatus_->SetAddressShown(false);  // the module address has its own field
    statusBar()->addPermanentWidget(onlineStatus_);
    onlineStatus_->Track(frame_);
}

void MainWindow::ConnectHost() {
    connect(&host_, &QtHost::titleChanged, this, &MainWindow::SetTitle);
    connect(&host_, &QtHost::outputLineAdded, this, [this] { output_->Sync(); });
    connect(&host_, &QtHost::repaintRequested, this, &MainWindow::ScheduleFullRefresh);
    connect(&host_, &QtHost::openWindowRequested, this, [this](const QString& key) { OpenDocument(Key(key)); });
    connect(&host_, &QtHost::closeWindowRequested, this, [this](const QString& key) { CloseDocument(Key(key)); });
    connect(&host_, &QtHost::renameWindowRequested, this,
            [this](const QString& key, const QString& newKey) { RenameDocument(Key(key), Key(newKey)); });
    connect(&host_, &QtHost::progressShown, this, [this](const QString& caption, bool visible) {
        download_->ShowProgress(caption, visible);
        ScheduleFullRefresh();
    });
    connect(&host_, &QtHost::progressSet, download_, &DownloadBar::SetProgress);
    connect(&host_, &QtHost::coreEventHandled, this, &MainWindow::OnCoreEvent);
}

bool MainWindow::StartUp(const std::string& commandLineFile) {
    RestoreLayout();
    const bool opened = ::pontra::StartUp(frame_, commandLineFile);
    ApplyBars();
    if (frame_.HasProject()) OpenDocument("main");
    RefreshAll();
    return opened;
}

QAction* MainWindow::action(Command command) const {
    auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

CommandTarget MainWindow::Target() const {
    CommandTarget target;
    DocumentView* view = ActiveView();
    if (view) view->FillCommandTarget(target);
    // A text field outside the view (a tree item's name being edited) takes the Edit
    // commands as its own.
    QWidget* focus = QApplication::focusWidget();
    if (focus && IsTextInput(focus) && !(view && view->widget()->isAncestorOf(focus))) target.focusInView = false;
    return target;
}

CommandOutcome MainWindow::Run(Command command) { return Run(command, Target()); }

CommandOutcome MainWindow::Run(Command command, const CommandTarget& target) {
    const CProject* before = &frame_.project();
    CommandOutcome outcome = CommandOutcome::NotDone;
    try {
        outcome = InvokeCommand(frame_, command, target);
        if (outcome == CommandOutcome::FrontEnd) outcome = RunFrontEnd(command, target);
        if (outcome == CommandOutcome::PassToFocus) {
            static const std::map<Command, const char*> kSlots = {
                {C::Undo, "undo"}, {C::Cut, "cut"}, {C::Copy, "copy"}, {C::Paste, "paste"}};
            if (QWidget* focus = QApplication::focusWidget(); focus && kSlots.contains(command))
                QMetaObject::invokeMethod(focus, kSlots.at(command));
        }
    } catch (const std::exception& error) {
        host_.Message(std::string("The command stopped on an unexpected error: ") + error.what());
        outcome = CommandOutcome::NotDone;
    }
    AfterCommand(before);
    if (outcome == CommandOutcome::Done && MayChangeModel(command))
        for (auto& [key, document] : documents_) document.view->ModelChanged();
    if (command == C::Exit && outcome == CommandOutcome::Done) {
        closeApproved_ = true;
        close();
    }
    return outcome;
}

CommandOutcome MainWindow::RunFrontEnd(Command command, const CommandTarget& target) {
    switch (command) {
        case C::Find: {
            if (auto* text = dynamic_cast<StEditorWindow*>(ActiveView()); text && target.text) {
                text->ShowFind();
                return CommandOutcome::Done;
            }
            LadderView* ladder = target.text ? nullptr : target.ladder;
            if (!ladder) return CommandOutcome::NotDone;
            find_->ShowOptions(ladder->findOptions);
            find_->show();
            find_->raise();
            find_->activateWindow();
            find_->textEdit()->setFocus();
            find_->textEdit()->selectAll();
            return CommandOutcome::Done;
        }
        case C::About: {
            AboutDialog about(this);
            about.exec();
            return CommandOutcome::Done;
        }
        case C::AddComponent: {
            const bool type = target.treeItem && target.treeItem->role == TreeRole::UserDefined;
            AddComponentDialog dialog(type ? ComponentType::Type : ComponentType::FunctionBlock, this);
            if (dialog.exec() != QDialog::Accepted) return CommandOutcome::NotDone;
            const std::optional<AddComponentRequest> request = dialog.Request();
            if (!request) {
                host_.Message("The name holds a character that a project cannot hold.");
                return CommandOutcome::NotDone;
            }
            return AddComponent(frame_, *request) ? CommandOutcome::Done : CommandOutcome::NotDone;
        }
        case C::Print:
        case C::PrintPreview: {
            DocumentView* view = ActiveView();
            return view && view->Print(command == C::PrintPreview) ? CommandOutcome::Done : CommandOutcome::NotDone;
        }
        case C::DownloadProgramToModules: {
            // The list dialog starts the download and shows each module's result as it ends.
            ModuleListWindow list(frame_, this);
            list.exec();
            return CommandOutcome::Done;
        }
        case C::RunTests: return tests_->RunTests() ? CommandOutcome::Done : CommandOutcome::NotDone;
        case C::ChooseTestFiles: return tests_->ChooseFiles() ? CommandOutcome::Done : CommandOutcome::NotDone;
        case C::EditElement:
        case C::EditRungComment:
        case C::AddRung:
            // The ladder editor opens its in-place editors (or adds the rung) itself.
            if (auto* ladder = dynamic_cast<LadderEditor*>(ActiveView())) return ladder->Invoke(command);
            return CommandOutcome::NotDone;
        default:
            // The write dialog belongs to the views that offer it in their context menus.
            return CommandOutcome::NotDone;
    }
}

void MainWindow::AfterCommand(const CProject* projectBefore) {
    // A new, opened or closed project: the windows of the previous one go.
    if (&frame_.project() != projectBefore || !frame_.HasProject()) {
        CloseAllDocuments();
        xref_->Clear();
        tests_->Clear();
        trend_->Reset();
        if (frame_.HasProject()) OpenDocument("main");
    }
    RefreshAll();
}

DocumentView* MainWindow::OpenDocument(const std::string& key) {
    if (auto it = documents_.find(key); it != documents_.end()) {
        if (it->second.window->isMinimized()) it->second.window->showNormal();
        area_->setActiveSubWindow(it->second.window);
        front_ = it->second.window;
        return it->second.view.get();
    }
    std::unique_ptr<DocumentView> view = CreateDocumentView(frame_, key, nullptr);
    if (!view) return nullptr;
    QMdiSubWindow* window = area_->addSubWindow(view->widget());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWindowTitle(TitleOf(key));
    window->installEventFilter(this);
    if (auto* ladder = dynamic_cast<LadderEditor*>(view.get())) {
        connect(ladder, &LadderEditor::edited, this, &MainWindow::RefreshAll);
        connect(ladder, &LadderEditor::selectionChanged, this, &MainWindow::ScheduleRefresh);
        connect(ladder, &LadderEditor::addToTrendRequested, this, &MainWindow::AddToTrend);
    }
    if (auto* tags = dynamic_cast<TagEditor*>(view.get())) {
        // A tag edit may rebuild members that other views point into: every view re-reads.
        connect(tags, &TagEditor::projectEdited, this, [this] {
            for (auto& [other, document] : documents_) document.view->ModelChanged();
            RefreshAll();
        });
        connect(tags, &TagEditor::addToTrendRequested, this, &MainWindow::AddToTrend);
        connect(tags, &TagEditor::crossReferenceRequested, this, [this](CUnit* unit, const QString& tag) {
            xref_->show();
            xref_->raise();
            xref_->ShowUses(unit, tag);
        });
    }
    DocumentView* shown = view.get();
    documents_[key] = Document{std::move(view), window};
    // Tabbed documents fill the area; as windows they open at their own size.
    if (area_->viewMode() == QMdiArea::TabbedView) window->showMaximized();
    else window->show();
    area_->setActiveSubWindow(window);
    front_ = window;
    ScheduleRefresh();
    return shown;
}

bool MainWindow::AddToTrend(const QString& tag) {
    trend_->show();
    trend_->raise();
    // Tall enough for a value axis and a few BOOL lanes.
    if (trend_->height() < kTrendHeight) resizeDocks({trend_}, {kTrendHeight}, Qt::Vertical);
    const std::optional<std::string> name = FromQString(tag);
    return name && trend_->AddTag(*name);
}

void MainWindow::CloseDocument(const std::string& key) {
    auto it = documents_.find(key);
    if (it == documents_.end()) return;
    DocumentView* view = it->second.view.release();
    QMdiSubWindow* window = it->second.window;
    documents_.erase(it);
    // Out of the area at once (the unit it shows may be about to go); the view, then its
    // window, are deleted once the current event is done with them.
    window->removeEventFilter(this);
    if (front_ == window) front_ = nullptr;
    area_->removeSubWindow(window);
    window->hide();
    QTimer::singleShot(0, window, [view, window] {
        delete view;
        window->deleteLater();
    });
    ScheduleRefresh();
}

void MainWindow::CloseAllDocuments() {
    for (const std::string& key : OpenKeys()) CloseDocument(key);
}

void MainWindow::RenameDocument(const std::string& key, const std::string& newKey) {
    auto it = documents_.find(key);
    if (it == documents_.end() || documents_.contains(newKey)) return;
    Document document = std::move(it->second);
    documents_.erase(it);
    document.window->setWindowTitle(TitleOf(newKey));
    documents_[newKey] = std::move(document);
}

DocumentView* MainWindow::ActiveView() const {
    QMdiSubWindow* active = area_->activeSubWindow();
    if (!active) active = front_;
    if (!active) active = area_->currentSubWindow();
    for (const auto& [key, document] : documents_)
        if (document.window == active) return document.view.get();
    return nullptr;
}

DocumentView* MainWindow::View(const std::string& key) const {
    auto it = documents_.find(key);
    return it == documents_.end() ? nullptr : it->second.view.get();
}

std::vector<std::string> MainWindow::OpenKeys() const {
    std::vector<std::string> keys;
    for (const auto& [key, document] : documents_) keys.push_back(key);
    return keys;
}

QString MainWindow::TitleOf(const std::string& key) const {
    TitleState state;
    state.online = frame_.debugMode != 0;
    state.statusSuffix = frame_.statusSuffix;
    const std::map<std::string, std::string> titles = WindowTitles(frame_.project(), state);
    auto it = titles.find(key);
    return it == titles.end() ? ToQString(key) : ToQString(it->second);
}

void MainWindow::SetTitle(const QString& key, const QString& title) {
    const std::string window = Key(key);
    titles_[window] = title;
    if (auto it = documents_.find(window); it != documents_.end()) it->second.window->setWindowTitle(title);
    if (window == "main") UpdateWindowTitle();
}

void MainWindow::UpdateWindowTitle() {
    if (!frame_.HasProject()) {
        setWindowTitle("Pontra");
        return;
    }
    setWindowTitle("Pontra - " + TitleOf("main"));
}

void MainWindow::RefreshCommandStates() {
    const CommandTarget target = Target();
    for (auto& [command, action] : actions_) {
        const CommandState state = CommandStateOf(frame_, command, target);
        // What a running download would ignore is shown greyed until it ends.
        action->setEnabled(state.enabled && PassesBusyGuard(frame_, command));
        if (action->isCheckable()) action->setChecked(state.checked);
    }
    exportPdf_->setEnabled(dynamic_cast<LadderEditor*>(ActiveView()) && !frame_.downloadInProgress);
}

void MainWindow::RefreshAll() {
    refreshPending_ = false;
    UpdateRecentFiles();
    tree_->Rebuild();
    instructions_->ShowType(frame_.HasProject() ? frame_.doc().controllerType : "Vessa");
    output_->Sync();
    ApplyBars();
    UpdateStatusBar();
    UpdateWindowTitle();
    for (auto& [key, document] : documents_) document.window->setWindowTitle(TitleOf(key));
    RefreshCommandStates();
}

void MainWindow::ScheduleFullRefresh() {
    if (refreshPending_) return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (refreshPending_) RefreshAll();
    });
}

void MainWindow::ScheduleRefresh() {
    // Focus and window changes only change what the commands apply to.
    if (statesPending_) return;
    statesPending_ = true;
    QTimer::singleShot(0, this, [this] {
        statesPending_ = false;
        UpdateStatusBar();
        UpdateWindowTitle();
        RefreshCommandStates();
    });
}

void MainWindow::OnCoreEvent() {
    if (frame_.debugMode != lastDebugMode_) {
        lastDebugMode_ = frame_.debugMode;
        for (auto& [key, document] : documents_) document.view->DebugModeChanged();
    }
    if (frame_.online().CompleteReads() != lastReads_) {
        lastReads_ = frame_.online().CompleteReads();
        for (auto& [key, document] : documents_) document.view->LiveValuesChanged();
        trend_->Refresh();
    }
    UpdateStatusBar();
    RefreshCommandStates();
}

void MainWindow::ApplyBars() {
    applyingBars_ = true;
    toolbar_->setVisible(frame_.bars.toolbar);
    statusBar()->setVisible(frame_.bars.statusBar);
    instructions_->setVisible(frame_.bars.instructionBar);
    tree_->setVisible(frame_.bars.projectBar);
    output_->setVisible(frame_.bars.outputBar);
    applyingBars_ = false;
}

void MainWindow::SyncBarsFromWidgets() {
    if (applyingBars_) return;
    frame_.bars.instructionBar = !instructions_->isHidden();
    frame_.bars.projectBar = !tree_->isHidden();
    frame_.bars.outputBar = !output_->isHidden();
    ScheduleRefresh();
}

void MainWindow::UpdateRecentFiles() {
    for (size_t i = 0; i < kRecentFileCommands.size(); ++i) {
        QAction* entry = actions_.at(kRecentFileCommands[i]);
        const bool known = i < frame_.recentFiles.size();
        entry->setText(known ? QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(frame_.recentFiles[i]))
                             : QString("Recent File"));
        entry->setVisible(known || i == 0);
    }
}

void MainWindow::UpdateStatusBar() {
    if (!frame_.HasProject()) {
        statusProject_->setText("No project");
        statusType_->clear();
        statusAddress_->clear();
    } else {
        const CVessaDoc& doc = frame_.doc();
        statusProject_->setText(doc.pathName.empty() ? QString("Untitled") : QString::fromStdString(doc.pathName));
        statusProject_->setToolTip(statusProject_->text());
        statusType_->setText(ToQString(doc.controllerType));
        statusAddress_->setText("Module " + ToQString(doc.moduleAddressText));
    }
    statusOnline_->setText(frame_.debugMode ? QString("Online") : QString("Offline"));
    onlineStatus_->Refresh(frame_);
}

bool MainWindow::JumpToOutputLine(int index) {
    if (index < 0) return false;
    const OutputJump jump = frame_.output.JumpToOutputLine(frame_.project(), static_cast<size_t>(index));
    if (jump.kind == OutputJump::Kind::None) return false;
    const std::string key = jump.unit ? "fb:" + jump.unit->name + ":routine" : "main";
    DocumentView* view = OpenDocument(key);
    return view && view->ShowJump(jump);
}

void MainWindow::OnInstructionButton(const BarButton& button) {
    const CommandTarget target = Target();
    LadderView* ladder = target.text ? nullptr : target.ladder;
    if (!ladder) return;
    try {
        if (PressInstructionButton(*ladder, button))
            if (DocumentView* view = ActiveView()) view->ModelChanged();
    } catch (const std::exception& error) {
        host_.Message(std::string("The command stopped on an unexpected error: ") + error.what());
    }
    RefreshAll();
}

void MainWindow::OnFindNext(const FindOptions& options) {
    const CommandTarget target = Target();
    LadderView* ladder = target.text ? nullptr : target.ladder;
    if (!ladder) return;
    ladder->findOptions = options;
    if (CElement* found = FindNext(*ladder, options)) {
        OutputJump place;
        place.kind = OutputJump::Kind::LadderElement;
        place.unit = ladder->unit();
        place.rung = ladder->currentRung;
        place.element = found;
        if (DocumentView* view = ActiveView()) view->ShowJump(place);
    }
    RefreshCommandStates();
}

void MainWindow::OnTreeCommand(Command command, const TreeItem& item) {
    // The tree is rebuilt after the command: the item travels as a copy.
    const TreeItem copy = item;
    CommandTarget target = Target();
    target.treeItem = &copy;
    Run(command, target);
}

void MainWindow::SaveLayout() {
    QSettings& settings = host_.settings();
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kStateKey, saveState(kLayoutVersion));
    settings.sync();
}

void MainWindow::RestoreLayout() {
    QSettings& settings = host_.settings();
    // A layout that does not restore leaves the default one.
    restoreGeometry(settings.value(kGeometryKey).toByteArray());
    restoreState(settings.value(kStateKey).toByteArray(), kLayoutVersion);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    bool mayClose = closeApproved_;
    try {
        mayClose = mayClose || CloseMainWindow(frame_);
    } catch (const std::exception& error) {
        host_.Message(std::string("The command stopped on an unexpected error: ") + error.what());
    }
    closeApproved_ = false;
    if (!mayClose) {
        event->ignore();
        RefreshAll();
        return;
    }
    SaveLayout();
    find_->hide();
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
        for (const auto& [key, document] : documents_) {
            if (document.window != watched) continue;
            document.view->CommitPendingEdits();
            event->accept();
            const std::string closing = key;
            CloseDocument(closing);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace pontra::gui
