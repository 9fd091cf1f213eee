// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/TrendDock.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

#include "build/OperandScope.h"
#include "gui/QtText.h"
#include "gui/TrendPlot.h"
#include "model/Types.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

namespace {

// Below this the axis does not zoom in further: a read comes once a second.
constexpr double kMinSpanSeconds = 2;

QString Number(double value) {
    return QString::number(value, 'g', 10);
}

} // namespace

TrendDock::TrendDock(CMainFrame& frame, QWidget* parent) : QDockWidget(QStringLiteral("Trend"), parent), frame_(frame) {
    setObjectName(QStringLiteral("TrendDock"));
    setAcceptDrops(true);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* bar = new QHBoxLayout;
    pause_ = new QPushButton(QStringLiteral("Pause"), body);
    pause_->setCheckable(true);
    connect(pause_, &QPushButton::toggled, this, [this](bool on) { SetPaused(on); });
    auto* reset = new QPushButton(QStringLiteral("Reset Zoom"), body);
    connect(reset, &QPushButton::clicked, this, [this] { ResetZoom(); });
    auto* csv = new QPushButton(QStringLiteral("Export CSV..."), body);
    connect(csv, &QPushButton::clicked, this, [this] { ChooseCsvFile(); });
    readOut_ = new QLabel(body);
    readOut_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bar->addWidget(pause_);
    bar->addWidget(reset);
    bar->addWidget(csv);
    bar->addWidget(readOut_, 1);
    layout->addLayout(bar);

    plot_ = new TrendPlot(buffer_, body);
    connect(plot_, &TrendPlot::cursorMoved, this, [this](double t) { readOut_->setText(ReadOut(t)); });
    connect(plot_, &TrendPlot::bandChosen, this, [this](double from, double to) { ZoomTo(from, to); });
    connect(plot_, &TrendPlot::wheelTurned, this, [this](double pivot, bool in) {
        const double factor = in ? 0.8 : 1.25;
        ZoomTo(pivot - (pivot - plot_->From()) * factor, pivot + (plot_->To() - pivot) * factor);
    });
    connect(plot_, &TrendPlot::menuRequested, this, [this](const QPoint& at) { ShowMenu(at); });
    layout->addWidget(plot_, 1);
    setWidget(body);
    Redraw();
}

double TrendDock::Now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void TrendDock::Refresh() {
    const OnlineSession& session = frame_.online();
    if (!session.Debugging() || session.CompleteReads() == reads_) return;
    reads_ = session.CompleteReads();
    Sample(Now());
}

void TrendDock::Sample(double seconds) {
    if (buffer_.Paused() || buffer_.Tags().empty()) return;
    buffer_.Append(seconds, TrendValues(frame_, buffer_.Tags()));
    Redraw();
}

bool TrendDock::AddTag(const std::string& name) {
    const std::optional<std::string> trendable = TrendName(frame_.project(), nullptr, name);
    if (!trendable || !buffer_.AddTag(*trendable, TrendIsDigital(frame_.project(), *trendable))) return false;
    Redraw();
    return true;
}

void TrendDock::RemoveTag(const std::string& name) {
    if (buffer_.RemoveTag(name)) Redraw();
}

void TrendDock::Reset() {
    while (!buffer_.Tags().empty()) buffer_.RemoveTag(buffer_.Tags().front());
    buffer_.Clear();
    reads_ = 0;
    ResetZoom();
}

void TrendDock::Redraw() {
    plot_->FitValues();
    if (following_) {
        const double last = buffer_.LastTime().value_or(0);
        const double first = buffer_.FirstTime().value_or(0);
        const double from = std::max(first, last - buffer_.WindowSeconds());
        plot_->SetTimeRange(from, std::max(last, from + 10));
    }
}

void TrendDock::SetPaused(bool paused) {
    buffer_.SetPaused(paused);
    if (pause_->isChecked() != paused) pause_->setChecked(paused);
    pause_->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
}

void TrendDock::ZoomTo(double from, double to) {
    if (to < from) std::swap(from, to);
    if (to - from < kMinSpanSeconds) {
        const double mid = (from + to) / 2;
        from = mid - kMinSpanSeconds / 2;
        to = mid + kMinSpanSeconds / 2;
    }
    following_ = false;
    plot_->SetTimeRange(from, to);
}

void TrendDock::ResetZoom() {
    following_ = true;
    Redraw();
}

std::pair<double, double> TrendDock::TimeRange() const {
    return {plot_->From(), plot_->To()};
}

QString TrendDock::ReadOut(double seconds) const {
    QString text = QStringLiteral("t = %1 s").arg(seconds, 0, 'f', 1);
    for (size_t i = 0; i < buffer_.Tags().size(); ++i) {
        const auto value = buffer_.ValueAt(i, seconds);
        text += QStringLiteral("   %1 = %2").arg(ToQString(buffer_.Tags()[i]), value ? Number(*value) : QStringLiteral("..."));
    }
    return text;
}

bool TrendDock::ExportCsv(const QString& path) const {
    std::ostringstream out;
    buffer_.WriteCsv(out);
    const std::string text = out.str();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto size = static_cast<qint64>(text.size());
    const bool ok = file.write(text.data(), size) == size;
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

void TrendDock::ChooseCsvFile() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Trend"), QString(),
                                                      QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) return;
    if (!ExportCsv(path))
        QMessageBox::warning(this, QStringLiteral("Export Trend"), QStringLiteral("Can't write file %1").arg(path));
}

void TrendDock::ShowMenu(const QPoint& at) {
    QMenu menu(this);
    for (const auto& name : buffer_.Tags()) {
        const std::string tag = name;
        connect(menu.addAction(QStringLiteral("Remove %1").arg(ToQString(tag))), &QAction::triggered, this,
                [this, tag] { RemoveTag(tag); });
    }
    if (!buffer_.Tags().empty()) menu.addSeparator();
    connect(menu.addAction(QStringLiteral("Clear Samples")), &QAction::triggered, this, [this] {
        buffer_.Clear();
        Redraw();
    });
    menu.exec(at);
}

void TrendDock::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasText()) event->acceptProposedAction();
}

void TrendDock::dropEvent(QDropEvent* event) {
    bool any = false;
    for (const QString& line : event->mimeData()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (const auto name = FromQString(line.trimmed())) any = AddTag(*name) || any;
    if (any) event->acceptProposedAction();
}

} // namespace pontra::gui
