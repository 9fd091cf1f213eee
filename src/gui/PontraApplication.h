// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: an exception that escapes an event handler is shown and the
// program goes on with its project, instead of ending.
#pragma once

#include <QApplication>

namespace pontra::gui {

class PontraApplication : public QApplication {
    Q_OBJECT
public:
    PontraApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace pontra::gui
