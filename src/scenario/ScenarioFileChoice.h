// SPDX-License-Identifier: GPL-3.0-or-later
// Which scenario files the desktop application runs for a project: chosen once with the
// host's file dialog (the *.test files beside the project offered at first), then
// remembered in the per-user settings under the project's path until chosen again. An
// untitled project has no path to remember them by: its files are asked for each time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/Host.h"

namespace pontra::scenario {

class ScenarioFileChoice {
public:
    // `projectPath`: the project file's path (empty for an untitled project).
    ScenarioFileChoice(Host& host, std::string projectPath) : host_(host), projectPath_(std::move(projectPath)) {}

    // The files last chosen for the project; empty when none were.
    std::vector<std::string> Remembered() const;
    // The dialog: in the project's folder, scenario files, the remembered files (else the
    // default ones) selected.
    FileDialogRequest Request() const;
    // Asks with the host's dialog; the files chosen are remembered. None when cancelled
    // or nothing was chosen (the choice before stays).
    std::optional<std::vector<std::string>> Choose();
    // The files a run takes: the remembered ones, else those chosen now.
    std::optional<std::vector<std::string>> FilesToRun();

    // The *.test files in the project's folder, by name.
    static std::vector<std::string> DefaultFiles(const std::string& projectPath);
    // The settings key the choice is kept under: a section of its own, then the project's
    // path with the separators a key cannot hold written as %2F, %5C (and % as %25).
    static std::string SettingKey(const std::string& projectPath);
    // How results name a file: its path from the project's folder when it lies there,
    // else the path as given.
    static std::string DisplayName(const std::string& path, const std::string& projectPath);

    static constexpr const char* kSection = "Scenario Tests";
    static constexpr const char* kFilter = "Scenario Files (*.test) | *.test||";

private:
    Host& host_;
    std::string projectPath_;
};

}  // namespace pontra::scenario
