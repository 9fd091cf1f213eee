// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/ScenarioSuite.h"

#include <fstream>
#include <sstream>

#include "files/ComponentFileText.h"
#include "scenario/ScenarioParser.h"
#include "scenario/ScenarioRunner.h"

namespace pontra::scenario {

bool ScenarioSuite::Load(const std::vector<std::string>& paths, std::vector<ScenarioError>& errors) {
    bool ok = true;
    for (const auto& path : paths) ok = LoadFile(path, path, errors) && ok;
    return ok;
}

bool ScenarioSuite::LoadFile(const std::string& path, const std::string& name, std::vector<ScenarioError>& errors) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        errors.push_back({name, {0, 0}, "cannot read the file"});
        return false;
    }
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > kMaxScenarioFileBytes) break;
    }
    if (text.size() > kMaxScenarioFileBytes) {
        errors.push_back({name, {1, 1}, "the file is larger than " + std::to_string(kMaxScenarioFileBytes) + " bytes"});
        return false;
    }
    // Written in any editor: UTF-8 (with or without its mark) becomes the project's
    // Windows-1252, as component files do, so a tag named with an accent is found.
    const ComponentFileText decoded = DecodeComponentFile(text);
    if (!decoded.errors.empty()) {
        errors.push_back({name, {decoded.errors.front().first, 1}, decoded.errors.front().second});
        return false;
    }
    return LoadText(decoded.text, name, errors);
}

bool ScenarioSuite::LoadText(const std::string& text, const std::string& path, std::vector<ScenarioError>& errors) {
    ScenarioError error;
    auto file = ScenarioParser::Parse(text, path, error);
    if (!file) {
        errors.push_back(std::move(error));
        return false;
    }
    files_.push_back(std::move(*file));
    return true;
}

bool ScenarioSuite::Bind(CProject& project, std::vector<ScenarioError>& errors) {
    bound_.clear();
    bool ok = true;
    for (const auto& file : files_) {
        ScenarioError error;
        auto bound = ScenarioBinder::Bind(file, project, error);
        if (!bound) {
            errors.push_back(std::move(error));
            ok = false;
            continue;
        }
        bound_.push_back(std::move(*bound));
    }
    return ok;
}

std::vector<TestResult> ScenarioSuite::Run(ScenarioTarget& target,
                                           const std::function<void(const TestResult&)>& done) const {
    std::vector<TestResult> results;
    ScenarioRunner runner(target);
    for (const auto& file : bound_) {
        auto fileResults = runner.RunFile(file, done);
        results.insert(results.end(), fileResults.begin(), fileResults.end());
    }
    return results;
}

std::vector<std::string> ScenarioSuite::Paths() const {
    std::vector<std::string> paths;
    for (const auto& file : files_) paths.push_back(file.path);
    return paths;
}

}  // namespace pontra::scenario
