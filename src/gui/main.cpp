// SPDX-License-Identifier: GPL-3.0-or-later
// pontra, the desktop application.
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return 0;
}
