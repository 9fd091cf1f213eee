// SPDX-License-Identifier: GPL-3.0-or-later
// The trend dock: the live values of chosen tags against time as step lines, one sample
// per complete read of tag memory, over a rolling window of minutes. Tags come by "Add
// to trend" (AddTag) or dropped as text; pause, zoom on time (wheel, drag a band),
// cursor read-out and CSV export of what is held. The lines are painted by TrendPlot:
// a chart library redrawing 8 lines of 1,200 points took 12-16 ms per read here
// (bench/gui/trend_dock_bench.cpp), too much of a read's 10 ms for every view.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <QDockWidget>

#include "online/TrendBuffer.h"

class QLabel;
class QPushButton;

namespace pontra {
class CMainFrame;
}

namespace pontra::gui {

class TrendPlot;

class TrendDock : public QDockWidget {
    Q_OBJECT
public:
    explicit TrendDock(CMainFrame& frame, QWidget* parent = nullptr);

    // Takes a sample when a complete read has arrived since the last one; call after
    // each online event (the session's refresh).
    void Refresh();
    // Takes a sample of the live values now, at `seconds` on the trend's clock.
    void Sample(double seconds);
    // Draws what the buffer holds.
    void Redraw();

    TrendBuffer& Buffer() { return buffer_; }
    void SetPaused(bool paused);
    // Shows [from, to] seconds and stops following the newest samples; ResetZoom follows
    // them again.
    void ZoomTo(double from, double to);
    void ResetZoom();
    bool Following() const { return following_; }
    std::pair<double, double> TimeRange() const;
    // "t = 12.0 s   Lamp = 1   Speed = 40" at `seconds`.
    QString ReadOut(double seconds) const;
    QLabel* readOut() const { return readOut_; }
    bool ExportCsv(const QString& path) const;
    TrendPlot* plot() const { return plot_; }

public Q_SLOTS:
    // A tag of the main program (member paths allowed) of an elementary type; false
    // when unknown, not elementary, already there or the trend is full.
    bool AddTag(const std::string& name);
    void RemoveTag(const std::string& name);
    // Another project: its tags and samples go.
    void Reset();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    double Now() const;
    void ChooseCsvFile();
    void ShowMenu(const QPoint& at);

    CMainFrame& frame_;
    TrendBuffer buffer_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    uint64_t reads_ = 0;
    bool following_ = true;
    TrendPlot* plot_;
    QPushButton* pause_;
    QLabel* readOut_;
};

} // namespace pontra::gui
