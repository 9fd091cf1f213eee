// SPDX-License-Identifier: GPL-3.0-or-later
// A host that records every message and question in order and answers from a script.
// Tests assert on its log; fuzzers and benchmarks use it as a silent host.
#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "host/EventQueue.h"
#include "host/Host.h"

namespace pontra {

class ScriptedHost : public Host {
public:
    ScriptedHost();
    ~ScriptedHost() override;

    // Every message and question, in order, as "message: TEXT", "okcancel: TEXT",
    // "yesno: TEXT", "yesnocancel: TEXT", "file: open|save", "dialog: Controller Properties".
    std::vector<std::string> log;
    // Answers to questions (true = OK/Yes), taken in order; when empty, `defaultAnswer`.
    std::deque<bool> answers;
    bool defaultAnswer = false;
    // Answers to Yes/No/Cancel questions, taken in order; when empty, Cancel.
    std::deque<Answer> threeWayAnswers;
    // Answers to file dialogs and the controller-properties dialog; empty = cancel.
    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<ControllerPropertiesChoice>> controllerProperties;

    std::map<std::string, std::string> clipboard;
    std::map<std::string, std::string> titles;
    std::map<std::string, std::string> settings;
    std::vector<std::string> outputLines;
    // Window requests in order: "open: KEY", "close: KEY", "rename: KEY -> NEWKEY".
    std::vector<std::string> windows;
    // Files handed to the system viewer, in order; `viewerOpens` is the answer.
    std::vector<std::string> viewed;
    bool viewerOpens = true;
    std::map<int, int> timers;  // running timers: id -> period
    bool progressVisible = false;
    int progressPosition = 0, progressRange = 0;
    // When set, PumpEvents also fires timers whose period has passed (real time).
    bool realTimeTimers = false;

    // Messages only (without the "message: " prefix), in order.
    std::vector<std::string> Messages() const;
    // Fires a running timer now, as if its period had passed.
    void FireTimer(int id);
    // Pumps until `done` holds or the time passes; true when it holds.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    void Message(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text) override;
    std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
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
    void OpenWindow(const std::string& window) override;
    void CloseWindow(const std::string& window) override;
    void RenameWindow(const std::string& window, const std::string& newKey) override;
    bool OpenWithViewer(const std::string& path) override;
    std::string GetSetting(const std::string& key, const std::string& fallback) override;
    void SetSetting(const std::string& key, const std::string& value) override;
    std::string TempFolder() override;
    std::string ProgramFolder() override;

private:
    bool NextAnswer();
    EventQueue events_;
    std::map<int, std::chrono::steady_clock::time_point> due_;
    std::string tempFolder_;
    bool ownsTempFolder_ = false;
};

}  // namespace pontra
