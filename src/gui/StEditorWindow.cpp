// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/StEditorWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/CommandKeys.h"
#include "gui/QtText.h"
#include "gui/StDebugPane.h"
#include "gui/StFindBar.h"
#include "gui/StTextEdit.h"
#include "gui/WriteTagDialog.h"
#include "model/Types.h"
#include "online/LiveWrites.h"
#include "online/OnlineSession.h"
#include "shell/CommandSet.h"
#include "shell/CommandTable.h"
#include "shell/MainFrame.h"
#include "shell/StEditor.h"

namespace pontra::gui {

namespace {

constexpr const char* kNoInstance = "(none)";

}  // namespace

std::optional<std::string> StEditorWindow::SessionValues::LiveValueText(const CTag& variable,
                                                                         int instanceBase) const {
    const std::optional<int32_t> value = frame_.online().LiveValue(variable, instanceBase);
    if (!value) return std::nullopt;
    return std::to_string(*value);
}

StEditorWindow::StEditorWindow(CMainFrame& frame, CUnit& unit, QWidget* parent)
    : QWidget(parent), frame_(frame), unit_(unit), values_(frame) {
    core_ = std::make_unique<StEditor>(frame_, unit_);
    core_->SetLiveValues(&values_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QWidget(this);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    barLayout->setSpacing(2);
    const std::pair<const char*, StatementTemplate> templates[] = {{"IF", StatementTemplate::If},
                                                                   {"ELSIF", StatementTemplate::Elsif},
                                                                   {"CASE", StatementTemplate::Case},
                                                                   {"FOR", StatementTemplate::For}};
    for (const auto& [name, kind] : templates) {
        auto* button = new QToolButton(bar);
        button->setText(name);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        connect(button, &QToolButton::clicked, this, [this, kind = kind] {
            core_->InsertTemplate(kind);
            text_->ShowCore();
            text_->setFocus();
        });
        barLayout->addWidget(button);
        templateButtons_.push_back(button);
    }
    barLayout->addStretch(1);
    instanceLabel_ = new QLabel("Instance:", bar);
    instances_ = new QComboBox(bar);
    instances_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    barLayout->addWidget(instanceLabel_);
    barLayout->addWidget(instances_);
    connect(instances_, &QComboBox::activated, this, [this](int index) { ChooseInstance(index); });
    layout->addWidget(bar);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    text_ = new StTextEdit(frame_, *core_, splitter_);
    pane_ = new StDebugPane(frame_, unit_, splitter_);
    splitter_->addWidget(text_);
    splitter_->addWidget(pane_);
    splitter_->setStretchFactor(0, 3);
    splitter_->setStretchFactor(1, 1);
    splitter_->setCollapsible(0, false);

    find_ = new StFindBar(*text_, this);
    find_->hide();
    layout->addWidget(find_);
    layout->addWidget(splitter_, 1);

    // The pane's commands: a context menu, a double-click (a BOOL toggles, any other
    // value opens Write Tag) and the table's keys.
    pane_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pane_, &QWidget::customContextMenuRequested, this, &StEditorWindow::ShowDebugMenu);
    connect(pane_, &QTreeWidget::itemDoubleClicked, this, [this] {
        const CTag* tag = DebugViewVariable(frame_, &unit_, pane_->SelectedName());
        if (tag) InvokeDebugCommand(tag->dataType == "BOOL" ? Command::ToggleBit : Command::WriteValue);
    });
    pane_->installEventFilter(this);

    connect(text_, &StTextEdit::findRequested, this, [this] { ShowFind(); });
    connect(text_, &StTextEdit::findNextRequested, this, [this] { FindNext(); });
    // The pane follows the editor's scrolling while online.
    connect(text_, &StTextEdit::firstLineChanged, this, [this](int line) {
        if (frame_.debugMode) pane_->FollowEditor(line);
    });

    setFocusProxy(text_);
    DebugModeChanged();
    text_->SetErrorLines(ErrorLines());
}

StEditorWindow::~StEditorWindow() = default;

std::string StEditorWindow::key() const {
    return "fb:" + unit_.name + ":routine";
}

void StEditorWindow::FillCommandTarget(CommandTarget& target) {
    target.text = core_.get();
    target.debugViewFocused = pane_->hasFocus();
    target.debugViewUnit = &unit_;
    target.debugViewSelection = pane_->SelectedName();
}

void StEditorWindow::ModelChanged() {
    // A command may have edited the text through the core (Undo, Cut, Paste) or replaced
    // the unit's lines; the colours and the selection are brought up to date either way.
    const auto [start, end] = core_->Selection();
    core_->SetSelection(start, end);
    core_->Recolour();
    text_->ShowCore();
    text_->SetErrorLines(ErrorLines());
    FillInstances();
    pane_->Refresh();
}

std::vector<int> StEditorWindow::ErrorLines() const {
    std::vector<int> lines;
    const auto& output = frame_.output.Lines();
    for (size_t i = 0; i < output.size(); ++i) {
        if (!output[i].text.starts_with("Error at line")) continue;
        const OutputJump jump = frame_.output.JumpToOutputLine(frame_.project(), i);
        if (jump.kind == OutputJump::Kind::TextLine && jump.unit == &unit_ && jump.line > 0)
            lines.push_back(jump.line);
    }
    return lines;
}

void StEditorWindow::FillInstances() {
    std::vector<int> addresses;
    QStringList names;
    for (const TagList* list : {&frame_.doc().tags, &frame_.doc().controllerTags})
        for (const auto& tag : *list)
            if (tag->dataType == unit_.name) {
                names.append(ToQString(tag->name));
                addresses.push_back(tag->address);
            }
    const int base = frame_.online().InstanceBase(&unit_);
    if (addresses != instanceAddresses_ || instances_->count() != names.size() + 1) {
        instances_->clear();
        instances_->addItem(kNoInstance);
        instances_->addItems(names);
        instanceAddresses_ = std::move(addresses);
    }
    int current = 0;
    for (size_t i = 0; i < instanceAddresses_.size(); ++i)
        if (instanceAddresses_[i] == base) current = static_cast<int>(i) + 1;
    instances_->setCurrentIndex(current);
}

void StEditorWindow::ChooseInstance(int index) {
    const int base = index >= 1 && static_cast<size_t>(index) <= instanceAddresses_.size()
                         ? instanceAddresses_[static_cast<size_t>(index) - 1]
                         : -1;
    frame_.online().SetInstanceBase(&unit_, base);
    LiveValuesChanged();
}

void StEditorWindow::DebugModeChanged() {
    const bool online = frame_.debugMode != 0;
    instanceLabel_->setVisible(online);
    instances_->setVisible(online);
    for (QToolButton* button : templateButtons_) button->setEnabled(!online);
    FillInstances();
    core_->instanceBase = frame_.online().InstanceBase(&unit_);
    text_->hoverTip().hide();
    pane_->Refresh();
    if (online) pane_->FollowEditor(text_->FirstVisibleLine());
}

void StEditorWindow::LiveValuesChanged() {
    core_->instanceBase = frame_.online().InstanceBase(&unit_);
    pane_->Refresh();
    pane_->FollowEditor(text_->FirstVisibleLine());
}

bool StEditorWindow::ShowJump(const OutputJump& jump) {
    if (jump.kind != OutputJump::Kind::TextLine || jump.unit != &unit_) return false;
    text_->SelectLine(jump.line);
    text_->setFocus();
    return true;
}

void StEditorWindow::ShowFind() {
    find_->Open();
}

void StEditorWindow::FindNext() {
    // Find Next without anything to find opens the bar.
    if (core_->findOptions.text.empty() && find_->findWhat()->text().isEmpty()) {
        find_->Open();
        return;
    }
    find_->FindNext();
}

bool StEditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pane_ && event->type() == QEvent::KeyPress) {
        if (const std::optional<Command> command = CommandOfKey(*static_cast<QKeyEvent*>(event), kDebugView)) {
            InvokeDebugCommand(*command);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

CommandOutcome StEditorWindow::InvokeDebugCommand(Command command) {
    CommandTarget target;
    FillCommandTarget(target);
    target.debugViewFocused = true;  // a menu of the pane may have taken its focus
    const CommandOutcome outcome = InvokeCommand(frame_, command, target);
    if (outcome == CommandOutcome::FrontEnd && command == Command::WriteValue)
        return WriteSelectedValue() ? CommandOutcome::Done : CommandOutcome::NotDone;
    return outcome;
}

bool StEditorWindow::WriteSelectedValue() {
    const CTag* tag = DebugViewVariable(frame_, &unit_, pane_->SelectedName());
    if (!tag || !frame_.online().Debugging() || frame_.online().InstanceBase(&unit_) == -1) return false;
    WriteTagDialog dialog(frame_, &unit_, *tag, this);
    return dialog.exec() == QDialog::Accepted;
}

void StEditorWindow::ShowDebugMenu(const QPoint& at) {
    if (QTreeWidgetItem* item = pane_->itemAt(at)) pane_->setCurrentItem(item);
    CommandTarget target;
    FillCommandTarget(target);
    target.debugViewFocused = true;
    QMenu menu(this);
    for (const CommandInfo& info : CommandTable()) {
        if (!(info.places & kDebugView)) continue;
        QAction* action = menu.addAction(QString::fromLatin1(info.text.data(), static_cast<int>(info.text.size())));
        action->setShortcuts(ShortcutsOf(info));
        // Enabled where the line names a variable the command applies to.
        const CTag* tag = DebugViewVariable(frame_, &unit_, target.debugViewSelection);
        const bool applies = tag && (info.command != Command::ToggleBit || tag->dataType == "BOOL");
        action->setEnabled(applies && CommandStateOf(frame_, info.command, target).enabled);
        const Command command = info.command;
        connect(action, &QAction::triggered, this, [this, command] { InvokeDebugCommand(command); });
    }
    menu.exec(pane_->viewport()->mapToGlobal(at));
}

}  // namespace pontra::gui
