// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing of the trend: the samples of a TrendBuffer as step lines over a time
// range, with grid, tick labels and a legend, painted directly; BOOL tags as 0/1 lanes
// under the value axis, where a 0/1 step would vanish beside values in the thousands. It turns mouse input
// into requests (cursor moved, band dragged, wheel, context menu) for its dock.
#pragma once

#include <QPolygonF>
#include <QWidget>

#include "online/TrendBuffer.h"

namespace pontra::gui {

class TrendPlot : public QWidget {
    Q_OBJECT
public:
    explicit TrendPlot(const TrendBuffer& buffer, QWidget* parent = nullptr);

    void SetTimeRange(double from, double to);
    double From() const { return from_; }
    double To() const { return to_; }
    // The value range, from what the buffer holds.
    void FitValues();
    double Low() const { return low_; }
    double High() const { return high_; }

    // The area inside the axes, and the time at an x in it (clamped). Numeric tags share
    // the value axis at its top; each BOOL tag has a lane of its own below it.
    QRectF PlotArea() const;
    QRectF ValueArea() const;
    QRectF LaneRect(size_t tag) const;
    double TimeAt(double x) const;
    // The step line of a tag in widget coordinates, over the visible range.
    QPolygonF Line(size_t tag) const;
    static QColor Colour(size_t tag);

Q_SIGNALS:
    void cursorMoved(double seconds);
    void bandChosen(double from, double to);
    void wheelTurned(double pivot, bool in);
    void menuRequested(const QPoint& global);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    double X(double time) const;
    double Y(size_t tag, double value) const;
    size_t LaneCount() const;
    size_t LaneOf(size_t tag) const;
    bool AnyNumeric() const;

    const TrendBuffer& buffer_;
    double from_ = 0, to_ = 10;
    double low_ = 0, high_ = 1;
    bool banding_ = false;
    double bandStart_ = 0, bandEnd_ = 0;
};

} // namespace pontra::gui
