// SPDX-License-Identifier: GPL-3.0-or-later
// The host of pontra-cli: messages to stderr, output-window lines to stdout, questions
// answered by --yes, asked on a terminal, or answered Cancel/No when nobody can answer.
#pragma once

#include <chrono>
#include <map>

#include "cli/VerificationLineFilter.h"
#include "host/EventQueue.h"
#include "host/Host.h"

namespace pontra {

class TerminalHost : public Host {
public:
    explicit TerminalHost(bool assumeYes) : assumeYes_(assumeYes) {}
    ~TerminalHost() override;

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
    bool OpenWithViewer(const std::string& path) override;
    std::string GetSetting(const std::string& key, const std::string& fallback) override;
    void SetSetting(const std::string& key, const std::string& value) override;
    std::string TempFolder() override;
    std::string ProgramFolder() override;

    // Answers for the next controller-properties dialog (set from command-line options).
    std::optional<ControllerPropertiesChoice> pendingProperties;
    // False: the build's verification lines are printed only when they report errors.
    bool printVerification = true;

private:
    bool Ask(const std::string& text, const char* choices);

    void PrintOutputLine(const std::string& line);

    bool assumeYes_;
    VerificationLineFilter verification_;
    std::string lastOutputLine_;
    EventQueue events_;
    std::map<int, std::pair<int, std::chrono::steady_clock::time_point>> timers_;
    std::map<std::string, std::string> clipboard_;
    std::map<std::string, std::string> settings_;
};

}  // namespace pontra
