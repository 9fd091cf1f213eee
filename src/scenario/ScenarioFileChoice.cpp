// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/ScenarioFileChoice.h"

#include <algorithm>
#include <filesystem>

namespace pontra::scenario {

namespace fs = std::filesystem;

namespace {

// Several files in one settings value, one a line (a file name holds no line break
// that anyone would choose; such a name is not remembered).
std::string Join(const std::vector<std::string>& files) {
    std::string value;
    for (const auto& file : files) {
        if (file.find('\n') != std::string::npos) continue;
        if (!value.empty()) value += '\n';
        value += file;
    }
    return value;
}

std::vector<std::string> Split(const std::string& value) {
    std::vector<std::string> files;
    size_t start = 0;
    while (start < value.size()) {
        size_t end = value.find('\n', start);
        if (end == std::string::npos) end = value.size();
        if (end > start) files.push_back(value.substr(start, end - start));
        start = end + 1;
    }
    return files;
}

fs::path Folder(const std::string& projectPath) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(projectPath), ec);
    return ec ? fs::path(projectPath).parent_path() : absolute.parent_path();
}

}  // namespace

std::string ScenarioFileChoice::SettingKey(const std::string& projectPath) {
    std::string key = std::string(kSection) + "\\";
    for (char c : projectPath) {
        if (c == '%') key += "%25";
        else if (c == '/') key += "%2F";
        else if (c == '\\') key += "%5C";
        else key += c;
    }
    return key;
}

std::vector<std::string> ScenarioFileChoice::DefaultFiles(const std::string& projectPath) {
    std::vector<std::string> files;
    if (projectPath.empty()) return files;
    std::error_code ec;
    for (fs::directory_iterator it(Folder(projectPath), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->path().extension() == ".test" && it->is_regular_file(typeError)) files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ScenarioFileChoice::DisplayName(const std::string& path, const std::string& projectPath) {
    if (projectPath.empty()) return path;
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec) return path;
    const fs::path relative = absolute.lexically_normal().lexically_relative(Folder(projectPath).lexically_normal());
    if (relative.empty() || *relative.begin() == "..") return path;
    return relative.string();
}

std::vector<std::string> ScenarioFileChoice::Remembered() const {
    if (projectPath_.empty()) return {};
    return Split(host_.GetSetting(SettingKey(projectPath_), ""));
}

FileDialogRequest ScenarioFileChoice::Request() const {
    FileDialogRequest request;
    request.defaultExtension = ".test";
    request.filter = kFilter;
    if (!projectPath_.empty()) request.initialPath = Folder(projectPath_).string();
    request.selected = Remembered();
    if (request.selected.empty()) request.selected = DefaultFiles(projectPath_);
    return request;
}

std::optional<std::vector<std::string>> ScenarioFileChoice::Choose() {
    std::optional<std::vector<std::string>> files = host_.ChooseFiles(Request());
    if (!files || files->empty()) return std::nullopt;
    if (!projectPath_.empty()) host_.SetSetting(SettingKey(projectPath_), Join(*files));
    return files;
}

std::optional<std::vector<std::string>> ScenarioFileChoice::FilesToRun() {
    std::vector<std::string> files = Remembered();
    if (!files.empty()) return files;
    return Choose();
}

}  // namespace pontra::scenario
