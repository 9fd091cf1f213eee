// SPDX-License-Identifier: GPL-3.0-or-later
// The download bar: a caption and a progress bar, visible only while a download runs.
#pragma once

#include <QToolBar>

class QLabel;
class QProgressBar;

namespace pontra::gui {

class DownloadBar : public QToolBar {
    Q_OBJECT
public:
    explicit DownloadBar(QWidget* parent = nullptr);

    void ShowProgress(const QString& caption, bool visible);
    void SetProgress(int position, int range);
    QLabel* caption() const { return caption_; }
    QProgressBar* progress() const { return progress_; }

private:
    QLabel* caption_;
    QProgressBar* progress_;
};

}  // namespace pontra::gui
