// SPDX-License-Identifier: GPL-3.0-or-later
// The core's host on Qt: message boxes and questions with the core's texts, the file
// dialog, the clipboard, timers by id, posted work on the GUI thread, the settings file,
// the system viewer and folders. What a window must show (titles, output lines, the
// download bar, window requests) leaves as signals for the main window.
#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/Host.h"

class QSettings;
class QTimer;
class QWidget;

namespace pontra::gui {

// Answers for the dialogs instead of a person, for tests: each dialog takes the next
// answer (an empty list answers Cancel/No and cancels file dialogs); every text the core
// shows is recorded in order.
struct HostScript {
    std::deque<Host::Answer> answers;  // Yes also stands for OK
    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<std::vector<std::string>>> fileSets;  // the several-file dialog
    std::deque<std::optional<ControllerPropertiesChoice>> properties;
    std::vector<std::string> shown;  // "message: TEXT", "question: TEXT", "file: open|save|open several"
};

class QtHost : public QObject, public Host {
    Q_OBJECT
public:
    // `settingsFile` empty: the per-user settings file.
    explicit QtHost(const QString& settingsFile = {}, QObject* parent = nullptr);
    ~QtHost() override;

    // The window dialogs are shown over.
    void SetDialogParent(QWidget* parent) { dialogParent_ = parent; }
    // Dialogs answered from a script (tests); null shows them to the person.
    void SetScript(HostScript* script) { script_ = script; }
    HostScript* script() const { return script_; }

    // The settings store (also for the window layout). A damaged file or one written by
    // another settings version starts from the defaults.
    QSettings& settings() { return *settings_; }
    static constexpr int kSettingsVersion = 1;

    // Runs events until `done` holds or `timeoutMs` passed; true when it holds.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

    // The clipboard's MIME type for one of the core's formats.
    static QString MimeTypeOf(const std::string& format);

    void Message(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text) override;
    std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
    std::optional<std::vector<std::string>> ChooseFiles(const FileDialogRequest& request) override;
    std::optional<ControllerPropertiesChoice> ControllerPropertiesDialog(uint32_t address,
                                                                          const std::string& type) override;
    void EmptyClipboard() override;
    void SetClipboard(const std::string& format, const std::string& data) override;
    std::optional<std::string> GetClipboard(const std::string& format) override;
    void StartTimer(int id, int milliseconds) override;
    void StopTimer(int id) override;
    void ShowProgress(const std::string& caption, bool visible) override;
    void SetProgress(int position, int range) override;
    void Post(std::function<void()> work) override;
    void PumpEvents() override;
    void Wait(int milliseconds) override;
    void SetTitle(const std::string& window, const std::string& title) override;
    void OutputLineAdded(const std::string& line) override;
    void Repaint() override;
    void OpenWindow(const std::string& window) override;
    void CloseWindow(const std::string& window) override;
    void RenameWindow(const std::string& window, const std::string& newKey) override;
    bool OpenWithViewer(const std::string& path) override;
    std::string GetSetting(const std::string& key, const std::string& fallback) override;
    void SetSetting(const std::string& key, const std::string& value) override;
    std::string TempFolder() override;
    std::string ProgramFolder() override;

Q_SIGNALS:
    void titleChanged(const QString& window, const QString& title);
    void outputLineAdded();
    void repaintRequested();
    void openWindowRequested(const QString& window);
    void closeWindowRequested(const QString& window);
    void renameWindowRequested(const QString& window, const QString& newKey);
    void progressShown(const QString& caption, bool visible);
    void progressSet(int position, int range);
    // Posted work or a timer ran: the core's state may have changed (online events).
    void coreEventHandled();

private:
    void OpenSettings(const QString& settingsFile);
    Answer Ask(const std::string& text, int buttons, Answer escape);

    std::unique_ptr<QSettings> settings_;
    std::map<int, QTimer*> timers_;
    QWidget* dialogParent_ = nullptr;
    HostScript* script_ = nullptr;
};

}  // namespace pontra::gui
