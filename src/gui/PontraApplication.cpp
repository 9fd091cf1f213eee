// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/PontraApplication.h"

#include <QMessageBox>
#include <exception>

namespace pontra::gui {

PontraApplication::PontraApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Pontra");
    setApplicationVersion(PONTRA_VERSION);
}

bool PontraApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        qWarning("pontra: unexpected error: %s", error.what());
        QMessageBox::warning(activeWindow(), "Pontra",
                             QString("An operation stopped on an unexpected error:\n%1\n\nThe project stays open.")
                                 .arg(QString::fromLocal8Bit(error.what())));
    } catch (...) {
        qWarning("pontra: unexpected error");
        QMessageBox::warning(activeWindow(), "Pontra", "An operation stopped on an unexpected error.\n\nThe project stays open.");
    }
    return false;
}

}  // namespace pontra::gui
