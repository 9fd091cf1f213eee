// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/AppShell.h"

#include <algorithm>
#include <filesystem>

#include "shell/CommandGuards.h"
#include "shell/DocumentLifecycle.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace fs = std::filesystem;

namespace {

// Longer values in the settings are damage, not paths.
constexpr size_t kMaxSettingPath = 4096;

std::string RecentFileKey(int index) {
    return std::string(kRecentFileSection) + "\\File" + std::to_string(index + 1);
}

std::string BarKey(const char* bar) {
    return std::string(kBarStateSection) + "\\" + bar;
}

struct BarEntry {
    const char* name;
    bool BarVisibility::*visible;
};
constexpr BarEntry kBars[] = {
    {"Toolbar", &BarVisibility::toolbar},
    {"Status Bar", &BarVisibility::statusBar},
    {"Ladder Instruction Bar", &BarVisibility::instructionBar},
    {"Project Bar", &BarVisibility::projectBar},
    {"Output Bar", &BarVisibility::outputBar},
};

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

void SaveRecentFiles(CMainFrame& frame) {
    for (int i = 0; i < kRecentFileCount; ++i) {
        const size_t at = static_cast<size_t>(i);
        frame.host().SetSetting(RecentFileKey(i), at < frame.recentFiles.size() ? frame.recentFiles[at] : "");
    }
}

} // namespace

bool StartUp(CMainFrame& frame, const std::string& commandLineFile) {
    LoadBarStates(frame);
    LoadRecentFiles(frame);
    frame.CloseProject();
    return commandLineFile.empty() || OpenDocument(frame, commandLineFile);
}

bool CloseMainWindow(CMainFrame& frame) {
    if (!PassesBusyGuard(frame, Command::Exit)) return false;
    if (frame.HasProject() && !QueryCloseDocument(frame)) return false;
    SaveBarStates(frame);
    return true;
}

std::string HelpFilePath(const std::string& programFolder) {
    const fs::path beside = fs::path(programFolder) / "Pontra.pdf";
    // An installed program (PREFIX/bin) finds the guide where the package puts it.
    const fs::path installed = fs::path(programFolder) / ".." / "share" / "doc" / "pontra" / "Pontra.pdf";
    std::error_code ec;
    if (!fs::is_regular_file(beside, ec) && fs::is_regular_file(installed, ec))
        return installed.lexically_normal().string();
    return beside.string();
}

bool OpenHelpTopics(CMainFrame& frame) {
    Host& host = frame.host();
    const std::string path = HelpFilePath(host.ProgramFolder());
    if (host.OpenWithViewer(path)) return true;
    host.Message("Can't open the help file '" + path + "'!");
    return false;
}

void LoadRecentFiles(CMainFrame& frame) {
    frame.recentFiles.clear();
    for (int i = 0; i < kRecentFileCount; ++i) {
        const std::string path = frame.host().GetSetting(RecentFileKey(i), "");
        if (path.empty() || path.size() > kMaxSettingPath) continue;
        if (std::find(frame.recentFiles.begin(), frame.recentFiles.end(), path) == frame.recentFiles.end())
            frame.recentFiles.push_back(path);
    }
}

void AddRecentFile(CMainFrame& frame, const std::string& path) {
    if (path.empty()) return;
    const std::string entry = AbsolutePath(path);
    std::erase(frame.recentFiles, entry);
    frame.recentFiles.insert(frame.recentFiles.begin(), entry);
    if (frame.recentFiles.size() > static_cast<size_t>(kRecentFileCount))
        frame.recentFiles.resize(kRecentFileCount);
    SaveRecentFiles(frame);
}

void RemoveRecentFile(CMainFrame& frame, const std::string& path) {
    if (std::erase(frame.recentFiles, path) == 0) std::erase(frame.recentFiles, AbsolutePath(path));
    SaveRecentFiles(frame);
}

void LoadBarStates(CMainFrame& frame) {
    for (const BarEntry& bar : kBars) {
        const std::string value = frame.host().GetSetting(BarKey(bar.name), "");
        if (value == "0" || value == "1") frame.bars.*bar.visible = value == "1";
    }
}

void SaveBarStates(CMainFrame& frame) {
    for (const BarEntry& bar : kBars)
        frame.host().SetSetting(BarKey(bar.name), frame.bars.*bar.visible ? "1" : "0");
}

} // namespace pontra
