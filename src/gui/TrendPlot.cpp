// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/TrendPlot.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "gui/QtText.h"

namespace pontra::gui {

namespace {

constexpr int kLeft = 56, kRight = 12, kTop = 10, kAxis = 34, kLegend = 22;
// A BOOL lane's height, and the most it grows to when there is no value axis above.
constexpr double kLane = 22, kMaxLane = 60;

// 1, 2 or 5 times a power of ten, about `count` steps over `span`.
double NiceStep(double span, int count) {
    const double rough = std::max(span / count, 1e-6);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double f = rough / power;
    return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * power;
}

QString TickText(double value, double step) {
    return QString::number(value, 'f', step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step))));
}

} // namespace

TrendPlot::TrendPlot(const TrendBuffer& buffer, QWidget* parent) : QWidget(parent), buffer_(buffer) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(240, 140);
}

void TrendPlot::SetTimeRange(double from, double to) {
    from_ = from;
    to_ = std::max(to, from + 1e-3);
    update();
}

void TrendPlot::FitValues() {
    double low = 0, high = 1;
    bool any = false;
    for (size_t i = 0; i < buffer_.Tags().size(); ++i) {
        if (buffer_.Digital(i)) continue;  // drawn in its own lane
        for (const auto& s : buffer_.Series(i)) {
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
    low_ = low - pad;
    high_ = high + pad;
    update();
}

QRectF TrendPlot::PlotArea() const {
    return QRectF(kLeft, kTop, std::max(1, width() - kLeft - kRight), std::max(1, height() - kTop - kAxis - kLegend));
}

bool TrendPlot::AnyNumeric() const {
    for (size_t i = 0; i < buffer_.Tags().size(); ++i)
        if (!buffer_.Digital(i)) return true;
    return false;
}

size_t TrendPlot::LaneCount() const {
    size_t lanes = 0;
    for (size_t i = 0; i < buffer_.Tags().size(); ++i) lanes += buffer_.Digital(i) ? 1 : 0;
    return lanes;
}

size_t TrendPlot::LaneOf(size_t tag) const {
    size_t lane = 0;
    for (size_t i = 0; i < tag; ++i) lane += buffer_.Digital(i) ? 1 : 0;
    return lane;
}

QRectF TrendPlot::ValueArea() const {
    const QRectF a = PlotArea();
    const size_t lanes = LaneCount();
    if (lanes == 0) return a;
    if (!AnyNumeric()) return QRectF(a.left(), a.top(), a.width(), 0);
    const double lanesHeight = std::min(a.height() / 2, lanes * kLane);
    return QRectF(a.left(), a.top(), a.width(), a.height() - lanesHeight);
}

QRectF TrendPlot::LaneRect(size_t tag) const {
    const QRectF a = PlotArea(), v = ValueArea();
    const size_t lanes = std::max<size_t>(1, LaneCount());
    const double height = AnyNumeric() ? (a.bottom() - v.bottom()) / lanes : std::min(kMaxLane, a.height() / lanes);
    const double top = AnyNumeric() ? v.bottom() : a.top();
    return QRectF(a.left(), top + LaneOf(tag) * height, a.width(), height);
}

double TrendPlot::X(double time) const {
    const QRectF a = PlotArea();
    return a.left() + (time - from_) / (to_ - from_) * a.width();
}

double TrendPlot::Y(size_t tag, double value) const {
    if (buffer_.Digital(tag)) {
        const QRectF lane = LaneRect(tag);
        const double margin = std::min(5.0, lane.height() / 4);
        return value != 0 ? lane.top() + margin : lane.bottom() - margin;
    }
    const QRectF a = ValueArea();
    return a.bottom() - (value - low_) / (high_ - low_) * a.height();
}

double TrendPlot::TimeAt(double x) const {
    const QRectF a = PlotArea();
    return from_ + std::clamp((x - a.left()) / a.width(), 0.0, 1.0) * (to_ - from_);
}

QPolygonF TrendPlot::Line(size_t tag) const {
    QPolygonF line;
    const auto& s = buffer_.Series(tag);
    // From the last sample before the range (its step reaches in) to the first after it.
    auto first = std::lower_bound(s.begin(), s.end(), from_, [](const TrendSample& x, double t) { return x.time < t; });
    if (first != s.begin()) --first;
    auto last = std::upper_bound(first, s.end(), to_, [](double t, const TrendSample& x) { return t < x.time; });
    if (last != s.end()) ++last;
    line.reserve(2 * (last - first));
    for (auto it = first; it != last; ++it) {
        if (it != first) line.append(QPointF(X(it->time), Y(tag, std::prev(it)->value)));
        line.append(QPointF(X(it->time), Y(tag, it->value)));
    }
    return line;
}

QColor TrendPlot::Colour(size_t tag) {
    static const QRgb palette[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b, 0xe377c2, 0x17becf};
    return QColor(palette[tag % std::size(palette)]);
}

void TrendPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRectF area = PlotArea();
    p.fillRect(area, Qt::white);
    const QFontMetrics fm = fontMetrics();

    // Grid and tick labels.
    p.setPen(QColor(225, 225, 225));
    const double tStep = NiceStep(to_ - from_, std::max(2, static_cast<int>(area.width() / 90)));
    for (double t = std::ceil(from_ / tStep) * tStep; t <= to_ + 1e-9; t += tStep) {
        const double x = X(t);
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        p.setPen(palette().windowText().color());
        const QString text = TickText(t, tStep);
        p.drawText(QPointF(x - fm.horizontalAdvance(text) / 2.0, area.bottom() + fm.ascent() + 3), text);
    }
    const QRectF values = ValueArea();
    // Live values are whole numbers: no ticks between them.
    const double vStep =
        std::max(1.0, NiceStep(high_ - low_, std::max(1, static_cast<int>(values.height() / (2.5 * fm.height())))));
    for (double v = std::ceil(low_ / vStep) * vStep; v <= high_ + 1e-9; v += vStep) {
        const double y = values.bottom() - (v - low_) / (high_ - low_) * values.height();
        // A label that would reach into the lanes below is left out.
        if (y + fm.ascent() / 2.0 > values.bottom() + (LaneCount() ? 0 : fm.ascent())) continue;
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        p.setPen(palette().windowText().color());
        const QString text = TickText(v, vStep);
        p.drawText(QPointF(area.left() - fm.horizontalAdvance(text) - 5, y + fm.ascent() / 2.0 - 1), text);
    }
    p.setPen(palette().windowText().color());
    const QString title = QStringLiteral("Time (s)");
    p.drawText(QPointF(area.center().x() - fm.horizontalAdvance(title) / 2.0, area.bottom() + 2 * fm.height() + 2), title);
    // The BOOL lanes: separated, each named at its left in its colour, "1" and "0" marked.
    for (size_t i = 0; i < buffer_.Tags().size(); ++i) {
        if (!buffer_.Digital(i)) continue;
        const QRectF lane = LaneRect(i);
        p.fillRect(lane, QColor(248, 248, 248));
        p.setPen(QColor(200, 200, 200));
        p.drawLine(lane.topLeft(), lane.topRight());
        // Named inside the lane, between its 0 and 1 levels.
        p.setPen(Colour(i).darker(120));
        p.drawText(lane.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   fm.elidedText(ToQString(buffer_.Tags()[i]), Qt::ElideMiddle, int(lane.width() / 3)));
        p.setPen(palette().windowText().color());
        if (lane.height() >= 2 * fm.ascent()) {
            p.drawText(QPointF(area.left() - fm.horizontalAdvance(QStringLiteral("1")) - 5, Y(i, 1) + fm.ascent() / 2.0 - 1),
                       QStringLiteral("1"));
            p.drawText(QPointF(area.left() - fm.horizontalAdvance(QStringLiteral("0")) - 5, Y(i, 0) + fm.ascent() / 2.0 - 1),
                       QStringLiteral("0"));
        } else {
            p.drawText(QRectF(0, lane.top(), area.left() - 5, lane.height()), Qt::AlignRight | Qt::AlignVCenter,
                       QStringLiteral("0/1"));
        }
    }
    p.setPen(QColor(150, 150, 150));
    p.drawRect(area);

    // The lines.
    p.save();
    p.setClipRect(area);
    for (size_t i = 0; i < buffer_.Tags().size(); ++i) {
        // Two one-pixel lines a pixel apart look like a line of two: a wider pen goes
        // through the stroker, several times slower for a thousand steps per line.
        const QPolygonF line = Line(i);
        p.setPen(QPen(Colour(i), 0));
        p.drawPolyline(line);
        p.drawPolyline(line.translated(1, 1));
    }
    if (banding_) {
        const double a = X(std::min(bandStart_, bandEnd_)), b = X(std::max(bandStart_, bandEnd_));
        p.fillRect(QRectF(a, area.top(), b - a, area.height()), QColor(30, 120, 220, 50));
    }
    p.restore();

    // The legend under the axis.
    double x = area.left();
    const double y = height() - kLegend / 2.0;
    for (size_t i = 0; i < buffer_.Tags().size(); ++i) {
        p.fillRect(QRectF(x, y - 5, 10, 10), Colour(i));
        p.setPen(palette().windowText().color());
        const QString name = ToQString(buffer_.Tags()[i]);
        p.drawText(QPointF(x + 14, y + fm.ascent() / 2.0 - 1), name);
        x += 14 + fm.horizontalAdvance(name) + 16;
    }
}

void TrendPlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && PlotArea().contains(event->position())) {
        banding_ = true;
        bandStart_ = bandEnd_ = TimeAt(event->position().x());
    }
}

void TrendPlot::mouseMoveEvent(QMouseEvent* event) {
    const double t = TimeAt(event->position().x());
    if (banding_) {
        bandEnd_ = t;
        update();
    }
    if (PlotArea().contains(event->position())) Q_EMIT cursorMoved(t);
}

void TrendPlot::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        Q_EMIT menuRequested(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || !banding_) return;
    banding_ = false;
    update();
    // A click without a drag is no zoom.
    if (std::abs(X(bandEnd_) - X(bandStart_)) >= 4)
        Q_EMIT bandChosen(std::min(bandStart_, bandEnd_), std::max(bandStart_, bandEnd_));
}

void TrendPlot::wheelEvent(QWheelEvent* event) {
    if (event->angleDelta().y() == 0) return;
    Q_EMIT wheelTurned(TimeAt(event->position().x()), event->angleDelta().y() > 0);
    event->accept();
}

} // namespace pontra::gui
