// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ScreenshotRun.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

#include "gui/MainWindow.h"
#include "gui/QtHost.h"
#include "gui/QtText.h"
#include "gui/TestResultsDock.h"
#include "online/OnlineSession.h"
#include "shell/CommandSet.h"

namespace pontra::gui {

namespace {

constexpr int kOnlineTimeoutMs = 8000;
constexpr uint64_t kTrendReads = 4;
constexpr int kTestsTimeoutMs = 120000;

void Say(const QString& text) { std::fprintf(stderr, "pontra: %s\n", text.toLocal8Bit().constData()); }

bool GoOnline(MainWindow& window, QtHost& host, const QString& address) {
    CMainFrame& frame = window.frame();
    uint32_t module = 0;
    if (!ParseModuleAddress(address.toStdString(), module)) {
        Say("'" + address + "' is no module address (A.B.C.D)");
        return false;
    }
    frame.doc().SetModuleAddress(module);
    frame.online().SetPorts(ModulePorts{});
    window.Run(Command::Debug);
    host.PumpUntil([&] { return !frame.online().AwaitingStart(); }, kOnlineTimeoutMs);
    if (frame.debugMode == 0) {
        Say("could not go online to " + address);
        return false;
    }
    const uint64_t before = frame.online().CompleteReads();
    if (!host.PumpUntil([&] { return frame.online().CompleteReads() > before; }, kOnlineTimeoutMs)) {
        Say("no read of the module's tag memory came");
        return false;
    }
    return true;
}

bool AddTrendTags(MainWindow& window, const QStringList& tags) {
    for (const QString& tag : tags) {
        if (!window.AddToTrend(tag)) {
            Say("'" + tag + "' cannot go on the trend (a BOOL or number of the main program)");
            return false;
        }
    }
    return true;
}

void GoOffline(MainWindow& window, QtHost& host) {
    CMainFrame& frame = window.frame();
    if (frame.debugMode == 0) return;
    window.Run(Command::StopDebugging);
    host.PumpUntil([&] { return frame.debugMode == 0; }, kOnlineTimeoutMs);
}

// Runs the scenario files as Run Tests does and shows the first failure's line.
bool RunTests(MainWindow& window, QtHost& host, HostScript& script, const QStringList& files) {
    std::vector<std::string> paths;
    for (const QString& file : files) paths.push_back(QFile::encodeName(file).toStdString());
    script.fileSets.push_back(paths);
    window.Run(Command::RunTests);
    TestResultsDock& dock = *window.testResults();
    if (!host.PumpUntil([&] { return !dock.Running(); }, kTestsTimeoutMs)) {
        Say("the tests did not end in time");
        return false;
    }
    const auto& rows = dock.rows().Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].kind != scenario::RowKind::Failure && rows[i].kind != scenario::RowKind::Error) continue;
        dock.ActivateRow(static_cast<int>(i));
        break;
    }
    return true;
}

}  // namespace

bool ParseScreenshotSize(const QString& text, QSize& size) {
    const QStringList parts = text.toLower().split('x');
    if (parts.size() != 2) return false;
    bool okWidth = false, okHeight = false;
    const int width = parts[0].toInt(&okWidth), height = parts[1].toInt(&okHeight);
    if (!okWidth || !okHeight || width < 100 || height < 100 || width > 10000 || height > 10000) return false;
    size = QSize(width, height);
    return true;
}

int RunScreenshot(const ScreenshotOptions& options) {
    QTemporaryDir scratch;
    const QString settingsFile =
        options.settingsFile.isEmpty() ? scratch.filePath("settings.ini") : options.settingsFile;
    QtHost host(settingsFile);
    HostScript script;
    host.SetScript(&script);
    int status = 0;
    {
        MainWindow window(host);
        window.resize(options.size);
        const std::string project = QFile::encodeName(options.project).toStdString();
        if (!window.StartUp(project)) status = 1;
        if (status == 0 && !AddTrendTags(window, options.trendTags)) status = 1;
        if (status == 0 && !options.onlineAddress.isEmpty() && !GoOnline(window, host, options.onlineAddress))
            status = 1;
        // The trend gets a few reads to draw.
        if (status == 0 && !options.trendTags.isEmpty() && window.frame().debugMode != 0) {
            CMainFrame& frame = window.frame();
            const uint64_t wanted = frame.online().CompleteReads() + kTrendReads;
            if (!host.PumpUntil([&] { return frame.online().CompleteReads() >= wanted; }, kOnlineTimeoutMs)) {
                Say("the module stopped answering");
                status = 1;
            }
        }
        if (status == 0 && window.frame().HasProject()) {
            window.Run(Command::VerifyProgram);
            const QStringList keys = options.windows.isEmpty() ? QStringList{"main"} : options.windows;
            // The first named window ends up in front.
            for (auto it = keys.rbegin(); it != keys.rend(); ++it)
                if (!window.OpenDocument(FromQString(*it).value_or(std::string()))) {
                    Say("no window '" + *it + "' in this project");
                    status = 1;
                }
            if (!options.testFiles.isEmpty() && !RunTests(window, host, script, options.testFiles)) status = 1;
        }
        if (status == 0) {
            window.show();
            window.resize(options.size);
            host.PumpUntil([] { return false; }, 150);
            // Showing the area activates its first window: bring the first named one back.
            if (window.frame().HasProject() && !options.windows.isEmpty()) {
                window.OpenDocument(FromQString(options.windows.front()).value_or(std::string()));
                host.PumpUntil([] { return false; }, 50);
            }
            const QPixmap picture = window.grab();
            if (picture.isNull() || !picture.save(options.output, "PNG")) {
                Say("could not write " + options.output);
                status = 1;
            }
        }
        GoOffline(window, host);
        for (const std::string& line : script.shown) Say(ToQString(line));
        window.hide();
        // Leaving without the save question: the picture changed nothing worth keeping.
        window.frame().SetModified(false);
    }
    return status;
}

}  // namespace pontra::gui
