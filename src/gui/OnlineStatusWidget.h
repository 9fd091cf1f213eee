// SPDX-License-Identifier: GPL-3.0-or-later
// The online fields of the status bar: module address, run state, task time and load,
// runtime error, data-valid age and a silent module, each in its own label. All hidden
// while offline.
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>

#include "online/OnlineStatusLine.h"

namespace pontra {
class CMainFrame;
}

namespace pontra::gui {

class OnlineStatusWidget : public QWidget {
    Q_OBJECT
public:
    explicit OnlineStatusWidget(QWidget* parent = nullptr);

    // Shows the frame's state now; call after each online event and once a second for
    // the data-valid age.
    void Refresh(const CMainFrame& frame);
    // Refreshes from `frame` once a second from now on, so the data-valid age counts up
    // between reads.
    void Track(const CMainFrame& frame);
    void Show(const OnlineStatusLine& line);
    const OnlineStatusLine& Line() const { return line_; }
    // The main window's status bar shows the module address in a field of its own.
    void SetAddressShown(bool shown) { showAddress_ = shown; }

    QLabel* address() const { return address_; }
    QLabel* runState() const { return runState_; }
    QLabel* taskTime() const { return taskTime_; }
    QLabel* error() const { return error_; }
    QLabel* dataValid() const { return dataValid_; }
    QLabel* silent() const { return silent_; }

private:
    OnlineStatusLine line_;
    bool showAddress_ = true;
    const CMainFrame* tracked_ = nullptr;
    QTimer ticks_;
    QLabel* address_;
    QLabel* runState_;
    QLabel* taskTime_;
    QLabel* error_;
    QLabel* dataValid_;
    QLabel* silent_;
};

} // namespace pontra::gui
