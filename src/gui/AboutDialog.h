// SPDX-License-Identifier: GPL-3.0-or-later
// "About": the program's version, its licence and the Qt version it runs on.
#pragma once

#include <QDialog>

namespace pontra::gui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    // The lines the dialog shows (also `pontra --version`).
    static QString VersionText();
    static QString LicenceText();
};

}  // namespace pontra::gui
