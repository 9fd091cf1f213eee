// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/ScriptedHost.h"

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace pontra {

namespace fs = std::filesystem;

ScriptedHost::ScriptedHost() = default;

ScriptedHost::~ScriptedHost() {
    if (ownsTempFolder_) {
        std::error_code ec;
        fs::remove_all(tempFolder_, ec);
    }
}

std::vector<std::string> ScriptedHost::Messages() const {
    std::vector<std::string> result;
    for (const auto& entry : log)
        if (entry.starts_with("message: ")) result.push_back(entry.substr(9));
    return result;
}

bool ScriptedHost::NextAnswer() {
    if (answers.empty()) return defaultAnswer;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedHost::Message(const std::string& text) { log.push_back("message: " + text); }

bool ScriptedHost::AskOkCancel(const std::string& text) {
    log.push_back("okcancel: " + text);
    return NextAnswer();
}

bool ScriptedHost::AskYesNo(const std::string& text) {
    log.push_back("yesno: " + text);
    return NextAnswer();
}

Host::Answer ScriptedHost::AskYesNoCancel(const std::string& text) {
    log.push_back("yesnocancel: " + text);
    if (threeWayAnswers.empty()) return Answer::Cancel;
    const Answer answer = threeWayAnswers.front();
    threeWayAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedHost::ChooseFile(const FileDialogRequest& request) {
    log.push_back(std::string("file: ") + (request.save ? "save" : "open"));
    if (files.empty()) return std::nullopt;
    auto answer = files.front();
    files.pop_front();
    return answer;
}

std::optional<ControllerPropertiesChoice> ScriptedHost::ControllerPropertiesDialog(uint32_t, const std::string&) {
    log.push_back("dialog: Controller Properties");
    if (controllerProperties.empty()) return std::nullopt;
    auto answer = controllerProperties.front();
    controllerProperties.pop_front();
    return answer;
}

void ScriptedHost::EmptyClipboard() { clipboard.clear(); }

void ScriptedHost::OpenWindow(const std::string& window) { windows.push_back("open: " + window); }
void ScriptedHost::CloseWindow(const std::string& window) { windows.push_back("close: " + window); }
void ScriptedHost::RenameWindow(const std::string& window, const std::string& newKey) {
    windows.push_back("rename: " + window + " -> " + newKey);
}

void ScriptedHost::SetClipboard(const std::string& format, const std::string& data) { clipboard[format] = data; }

std::optional<std::string> ScriptedHost::GetClipboard(const std::string& format) {
    auto it = clipboard.find(format);
    if (it == clipboard.end()) return std::nullopt;
    return it->second;
}

void ScriptedHost::StartTimer(int id, int milliseconds) {
    timers[id] = milliseconds;
    due_[id] = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

void ScriptedHost::StopTimer(int id) {
    timers.erase(id);
    due_.erase(id);
}

void ScriptedHost::FireTimer(int id) {
    if (timers.count(id)) DeliverTimer(id);
}

void ScriptedHost::ShowProgress(const std::string&, bool visible) { progressVisible = visible; }

void ScriptedHost::SetProgress(int position, int range) {
    progressPosition = position;
    progressRange = range;
}

void ScriptedHost::Post(std::function<void()> work) { events_.Push(std::move(work)); }

void ScriptedHost::PumpEvents() {
    events_.RunPending();
    if (!realTimeTimers) return;
    const auto now = std::chrono::steady_clock::now();
    std::vector<int> fire;
    for (auto& [id, due] : due_)
        if (due <= now) fire.push_back(id);
    for (int id : fire) {
        auto period = timers.find(id);
        if (period == timers.end()) continue;
        due_[id] = now + std::chrono::milliseconds(period->second);
        DeliverTimer(id);
    }
}

bool ScriptedHost::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (true) {
        PumpEvents();
        if (done()) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return false;
        events_.WaitFor(std::min<std::chrono::milliseconds>(
            std::chrono::duration_cast<std::chrono::milliseconds>(end - now), std::chrono::milliseconds(5)));
    }
}

void ScriptedHost::Wait(int milliseconds) {
    PumpUntil([] { return false; }, std::chrono::milliseconds(milliseconds));
}

void ScriptedHost::SetTitle(const std::string& window, const std::string& title) { titles[window] = title; }

void ScriptedHost::OutputLineAdded(const std::string& line) { outputLines.push_back(line); }

bool ScriptedHost::OpenWithViewer(const std::string& path) {
    viewed.push_back(path);
    return viewerOpens;
}

std::string ScriptedHost::GetSetting(const std::string& key, const std::string& fallback) {
    auto it = settings.find(key);
    return it == settings.end() ? fallback : it->second;
}

void ScriptedHost::SetSetting(const std::string& key, const std::string& value) { settings[key] = value; }

std::string ScriptedHost::TempFolder() {
    if (tempFolder_.empty()) {
        std::string pattern = (fs::temp_directory_path() / "pontra-host-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data())) {
            tempFolder_ = made;
            ownsTempFolder_ = true;
        } else {
            tempFolder_ = fs::temp_directory_path().string();
        }
    }
    return tempFolder_;
}

std::string ScriptedHost::ProgramFolder() { return TempFolder(); }

}  // namespace pontra
