// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalHost.h"
#include "cli/TerminalText.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

namespace pontra {

bool TerminalHost::Ask(const std::string& text, const char* choices) {
    std::cerr << ToTerminal(text) << "\n";
    if (assumeYes_) return true;
    if (!isatty(STDIN_FILENO)) {
        std::cerr << "(no terminal to answer: " << (std::string(choices) == "y/n" ? "No" : "Cancel") << ")\n";
        return false;
    }
    std::cerr << "[" << choices << "] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y' || answer[0] == 'o' || answer[0] == 'O');
}

namespace {

// stdout and stderr go to the same place (a terminal, or one file or pipe for both).
bool SharedStreams() {
    struct stat out {}, err {};
    return fstat(STDOUT_FILENO, &out) == 0 && fstat(STDERR_FILENO, &err) == 0 && out.st_dev == err.st_dev &&
           out.st_ino == err.st_ino;
}

} // namespace

TerminalHost::~TerminalHost() {
    for (const auto& line : verification_.Flush()) PrintOutputLine(line);
}

// A message that repeats the output line just printed is shown once where both streams
// meet; separate streams each get the whole story.
void TerminalHost::Message(const std::string& text) {
    if (!lastOutputLine_.empty() && text == lastOutputLine_ && SharedStreams()) return;
    std::cerr << ToTerminal(text) << "\n";
}

bool TerminalHost::AskOkCancel(const std::string& text) { return Ask(text, "ok/cancel"); }

bool TerminalHost::AskYesNo(const std::string& text) { return Ask(text, "y/n"); }

// --yes saves; without a terminal nobody can decide, so nothing is closed.
Host::Answer TerminalHost::AskYesNoCancel(const std::string& text) {
    std::cerr << ToTerminal(text) << "\n";
    if (assumeYes_) return Answer::Yes;
    if (!isatty(STDIN_FILENO)) {
        std::cerr << "(no terminal to answer: Cancel)\n";
        return Answer::Cancel;
    }
    std::cerr << "[y/n/cancel] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer) || answer.empty()) return Answer::Cancel;
    if (answer[0] == 'y' || answer[0] == 'Y') return Answer::Yes;
    if (answer[0] == 'n' || answer[0] == 'N') return Answer::No;
    return Answer::Cancel;
}

// Paths come from the command line; a dialog has nothing more to ask.
std::optional<std::string> TerminalHost::ChooseFile(const FileDialogRequest&) { return std::nullopt; }

std::optional<ControllerPropertiesChoice> TerminalHost::ControllerPropertiesDialog(uint32_t, const std::string&) {
    auto answer = pendingProperties;
    pendingProperties.reset();
    return answer;
}

void TerminalHost::EmptyClipboard() { clipboard_.clear(); }

void TerminalHost::SetClipboard(const std::string& format, const std::string& data) { clipboard_[format] = data; }

std::optional<std::string> TerminalHost::GetClipboard(const std::string& format) {
    auto it = clipboard_.find(format);
    if (it == clipboard_.end()) return std::nullopt;
    return it->second;
}

void TerminalHost::StartTimer(int id, int milliseconds) {
    timers_[id] = {milliseconds, std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds)};
}

void TerminalHost::StopTimer(int id) { timers_.erase(id); }

void TerminalHost::ShowProgress(const std::string&, bool) {}

void TerminalHost::SetProgress(int, int) {}

void TerminalHost::Post(std::function<void()> work) { events_.Push(std::move(work)); }

void TerminalHost::PumpEvents() {
    events_.RunPending();
    const auto now = std::chrono::steady_clock::now();
    std::vector<int> due;
    for (auto& [id, timer] : timers_)
        if (timer.second <= now) due.push_back(id);
    for (int id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end()) continue;  // stopped by an earlier handler
        it->second.second = now + std::chrono::milliseconds(it->second.first);
        DeliverTimer(id);
    }
}

bool TerminalHost::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (true) {
        PumpEvents();
        if (done()) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return false;
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
        for (auto& [id, timer] : timers_)
            wait = std::min(wait, std::chrono::duration_cast<std::chrono::milliseconds>(timer.second - now));
        events_.WaitFor(std::clamp(wait, std::chrono::milliseconds(1), std::chrono::milliseconds(50)));
    }
}

void TerminalHost::Wait(int milliseconds) {
    PumpUntil([] { return false; }, std::chrono::milliseconds(milliseconds));
}

void TerminalHost::SetTitle(const std::string&, const std::string&) {}

void TerminalHost::OutputLineAdded(const std::string& line) {
    if (printVerification) return PrintOutputLine(line);
    for (const auto& shown : verification_.Add(line)) PrintOutputLine(shown);
}

void TerminalHost::PrintOutputLine(const std::string& line) {
    std::cout << ToTerminal(line) << "\n" << std::flush;
    lastOutputLine_ = line;
}

// A terminal has no viewer to start: the path is named for the person to open.
bool TerminalHost::OpenWithViewer(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::cerr << "Open " << path << " with a viewer.\n";
    return true;
}

std::string TerminalHost::GetSetting(const std::string& key, const std::string& fallback) {
    auto it = settings_.find(key);
    return it == settings_.end() ? fallback : it->second;
}

void TerminalHost::SetSetting(const std::string& key, const std::string& value) { settings_[key] = value; }

// Empty when TMPDIR names no folder: the caller reports that.
std::string TerminalHost::TempFolder() {
    std::error_code ec;
    const auto folder = std::filesystem::temp_directory_path(ec);
    return ec ? std::string() : folder.string();
}

std::string TerminalHost::ProgramFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

}  // namespace pontra
