// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/DownloadBar.h"

#include <QLabel>
#include <algorithm>
#include <QProgressBar>

namespace pontra::gui {

DownloadBar::DownloadBar(QWidget* parent) : QToolBar("Download", parent), caption_(new QLabel), progress_(new QProgressBar) {
    setObjectName("DownloadBar");
    setMovable(false);
    caption_->setMinimumWidth(160);
    caption_->setContentsMargins(6, 0, 6, 0);
    progress_->setMinimumWidth(280);
    progress_->setTextVisible(true);
    addWidget(caption_);
    addWidget(progress_);
    toggleViewAction()->setVisible(false);
    hide();
}

void DownloadBar::ShowProgress(const QString& caption, bool visible) {
    caption_->setText(caption);
    if (visible) progress_->setValue(progress_->minimum());
    setVisible(visible);
}

void DownloadBar::SetProgress(int position, int range) {
    progress_->setRange(0, std::max(1, range));
    progress_->setValue(std::clamp(position, 0, std::max(1, range)));
}

}  // namespace pontra::gui
