// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/QtHost.h"

#include <QApplication>
#include <algorithm>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "gui/ControllerPropertiesDialog.h"
#include "gui/QtText.h"
#include "shell/AppShell.h"

namespace pontra::gui {

namespace {

constexpr const char* kVersionKey = "Pontra/SettingsVersion";
constexpr const char* kLastFolderKey = "Settings/LastFolder";

// The core names sections with backslashes; QSettings separates groups with slashes.
QString SettingsKey(const std::string& key) {
    QString name = QString::fromStdString(key);
    name.replace('\\', '/');
    return name;
}

QString Path(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string Path(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

QtHost::QtHost(const QString& settingsFile, QObject* parent) : QObject(parent) { OpenSettings(settingsFile); }

QtHost::~QtHost() = default;

void QtHost::OpenSettings(const QString& settingsFile) {
    if (settingsFile.isEmpty())
        settings_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kSettingsKey, "Pontra");
    else
        settings_ = std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    // Values written by another settings version mean something else, and a damaged file
    // means nothing: both start again from the defaults.
    bool versionOk = false;
    const int version = settings_->value(kVersionKey).toInt(&versionOk);
    if (settings_->status() != QSettings::NoError || !versionOk || version != kSettingsVersion) {
        settings_->clear();
        settings_->setValue(kVersionKey, kSettingsVersion);
    }
}

QString QtHost::MimeTypeOf(const std::string& format) {
    if (format == kClipboardText) return "text/plain";
    QString name = QString::fromStdString(format).toLower();
    name.remove(' ');
    name.replace("pontra-", "");
    return "application/x-pontra-" + name;  // "Pontra - Rung" -> application/x-pontra-rung
}

Host::Answer QtHost::Ask(const std::string& text, int buttons, Answer escape) {
    if (script_) {
        script_->shown.push_back((buttons == QMessageBox::Ok ? "message: " : "question: ") + text);
        if (buttons == QMessageBox::Ok) return Answer::Yes;
        if (script_->answers.empty()) return escape;
        const Answer answer = script_->answers.front();
        script_->answers.pop_front();
        return answer;
    }
    const QMessageBox::StandardButtons standard(QFlag{buttons});
    const QMessageBox::Icon icon = buttons == QMessageBox::Ok ? QMessageBox::Warning : QMessageBox::Question;
    QMessageBox box(icon, QCoreApplication::applicationName(), ToQString(text), standard, dialogParent_);
    switch (box.exec()) {
        case QMessageBox::Ok:
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return escape;
    }
}

void QtHost::Message(const std::string& text) { Ask(text, QMessageBox::Ok, Answer::Yes); }

bool QtHost::AskOkCancel(const std::string& text) {
    return Ask(text, QMessageBox::Ok | QMessageBox::Cancel, Answer::Cancel) == Answer::Yes;
}

bool QtHost::AskYesNo(const std::string& text) {
    return Ask(text, QMessageBox::Yes | QMessageBox::No, Answer::No) == Answer::Yes;
}

Host::Answer QtHost::AskYesNoCancel(const std::string& text) {
    return Ask(text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, Answer::Cancel);
}

std::optional<std::string> QtHost::ChooseFile(const FileDialogRequest& request) {
    if (script_) {
        script_->shown.push_back(request.save ? "file: save" : "file: open");
        if (script_->files.empty()) return std::nullopt;
        std::optional<std::string> file = script_->files.front();
        script_->files.pop_front();
        return file;
    }
    QString start = Path(request.initialPath);
    const QString lastFolder = settings_->value(kLastFolderKey).toString();
    if (QFileInfo(start).isRelative() && !lastFolder.isEmpty()) start = QDir(lastFolder).filePath(start);
    // "CLP Files (*.clp) | *.clp||" -> "CLP Files (*.clp)"
    QString filter = ToQString(request.filter).section('|', 0, 0).trimmed();
    if (filter.isEmpty()) filter = "CLP Files (*.clp)";
    QFileDialog dialog(dialogParent_, request.save ? "Save As" : "Open", start, filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension).remove('.'));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().front();
    settings_->setValue(kLastFolderKey, QFileInfo(chosen).absolutePath());
    return Path(chosen);
}

std::optional<std::vector<std::string>> QtHost::ChooseFiles(const FileDialogRequest& request) {
    if (script_) {
        script_->shown.push_back("file: open several");
        if (script_->fileSets.empty()) return std::nullopt;
        std::optional<std::vector<std::string>> files = script_->fileSets.front();
        script_->fileSets.pop_front();
        return files;
    }
    QString filter = ToQString(request.filter).section('|', 0, 0).trimmed();
    QFileDialog dialog(dialogParent_, "Open", Path(request.initialPath), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // Several names in the name field are quoted, as the dialog itself writes them.
    QStringList names;
    for (const std::string& file : request.selected)
        names << '"' + QFileInfo(Path(file)).fileName() + '"';
    if (names.size() == 1) dialog.selectFile(QFileInfo(Path(request.selected.front())).fileName());
    else if (!names.isEmpty()) dialog.selectFile(names.join(' '));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    std::vector<std::string> chosen;
    for (const QString& file : dialog.selectedFiles()) chosen.push_back(Path(file));
    settings_->setValue(kLastFolderKey, QFileInfo(dialog.selectedFiles().front()).absolutePath());
    return chosen;
}

std::optional<ControllerPropertiesChoice> QtHost::ControllerPropertiesDialog(uint32_t address,
                                                                              const std::string& type) {
    if (script_) {
        script_->shown.push_back("dialog: Controller Properties");
        if (script_->properties.empty()) return std::nullopt;
        std::optional<ControllerPropertiesChoice> choice = script_->properties.front();
        script_->properties.pop_front();
        return choice;
    }
    pontra::gui::ControllerPropertiesDialog dialog(address, type, dialogParent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

void QtHost::EmptyClipboard() { QGuiApplication::clipboard()->clear(); }

void QtHost::SetClipboard(const std::string& format, const std::string& data) {
    // Formats set one after another all stay on the clipboard, until it is emptied.
    auto mime = std::make_unique<QMimeData>();
    if (const QMimeData* current = QGuiApplication::clipboard()->mimeData())
        for (const QString& type : current->formats()) mime->setData(type, current->data(type));
    if (format == kClipboardText) mime->setText(ToQString(data));
    else mime->setData(MimeTypeOf(format), QByteArray::fromStdString(data));
    QGuiApplication::clipboard()->setMimeData(mime.release());
}

std::optional<std::string> QtHost::GetClipboard(const std::string& format) {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime) return std::nullopt;
    if (format == kClipboardText) return mime->hasText() ? FromQString(mime->text()) : std::nullopt;
    const QString type = MimeTypeOf(format);
    if (!mime->hasFormat(type)) return std::nullopt;
    return mime->data(type).toStdString();
}

void QtHost::StartTimer(int id, int milliseconds) {
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] {
            DeliverTimer(id);
            Q_EMIT coreEventHandled();
        });
    }
    timer->start(milliseconds);
}

void QtHost::StopTimer(int id) {
    if (auto it = timers_.find(id); it != timers_.end()) it->second->stop();
}

void QtHost::ShowProgress(const std::string& caption, bool visible) {
    Q_EMIT progressShown(ToQString(caption), visible);
}

void QtHost::SetProgress(int position, int range) { Q_EMIT progressSet(position, range); }

void QtHost::Post(std::function<void()> work) {
    // Safe from any thread: the call is queued to this object's (the GUI) thread.
    QMetaObject::invokeMethod(
        this,
        [this, work = std::move(work)] {
            work();
            Q_EMIT coreEventHandled();
        },
        Qt::QueuedConnection);
}

void QtHost::PumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

bool QtHost::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void QtHost::Wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(std::max(0, milliseconds), &loop, &QEventLoop::quit);
    loop.exec();
}

void QtHost::SetTitle(const std::string& window, const std::string& title) {
    Q_EMIT titleChanged(QString::fromStdString(window), ToQString(title));
}

void QtHost::OutputLineAdded(const std::string& line) {
    (void)line;  // the window reads the lines from the model
    Q_EMIT outputLineAdded();
}

void QtHost::Repaint() { Q_EMIT repaintRequested(); }

void QtHost::OpenWindow(const std::string& window) { Q_EMIT openWindowRequested(ToQString(window)); }

void QtHost::CloseWindow(const std::string& window) { Q_EMIT closeWindowRequested(ToQString(window)); }

void QtHost::RenameWindow(const std::string& window, const std::string& newKey) {
    Q_EMIT renameWindowRequested(ToQString(window), ToQString(newKey));
}

bool QtHost::OpenWithViewer(const std::string& path) {
    const QString file = Path(path);
    if (script_) {
        script_->shown.push_back("viewer: " + path);
        return QFileInfo::exists(file);
    }
    return QFileInfo::exists(file) && QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

std::string QtHost::GetSetting(const std::string& key, const std::string& fallback) {
    const QVariant value = settings_->value(SettingsKey(key));
    if (!value.isValid()) return fallback;
    return Path(value.toString());
}

void QtHost::SetSetting(const std::string& key, const std::string& value) {
    settings_->setValue(SettingsKey(key), Path(value));
}

std::string QtHost::TempFolder() {
    QString folder = QDir::tempPath();
    while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
    return Path(folder);
}

std::string QtHost::ProgramFolder() { return Path(QCoreApplication::applicationDirPath()); }

}  // namespace pontra::gui
