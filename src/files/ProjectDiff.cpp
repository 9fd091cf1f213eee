// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ProjectDiff.h"

#include "files/ProjectText.h"
#include "files/UnifiedDiff.h"

namespace pontra {

std::string ProjectDiff(const CProject& a, const CProject& b, const std::string& nameA, const std::string& nameB) {
    const std::vector<ProjectComponent> left = ProjectComponents(a);
    const std::vector<ProjectComponent> right = ProjectComponents(b);
    auto find = [](const std::vector<ProjectComponent>& list, const std::string& title) -> const ProjectComponent* {
        for (const auto& c : list)
            if (c.title == title) return &c;
        return nullptr;
    };
    std::vector<std::string> titles;
    for (const auto& c : left) titles.push_back(c.title);
    for (const auto& c : right)
        if (!find(left, c.title)) titles.push_back(c.title);

    static const std::vector<std::string> kNone;
    std::string out;
    for (const auto& title : titles) {
        const ProjectComponent* ca = find(left, title);
        const ProjectComponent* cb = find(right, title);
        const std::string hunks = UnifiedHunks(ca ? ca->lines : kNone, cb ? cb->lines : kNone);
        if (hunks.empty() && (ca != nullptr) == (cb != nullptr)) continue;
        out += "--- " + nameA + ": " + title + (ca ? "" : " (not in this project)") + "\n";
        out += "+++ " + nameB + ": " + title + (cb ? "" : " (not in this project)") + "\n";
        out += hunks;
    }
    return out;
}

}  // namespace pontra
