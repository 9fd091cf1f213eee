// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/OnlineStatusWidget.h"

#include <QHBoxLayout>

#include "gui/QtText.h"

namespace pontra::gui {

namespace {

QLabel* Field(QWidget* parent, QHBoxLayout* layout, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setContentsMargins(4, 0, 4, 0);
    label->hide();
    layout->addWidget(label);
    return label;
}

void Set(QLabel* label, const std::string& text) {
    label->setText(ToQString(text));
    label->setVisible(!text.empty());
}

} // namespace

OnlineStatusWidget::OnlineStatusWidget(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    address_ = Field(this, layout, "address");
    runState_ = Field(this, layout, "runState");
    taskTime_ = Field(this, layout, "taskTime");
    silent_ = Field(this, layout, "silent");
    dataValid_ = Field(this, layout, "dataValid");
    error_ = Field(this, layout, "error");
    runState_->setMinimumWidth(runState_->fontMetrics().horizontalAdvance(QStringLiteral("PROGRAM")) + 12);
    runState_->setAlignment(Qt::AlignCenter);
    silent_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    error_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    ticks_.setInterval(1000);
    connect(&ticks_, &QTimer::timeout, this, [this] {
        if (tracked_) Refresh(*tracked_);
    });
}

void OnlineStatusWidget::Refresh(const CMainFrame& frame) {
    Show(CurrentOnlineStatusLine(frame));
}

void OnlineStatusWidget::Track(const CMainFrame& frame) {
    tracked_ = &frame;
    Refresh(frame);
    ticks_.start();
}

void OnlineStatusWidget::Show(const OnlineStatusLine& line) {
    line_ = line;
    Set(address_, showAddress_ ? line.address : std::string());
    Set(runState_, line.runState);
    const char* colour = line.runState == "RUN" ? "#006400" : line.runState == "PROGRAM" ? "#1a237e" : "#555555";
    runState_->setStyleSheet(QStringLiteral("QLabel { color: %1; font-weight: bold; }").arg(QLatin1String(colour)));
    std::string task = line.taskTime;
    if (!line.cpu.empty()) task += (task.empty() ? "" : "; ") + line.cpu;
    Set(taskTime_, task);
    Set(error_, line.error);
    // A narrow window may cut the error short: the whole text stays one hover away.
    error_->setToolTip(error_->text());
    Set(dataValid_, line.dataValid);
    Set(silent_, line.silent);
}

} // namespace pontra::gui
