// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/TrendDock.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "build/OperandScope.h"
#include "gui/QtText.h"
#include "model/Types.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra::gui {

namespace {

// Below this the axis does not zoom in further: a read comes once a second.
constexpr double kMinSpanSeconds = 2;

QList<QPointF> StepPoints(const std::deque<TrendSample>& samples) {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(samples.size() * 2));
    for (size_t i = 0; i < samples.size(); ++i) {
        if (i > 0) points.append(QPointF(samples[i].time, samples[i - 1].value));
        points.append(QPointF(samples[i].time, samples[i].value));
    }
    return points;
}

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

    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    timeAxis_ = new QValueAxis(chart_);
    timeAxis_->setTitleText(QStringLiteral("Time (s)"));
    timeAxis_->setLabelFormat(QStringLiteral("%.0f"));
    valueAxis_ = new QValueAxis(chart_);
    valueAxis_->setLabelFormat(QStringLiteral("%g"));
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(valueAxis_, Qt::AlignLeft);
    connect(timeAxis_, &QValueAxis::rangeChanged, this, [this] {
        if (!settingRange_) following_ = false; // the rubber band zoomed in
    });
    view_ = new QChartView(chart_, body);
    view_->setRenderHint(QPainter::Antialiasing, false);
    view_->setRubberBand(QChartView::HorizontalRubberBand);
    view_->setAcceptDrops(false); // drops go to the dock
    view_->viewport()->setMouseTracking(true);
    view_->viewport()->installEventFilter(this);
    layout->addWidget(view_, 1);
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
    const TagRef ref = FindOperandTag(MainProgramScope(frame_.project()), name);
    if (!ref || !IsElementary(ref.tag->dataType)) return false;
    if (!buffer_.AddTag(name)) return false;
    auto* series = new QLineSeries(chart_);
    series->setName(ToQString(name));
    chart_->addSeries(series);
    series->attachAxis(timeAxis_);
    series->attachAxis(valueAxis_);
    series_.push_back(series);
    Redraw();
    return true;
}

void TrendDock::RemoveTag(const std::string& name) {
    const auto& tags = buffer_.Tags();
    const auto it = std::find(tags.begin(), tags.end(), name);
    if (it == tags.end()) return;
    const size_t index = static_cast<size_t>(it - tags.begin());
    buffer_.RemoveTag(name);
    chart_->removeSeries(series_[index]);
    delete series_[index];
    series_.erase(series_.begin() + static_cast<std::ptrdiff_t>(index));
    Redraw();
}

void TrendDock::Redraw() {
    double low = 0, high = 1;
    bool any = false;
    for (size_t i = 0; i < series_.size(); ++i) {
        const auto& samples = buffer_.Series(i);
        series_[i]->replace(StepPoints(samples));
        for (const auto& s : samples) {
            low = any ? std::min(low, s.value) : s.value;
            high = any ? std::max(high, s.value) : s.value;
            any = true;
        }
    }
    if (!any || high - low < 1) {
        const double mid = any ? (low + high) / 2 : 0.5;
        low = std::min(low, mid - 0.5);
        high = std::max(high, mid + 0.5);
    }
    const double pad = (high - low) * 0.08;
    valueAxis_->setRange(low - pad, high + pad);
    valueAxis_->applyNiceNumbers();
    if (following_) {
        const double last = buffer_.LastTime().value_or(0);
        const double first = buffer_.FirstTime().value_or(0);
        const double from = std::max(first, last - buffer_.WindowSeconds());
        ApplyRange(from, std::max(last, from + 10));
    }
}

void TrendDock::SetPaused(bool paused) {
    buffer_.SetPaused(paused);
    if (pause_->isChecked() != paused) pause_->setChecked(paused);
    pause_->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
}

void TrendDock::ApplyRange(double from, double to) {
    settingRange_ = true;
    timeAxis_->setRange(from, to);
    // Ticks on round seconds: 1, 2 or 5 times a power of ten, about six of them.
    const double rough = std::max((to - from) / 6, 1e-3);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double step = rough / power < 2 ? power : rough / power < 5 ? 2 * power : 5 * power;
    timeAxis_->setTickType(QValueAxis::TicksDynamic);
    timeAxis_->setTickAnchor(0);
    timeAxis_->setTickInterval(step);
    timeAxis_->setLabelFormat(step >= 1 ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
    settingRange_ = false;
}

void TrendDock::ZoomTo(double from, double to) {
    if (to < from) std::swap(from, to);
    if (to - from < kMinSpanSeconds) {
        const double mid = (from + to) / 2;
        from = mid - kMinSpanSeconds / 2;
        to = mid + kMinSpanSeconds / 2;
    }
    following_ = false;
    ApplyRange(from, to);
}

void TrendDock::ResetZoom() {
    following_ = true;
    Redraw();
}

std::pair<double, double> TrendDock::TimeRange() const {
    return {timeAxis_->min(), timeAxis_->max()};
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

bool TrendDock::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view_->viewport()) return QDockWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPointF at = chart_->mapFromScene(view_->mapToScene(mouse->position().toPoint()));
        const QRectF plot = chart_->plotArea();
        if (plot.width() > 0 && at.x() >= plot.left() && at.x() <= plot.right()) {
            const double t = timeAxis_->min() + (at.x() - plot.left()) / plot.width() * (timeAxis_->max() - timeAxis_->min());
            readOut_->setText(ReadOut(t));
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        // The right button opens the menu here instead of zooming out.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton) break;
        if (event->type() == QEvent::MouseButtonRelease) ShowMenu(mouse->globalPosition().toPoint());
        return true;
    }
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPointF at = chart_->mapFromScene(view_->mapToScene(wheel->position().toPoint()));
        const QRectF plot = chart_->plotArea();
        const double lo = timeAxis_->min(), hi = timeAxis_->max();
        const double pivot = plot.width() > 0 ? lo + std::clamp((at.x() - plot.left()) / plot.width(), 0.0, 1.0) * (hi - lo)
                                              : (lo + hi) / 2;
        const double factor = wheel->angleDelta().y() > 0 ? 0.8 : 1.25;
        ZoomTo(pivot - (pivot - lo) * factor, pivot + (hi - pivot) * factor);
        return true;
    }
    default: break;
    }
    return QDockWidget::eventFilter(watched, event);
}

} // namespace pontra::gui
