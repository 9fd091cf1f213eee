// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/AboutDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace pontra::gui {

QString AboutDialog::VersionText() { return QString("Pontra %1").arg(PONTRA_VERSION); }

QString AboutDialog::LicenceText() {
    return "Licence: GPL-3.0-or-later (GNU General Public License, version 3 or any later version)";
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Pontra");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(VersionText());
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    title->setFont(font);
    layout->addWidget(title);
    layout->addWidget(new QLabel("Programming environment for Vessa zone-control modules"));
    layout->addWidget(new QLabel(LicenceText()));
    layout->addWidget(new QLabel(QString("Qt %1 (built with %2)").arg(qVersion(), QT_VERSION_STR)));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace pontra::gui
