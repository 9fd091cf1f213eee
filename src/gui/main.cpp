// SPDX-License-Identifier: GPL-3.0-or-later
// pontra, the desktop application: `pontra [FILE.clp]` opens the main window around a
// project; `--screenshot` renders it into an image and ends.
#include <QCommandLineParser>
#include <QFile>
#include <cstdio>

#include "gui/AboutDialog.h"
#include "gui/MainWindow.h"
#include "gui/PontraApplication.h"
#include "gui/QtHost.h"
#include "gui/ScreenshotRun.h"

namespace {

QtMessageHandler defaultHandler = nullptr;

void OffscreenMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support "))) return;
    defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pontra::gui;
    QCommandLineParser parser;
    parser.setApplicationDescription("Pontra: the programming environment for Vessa zone-control modules.");
    parser.addPositionalArgument("file", "project file (.clp) to open", "[FILE.clp]");
    const QCommandLineOption help({"h", "help"}, "show this help and exit");
    const QCommandLineOption version("version", "show the version and licence and exit");
    const QCommandLineOption shot("screenshot", "render the main window into OUT.png and exit", "OUT.png");
    const QCommandLineOption size("size", "picture size (default 1280x800)", "WxH", "1280x800");
    const QCommandLineOption window("window", "open this window (main, tags, fb:NAME:routine, fb:NAME:tags, type:NAME); repeatable",
                                    "KEY");
    const QCommandLineOption online("online", "go online to the module at HOST first (ports from PONTRA_MODBUS_PORT, "
                                              "PONTRA_TFTP_PORT, PONTRA_UDP_PORT)",
                                    "HOST");
    const QCommandLineOption trend("trend", "put this tag on the trend (online: drawn over a few reads); repeatable",
                                   "TAG");
    const QCommandLineOption tests("run-tests", "with --screenshot: run these scenario files first and show the results; "
                                                "repeatable",
                                   "FILE.test");
    for (const QCommandLineOption& option : {help, version, shot, size, window, online, trend, tests})
        parser.addOption(option);
    // The options are read before the application object, so that help, version and usage
    // errors need no screen.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "pontra: %s\n", parser.errorText().toLocal8Bit().constData());
        return 2;
    }
    if (parser.isSet(help)) {
        // Without an application object Qt does not know the program's name.
        std::fputs(parser.helpText().replace("<executable_name>", "pontra").toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s\n%s\n", AboutDialog::VersionText().toLocal8Bit().constData(),
                    AboutDialog::LicenceText().toLocal8Bit().constData());
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    // A picture needs no screen: without one it is drawn off screen.
    const bool headless = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (parser.isSet(shot) && headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Off screen there is no window system to size or raise windows; its plugin says so
    // for every window, which tells a person reading the output nothing.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") defaultHandler = qInstallMessageHandler(OffscreenMessages);
    if (files.size() > 1) {
        std::fprintf(stderr, "pontra: one project file at most\n");
        return 2;
    }
    PontraApplication app(argc, argv);
    const QString file = files.isEmpty() ? QString() : files.front();

    if (parser.isSet(shot)) {
        ScreenshotOptions options;
        options.output = parser.value(shot);
        if (!ParseScreenshotSize(parser.value(size), options.size)) {
            std::fprintf(stderr, "pontra: --size wants WxH, e.g. 1280x800\n");
            return 2;
        }
        options.windows = parser.values(window);
        options.onlineAddress = parser.value(online);
        options.trendTags = parser.values(trend);
        options.project = file;
        options.testFiles = parser.values(tests);
        return RunScreenshot(options);
    }

    QtHost host;
    MainWindow main(host);
    main.StartUp(QFile::encodeName(file).toStdString());
    main.show();
    return app.exec();
}
