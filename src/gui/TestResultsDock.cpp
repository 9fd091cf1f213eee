// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/TestResultsDock.h"

#include <QFile>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>

#include "files/ComponentFileText.h"
#include "gui/QtText.h"
#include "scenario/ScenarioFileChoice.h"
#include "scenario/ScenarioSuite.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

using scenario::RowKind;
using scenario::RowState;
using scenario::TestResultRow;

// What the worker thread owns: the prepared run and the flag that stops it.
struct TestResultsDock::Worker {
    scenario::PreparedTestRun run;
    std::atomic<bool> stop{false};
    std::thread thread;
};

namespace {

constexpr int kFirstHeight = 260;

QColor StateColour(RowState state) {
    switch (state) {
        case RowState::Passed: return QColor(0, 110, 0);
        case RowState::Failed: return QColor(180, 0, 0);
        case RowState::Error: return QColor(150, 60, 0);
        case RowState::Pending: break;
    }
    return QColor(90, 90, 90);
}

}  // namespace

TestResultsDock::TestResultsDock(CMainFrame& frame, QWidget* parent)
    : QDockWidget(QStringLiteral("Test Results"), parent), frame_(frame) {
    setObjectName(QStringLiteral("TestResultsDock"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* bar = new QHBoxLayout;
    summary_ = new QLabel(body);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    runAgain_ = new QPushButton(QStringLiteral("Run Again"), body);
    goToRung_ = new QPushButton(QStringLiteral("Go to Rung"), body);
    goToRung_->setToolTip(QStringLiteral("Show the rung where the module stopped in the ladder editor"));
    bar->addWidget(summary_, 1);
    bar->addWidget(goToRung_);
    bar->addWidget(runAgain_);
    layout->addLayout(bar);

    auto* split = new QSplitter(Qt::Horizontal, body);
    list_ = new QTreeWidget(split);
    list_->setHeaderHidden(true);
    list_->setUniformRowHeights(true);
    list_->setColumnCount(1);
    auto* pane = new QWidget(split);
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    sourceTitle_ = new QLabel(pane);
    source_ = new QPlainTextEdit(pane);
    source_->setReadOnly(true);
    source_->setLineWrapMode(QPlainTextEdit::NoWrap);
    source_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    source_->setPlaceholderText(QStringLiteral("Double-click a result to see its line of the scenario file here."));
    paneLayout->addWidget(sourceTitle_);
    paneLayout->addWidget(source_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    setWidget(body);

    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { ActivateRow(RowOf(item)); });
    connect(list_, &QTreeWidget::currentItemChanged, this, &TestResultsDock::UpdateButtons);
    connect(runAgain_, &QPushButton::clicked, this, &TestResultsDock::runAgainRequested);
    connect(goToRung_, &QPushButton::clicked, this, [this] { GoToRung(RowOf(list_->currentItem())); });
    UpdateButtons();
}

TestResultsDock::~TestResultsDock() {
    // The frame may already be gone: only the worker is ended here.
    if (worker_) {
        worker_->stop = true;
        if (worker_->thread.joinable()) worker_->thread.join();
    }
}

bool TestResultsDock::ChooseFiles() {
    scenario::ScenarioFileChoice choice(frame_.host(), frame_.doc().pathName);
    std::optional<std::vector<std::string>> files = choice.Choose();
    if (!files) return false;
    lastFiles_ = *files;
    return true;
}

bool TestResultsDock::RunTests() {
    if (Running() || frame_.testsRunning) return false;
    scenario::ScenarioFileChoice choice(frame_.host(), frame_.doc().pathName);
    std::vector<std::string> files = choice.Remembered();
    if (files.empty() && frame_.doc().pathName.empty()) files = lastFiles_;
    if (files.empty()) {
        std::optional<std::vector<std::string>> chosen = choice.Choose();
        if (!chosen) return false;
        files = *chosen;
    }
    lastFiles_ = files;
    return Start(files);
}

bool TestResultsDock::Start(const std::vector<std::string>& files) {
    show();
    raise();
    // The first run of a session makes room for a few results; later the person's size stays.
    if (auto* main = qobject_cast<QMainWindow*>(parentWidget()); main && !grown_) {
        grown_ = true;
        if (height() < kFirstHeight) main->resizeDocks({this}, {kFirstHeight}, Qt::Vertical);
    }
    source_->clear();
    sourceTitle_->clear();
    scenario::PreparedTestRun prepared = scenario::PrepareTestRun(frame_, files);
    rows_.Begin(prepared.files, prepared.TestCount());
    ClearList();
    if (!prepared.Ready()) {
        if (prepared.buildFailed) rows_.AddBuildFailure(frame_.output);
        rows_.AddErrors(prepared.errors);
        rows_.Finish();
        Sync();
        return false;
    }
    worker_ = std::make_unique<Worker>();
    worker_->run = std::move(prepared);
    Worker* worker = worker_.get();
    worker->run.module->SetStopFlag(&worker->stop);
    const uint64_t generation = ++generation_;
    frame_.testsRunning = true;
    Sync();
    worker->thread = std::thread([this, worker, generation] {
        // Only the worker's own copies are touched here; results go back as queued calls,
        // which are dropped if the dock is gone by then.
        try {
            worker->run.suite.Run(*worker->run.module, [this, generation](const scenario::TestResult& result) {
                QMetaObject::invokeMethod(
                    this, [this, generation, result] { OnResult(generation, result); }, Qt::QueuedConnection);
            });
        } catch (const std::exception&) {
            // Out of memory in a test: the run ends with what it has.
        }
        QMetaObject::invokeMethod(this, [this, generation] { OnFinished(generation); }, Qt::QueuedConnection);
    });
    Q_EMIT runningChanged();
    return true;
}

void TestResultsDock::Stop() {
    if (!worker_) return;
    worker_->stop = true;
    if (worker_->thread.joinable()) worker_->thread.join();
    worker_.reset();
    ++generation_;  // what the stopped run still posted is not listed
    frame_.testsRunning = false;
    rows_.Finish();
}

void TestResultsDock::Clear() {
    const bool wasRunning = Running();
    Stop();
    rows_ = scenario::TestResultRows();
    ClearList();
    lastFiles_.clear();
    source_->clear();
    sourceTitle_->clear();
    Sync();
    if (wasRunning) Q_EMIT runningChanged();
}

void TestResultsDock::OnResult(uint64_t generation, const scenario::TestResult& result) {
    if (generation != generation_) return;
    rows_.AddResult(result);
    Sync();
}

void TestResultsDock::OnFinished(uint64_t generation) {
    if (generation != generation_ || !worker_) return;
    if (worker_->thread.joinable()) worker_->thread.join();
    worker_.reset();
    frame_.testsRunning = false;
    rows_.Finish();
    Sync();
    Q_EMIT runningChanged();
}

void TestResultsDock::ClearList() {
    list_->clear();
    items_.clear();
}

void TestResultsDock::Sync() {
    // Rows are only added (or change state) during a run; a new run starts a new list.
    const auto& rows = rows_.Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const TestResultRow& row = rows[i];
        const bool added = i >= items_.size();
        QTreeWidgetItem* item = nullptr;
        if (added) {
            item = row.parent >= 0 && static_cast<size_t>(row.parent) < items_.size()
                       ? new QTreeWidgetItem(items_[static_cast<size_t>(row.parent)])
                       : new QTreeWidgetItem(list_);
            items_.push_back(item);
        } else {
            item = items_[i];
        }
        item->setText(0, ToQString(row.text));
        item->setForeground(0, StateColour(row.state));
        if (row.kind == RowKind::File || row.kind == RowKind::Test) {
            QFont font = item->font(0);
            font.setBold(row.kind == RowKind::File);
            item->setFont(0, font);
        }
        // Files and what failed open up; passed tests stay one line each.
        if (added && (row.kind == RowKind::File || row.state == RowState::Failed || row.state == RowState::Error))
            item->setExpanded(true);
        if (added && row.parent >= 0 && static_cast<size_t>(row.parent) < items_.size() &&
            row.state != RowState::Passed)
            items_[static_cast<size_t>(row.parent)]->setExpanded(true);
    }
    summary_->setText(ToQString(rows_.Summary()));
    QPalette palette = summary_->palette();
    const bool bad = rows_.FailedCount() > 0 || rows_.Summary().find("nothing ran") != std::string::npos;
    palette.setColor(QPalette::WindowText, rows_.Running() ? QColor(90, 90, 90)
                                           : bad           ? StateColour(RowState::Failed)
                                                           : StateColour(RowState::Passed));
    summary_->setPalette(palette);
    if (!items_.empty() && Running()) list_->scrollToItem(items_.back());
    UpdateButtons();
}

QTreeWidgetItem* TestResultsDock::itemOf(int row) const {
    return row >= 0 && static_cast<size_t>(row) < items_.size() ? items_[static_cast<size_t>(row)] : nullptr;
}

int TestResultsDock::RowOf(QTreeWidgetItem* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == item) return static_cast<int>(i);
    return -1;
}

void TestResultsDock::UpdateButtons() {
    runAgain_->setEnabled(!Running() && !frame_.testsRunning && frame_.HasProject());
    const int row = RowOf(list_->currentItem());
    bool rung = false;
    if (row >= 0 && static_cast<size_t>(row) < rows_.Rows().size()) {
        const TestResultRow& r = rows_.Rows()[static_cast<size_t>(row)];
        // Only a rung that a ladder editor can show (not a Structured Text block's).
        rung = r.faultRung > 0 &&
               scenario::FaultRungJump(frame_.project(), r.faultUnit, r.faultRung).kind != OutputJump::Kind::None;
    }
    goToRung_->setEnabled(rung);
}

void TestResultsDock::ActivateRow(int row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.Rows().size()) return;
    const TestResultRow& r = rows_.Rows()[static_cast<size_t>(row)];
    if (QTreeWidgetItem* item = itemOf(row); item && list_->currentItem() != item) list_->setCurrentItem(item);
    if (r.kind == RowKind::BuildError) {
        if (const int line = scenario::OutputLineOf(r, frame_.output); line >= 0) Q_EMIT outputLineRequested(line);
        return;
    }
    if (r.file.empty()) return;
    // The row's file is named as the run named it: the file row's text.
    int top = row;
    while (top >= 0 && rows_.Rows()[static_cast<size_t>(top)].parent >= 0)
        top = rows_.Rows()[static_cast<size_t>(top)].parent;
    ShowSource(r.file, rows_.Rows()[static_cast<size_t>(top)].text, r.line, r.column);
}

bool TestResultsDock::GoToRung(int row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.Rows().size()) return false;
    const TestResultRow& r = rows_.Rows()[static_cast<size_t>(row)];
    if (r.faultRung <= 0) return false;
    const OutputJump jump = scenario::FaultRungJump(frame_.project(), r.faultUnit, r.faultRung);
    if (jump.kind == OutputJump::Kind::None) return false;
    Q_EMIT rungRequested(jump);
    return true;
}

void TestResultsDock::ShowSource(const std::string& path, const std::string& name, int line, int column) {
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::ReadOnly) || file.size() > static_cast<qint64>(scenario::kMaxScenarioFileBytes)) {
        source_->clear();
        sourceTitle_->setText(ToQString(name) + QStringLiteral(": cannot be read"));
        return;
    }
    QByteArray bytes = file.readAll();
    bytes.replace("\r\n", "\n");
    // Decoded as the run read it; a file the run refused for its encoding shows as UTF-8.
    const ComponentFileText decoded =
        DecodeComponentFile(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    source_->setPlainText(decoded.errors.empty() ? ToQString(decoded.text) : QString::fromUtf8(bytes));
    QString title = ToQString(name);
    if (line > 0) title += QStringLiteral(", line %1").arg(line);
    if (line > 0 && column > 0) title += QStringLiteral(", column %1").arg(column);
    sourceTitle_->setText(title);
    if (line <= 0) return;
    const QTextBlock block = source_->document()->findBlockByNumber(line - 1);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    source_->setTextCursor(cursor);
    source_->centerCursor();
    // Again once the pane has its size (it may just have been shown).
    QTimer::singleShot(0, source_, [this] { source_->centerCursor(); });
}

}  // namespace pontra::gui
