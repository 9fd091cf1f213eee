// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt host: the clipboard formats, text through Windows-1252, timers by id, work
// posted from another thread, the settings the core asks for, and the Controller
// Properties dialog's address check.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QThread>
#include <thread>

#include "gui/ControllerPropertiesDialog.h"
#include "gui/QtHost.h"
#include "gui/QtText.h"
#include "support/TempDir.h"

namespace pontra::gui {
namespace {

TEST(QtHost, ClipboardKeepsEveryFormatUntilEmptied) {
    TempDir dir;
    QtHost host(QString::fromStdString(dir.File("s.ini")));
    host.EmptyClipboard();
    const std::string rung("XIC(A);\r\n\xe9", 10);
    host.SetClipboard("Pontra - Rung", rung);
    host.SetClipboard(Host::kClipboardText, "Motor \xb0" "C");
    EXPECT_EQ(host.GetClipboard("Pontra - Rung"), rung);
    EXPECT_EQ(host.GetClipboard(Host::kClipboardText), std::string("Motor \xb0" "C"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Motor °C"));
    EXPECT_FALSE(host.GetClipboard("Pontra - Element").has_value());
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat("application/x-pontra-rung"));
    EXPECT_EQ(QtHost::MimeTypeOf("Pontra - Element"), "application/x-pontra-element");

    // Text that Windows-1252 cannot hold is not handed to the core as if it were.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("arrow →"));
    EXPECT_FALSE(host.GetClipboard(Host::kClipboardText).has_value());
    host.EmptyClipboard();
    EXPECT_FALSE(host.GetClipboard("Pontra - Rung").has_value());
}

TEST(QtHost, TimersAndPostedWorkRunOnTheGuiThread) {
    TempDir dir;
    QtHost host(QString::fromStdString(dir.File("s.ini")));
    std::vector<int> fired;
    host.SetTimerHandler([&](int id) { fired.push_back(id); });
    host.StartTimer(2, 10);
    EXPECT_TRUE(host.PumpUntil([&] { return fired.size() >= 2; }, 2000));
    host.StopTimer(2);
    const size_t stopped = fired.size();
    host.Wait(50);
    EXPECT_EQ(fired.size(), stopped);
    EXPECT_EQ(fired.front(), 2);

    bool ran = false;
    QThread* ranOn = nullptr;
    std::thread worker([&] { host.Post([&] { ran = true; ranOn = QThread::currentThread(); }); });
    worker.join();
    EXPECT_TRUE(host.PumpUntil([&] { return ran; }, 2000));
    EXPECT_EQ(ranOn, QApplication::instance()->thread());
}

TEST(QtHost, SettingsKeepTheCoreKeysAndPaths) {
    TempDir dir;
    const QString file = QString::fromStdString(dir.File("s.ini"));
    {
        QtHost host(file);
        EXPECT_EQ(host.GetSetting("Recent File List\\File1", "none"), "none");
        host.SetSetting("Recent File List\\File1", "/home/me/Zone \xc3\xa9.clp");
    }
    QtHost again(file);
    EXPECT_EQ(again.GetSetting("Recent File List\\File1", ""), "/home/me/Zone \xc3\xa9.clp");
    EXPECT_FALSE(again.ProgramFolder().empty());
    EXPECT_FALSE(again.TempFolder().ends_with("/"));
}

TEST(QtText, ConvertsThroughWindows1252AndRefusesWhatItCannotHold) {
    EXPECT_EQ(ToQString("\x80 \xe4"), QString::fromUtf8("€ ä"));
    EXPECT_EQ(FromQString(QString::fromUtf8("€ ä")), std::string("\x80 \xe4"));
    EXPECT_FALSE(FromQString(QString::fromUtf8("∑")).has_value());
}

TEST(ControllerPropertiesDialog, AcceptsOnlyAModuleAddress) {
    ControllerPropertiesDialog dialog(0x7F000001, "Kormo");
    auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.addressEdit()->text(), "127.0.0.1");
    EXPECT_EQ(dialog.typeList()->currentText(), "Kormo");
    EXPECT_TRUE(ok->isEnabled());
    for (const char* bad : {"127.0.0", "127.0.0.256", "a.b.c.d", ""}) {
        dialog.addressEdit()->setText(bad);
        EXPECT_FALSE(ok->isEnabled()) << bad;
    }
    dialog.addressEdit()->setText(" 127.0.0.9 ");
    EXPECT_TRUE(ok->isEnabled());
    dialog.typeList()->setCurrentIndex(0);
    const ControllerPropertiesChoice choice = dialog.Choice();
    EXPECT_EQ(choice.address, 0x7F000009u);
    EXPECT_EQ(choice.type, dialog.typeList()->itemText(0).toStdString());
}

}  // namespace
}  // namespace pontra::gui
